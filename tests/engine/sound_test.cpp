// Sound effects and music on a real mixer (SDL's dummy audio driver).
#include <filesystem>
#include <thread>

#include "engine/game.h"
#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "tests/engine/engine_fixture.h"

namespace enginetest {
namespace {

// Long enough to be still playing when the test looks.
constexpr int SoundMs = 3000;

class SoundTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (!game::AudioOpen()) GTEST_SKIP() << "no audio device";
  }
  uint16_t LoadTestSound(const std::string& name) {
    testmedia::WriteFile(dir.Slash() + "Sounds/" + name + ".wav", testmedia::Wav(SoundMs));
    return game::LoadSound(name);
  }
};

std::vector<uint16_t> Observed;
void Observe(uint16_t id) { Observed.push_back(id); }

TEST_F(SoundTest, EightPlayAtOnceAndTheNinthIsDropped) {
  const uint16_t id = LoadTestSound("beep");
  ASSERT_EQ(id, 1);
  Observed.clear();
  game::SetSoundObserver(Observe);
  for (int n = 1; n <= 9; ++n) {
    game::PlaySound(id);
    EXPECT_EQ(game::PlayingChannels(), std::min(n, 8)) << "after " << n << " plays";
  }
  EXPECT_EQ(Observed, std::vector<uint16_t>(9, id));
}

TEST_F(SoundTest, IdsAreHandedOutInLoadOrderAndBadIdsAreSilent) {
  EXPECT_EQ(LoadTestSound("one"), 1);
  EXPECT_EQ(game::LoadSound("missing"), 0);
  EXPECT_EQ(LoadTestSound("two"), 2);
  EXPECT_EQ(game::SoundCount(), 2);
  EXPECT_EQ(game::PeekNextTexture(), 1);  // sounds take no texture number
  Observed.clear();
  game::SetSoundObserver(Observe);
  game::PlaySound(0);
  game::PlaySound(3);
  EXPECT_EQ(game::PlayingChannels(), 0);
  EXPECT_EQ(Observed, (std::vector<uint16_t>{0, 3}));
  game::PlaySound(2);
  game::PlaySound(1);
  EXPECT_EQ(game::PlayingChannels(), 2);
}

TEST_F(SoundTest, PackedSoundLoadsThroughTheScratchFile) {
  Pack("shot.wav", testmedia::Wav(100), "Sounds");
  resources::DevelopMode = false;
  EXPECT_EQ(game::LoadSound("shot"), 1);
  EXPECT_THROW(game::LoadSound("absent"), resources::IoError);
}

TEST_F(SoundTest, MissingMusicReturnsFalseAndLeavesTheGameRunning) {
  EXPECT_FALSE(game::PlayMusic("absent"));
  EXPECT_FALSE(game::MusicPlaying());
  game::StopMusic();
}

// The packed music streams from Data/temp.dat; a sprite loaded afterwards
// reuses Data/data.dat without disturbing it. (The test track is a WAV: the
// mixer recognises the moved file by its contents.)
TEST_F(SoundTest, PackedMusicKeepsPlayingWhileLaterLoadsReuseTheScratchFile) {
  const std::vector<uint8_t> track = testmedia::Wav(500);
  Pack("maze.ogg", track, "Music");
  Pack("wall.bmp", testmedia::Bmp24(TPicture(3, 3, Red)), "Sprites");
  resources::DevelopMode = false;

  ASSERT_TRUE(game::PlayMusic("maze"));
  EXPECT_FALSE(std::filesystem::exists(resources::ScratchFilePath()));
  EXPECT_EQ(resources::ReadWholeFile(resources::MusicFilePath()), track);
  EXPECT_EQ(game::LoadSprite("wall", game::RGB(0, 0, 0)), 1);
  // Longer than the track: it has looped while the scratch file was rewritten.
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_TRUE(game::MusicPlaying());
  EXPECT_EQ(resources::ReadWholeFile(resources::MusicFilePath()), track);

  // A second track replaces the first.
  ASSERT_TRUE(game::PlayMusic("maze"));
  EXPECT_TRUE(game::MusicPlaying());
  game::StopMusic();
  EXPECT_FALSE(game::MusicPlaying());
}

using ShutdownTest = EngineTest;

TEST_F(ShutdownTest, RemovesTheScratchFilesOnlyOutsideDevelopment) {
  Pack("wall.bmp", testmedia::Bmp24(TPicture(3, 3, Red)), "Sprites");
  resources::DevelopMode = false;
  EXPECT_EQ(game::LoadSprite("wall", game::RGB(0, 0, 0)), 1);
  resources::DevelopMode = true;
  game::Shutdown();
  EXPECT_TRUE(std::filesystem::exists(resources::ScratchFilePath()));
  game::Init("again", "icon");
  resources::DevelopMode = false;
  game::Shutdown();
  EXPECT_FALSE(std::filesystem::exists(resources::ScratchFilePath()));
  game::Init("again", "icon");
}

}  // namespace
}  // namespace enginetest
