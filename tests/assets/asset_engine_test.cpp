// The generated files loaded the way the game loads them: through the
// engine's own loaders, in the game's order, loose and packed, then drawn on
// the 16-bit screen.
#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "asset_test_support.h"
#include "tests/support/temp_dir.h"
#include "engine/game.h"
#include "resources/startup.h"

namespace assettest {
namespace {

namespace fs = std::filesystem;

constexpr int kCell = 96;

// A private copy of the installation, so the scratch files of packed loads
// stay out of the build's directory.
class InstallCopy {
 public:
  InstallCopy() : path_(dir_.Slash()) {
    for (const char* folder : {"Sprites", "Fonts", "Sounds", "Music"}) {
      fs::copy(kInstallDir + folder, path_ + folder, fs::copy_options::recursive);
    }
    fs::copy_file(kInstallDir + "vexmoor.bmp", path_ + "vexmoor.bmp");
  }
  const std::string& Path() const { return path_; }

 private:
  vxtest::TempDir dir_;
  std::string path_;  // with its final "/"
};

class GameLoadsAssets : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(install.Path().empty());
    resources::ProgramDir = install.Path();
    resources::DevelopMode = GetParam();
    game::SetVideoDriver(game::vdFrameBuffer);
    game::Init("asset test", "vexmoor");
    ASSERT_TRUE(game::SetVideoMode(800, 600, false)) << game::LastVideoError();
  }
  void TearDown() override { game::Shutdown(); }

  InstallCopy install;
};

TEST_P(GameLoadsAssets, FontSpritesSoundsAndMusicTakeTheGamesIds) {
  ASSERT_EQ(game::LoadFont("courier new 10"), 1);
  EXPECT_GT(game::GetFont(1)->Glyphs['A'].w, 0);

  const std::vector<std::string> names = FixedSpriteNames();
  ASSERT_EQ(names.size(), 44u);
  for (size_t i = 0; i < names.size(); ++i) {
    ASSERT_EQ(game::LoadSprite(names[i], game::RGB(0, 0, 0)), i + 1) << names[i];
  }
  for (size_t i = 0; i < kGroundNames.size(); ++i) {
    ASSERT_EQ(game::LoadSprite(kGroundNames[i], game::RGB(0, 0, 0)), 45 + i) << kGroundNames[i];
    EXPECT_EQ(game::GetSprite(45 + i)->Surface->w, kCell);
  }
  EXPECT_EQ(game::GetSprite(32)->Surface->w, 800);

  if (!game::AudioOpen()) GTEST_SKIP() << "no audio device, sounds not loaded";
  for (size_t i = 0; i < kSoundNames.size(); ++i) {
    ASSERT_EQ(game::LoadSound(kSoundNames[i]), i + 1) << kSoundNames[i];
  }
  EXPECT_TRUE(game::PlayMusic("maze"));
}

// A figure drawn keyed over the floor leaves no black hole on the 16-bit
// screen: what is not figure is floor.
TEST_P(GameLoadsAssets, KeyedFiguresOverGroundLeaveNoHoles) {
  const uint16_t floor = game::LoadSprite("floor", game::RGB(0, 0, 0));
  ASSERT_NE(floor, 0);
  for (const std::string& name : FixedSpriteNames()) {
    if (name.rfind("player_", 0) != 0 && name != "cdoor" && name != "odoor" && name.rfind("mine", 0) != 0 &&
        name != "medkit" && name != "ammo" && name != "keycard") {
      continue;
    }
    SCOPED_TRACE(name);
    const uint16_t id = game::LoadSprite(name, game::RGB(0, 0, 0));
    ASSERT_NE(id, 0);
    game::Draw(288, 192, floor);
    game::DrawKeyed(288, 192, id);
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    ASSERT_TRUE(game::ReadScreen(rgb, width, height));
    int holes = 0;
    for (int y = 192; y < 192 + kCell; ++y) {
      for (int x = 288; x < 288 + kCell; ++x) {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        holes += PureBlack(p);
      }
    }
    EXPECT_EQ(holes, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(LooseAndPacked, GameLoadsAssets, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Loose") : std::string("Packed");
                         });

}  // namespace
}  // namespace assettest
