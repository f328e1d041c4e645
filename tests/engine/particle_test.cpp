// Star bursts, frame by frame: the particles' paths and fading, the pool of
// sixteen systems, and what reaches the screen.
#include "engine/game.h"
#include "tests/engine/engine_fixture.h"

namespace enginetest {
namespace {

constexpr int16_t CentreX = 400;
constexpr int16_t CentreY = 300;
constexpr int BurstFrames = 33;

class ParticleTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    dot = LoadPicture("dot", TPicture(1, 1, White));
  }
  static game::TParticleSystem& System(int number) { return game::ParticleSystems[number - 1]; }
  uint16_t dot = 0;
};

TEST_F(ParticleTest, ParticleFourAtSpeedThreeFallsToNinetyThreePixelsAndFades) {
  game::StartBurst(CentreX, CentreY, game::pmStarburst, dot);
  game::TParticleSystem& burst = System(1);
  for (int frame = 1; frame <= BurstFrames; ++frame) {
    Paint(Black);
    game::UpdateParticles();
    if (frame == 1) {
      for (game::TParticle& p : burst.Particles) p.Speed = 3;
    }
    const int age = std::min(frame - 1, 31);
    const game::TParticle& four = burst.Particles[4];
    EXPECT_EQ(four.DX, 0) << "frame " << frame;
    EXPECT_EQ(four.DY, 3 * age) << "frame " << frame;
    EXPECT_EQ(four.Alpha, 255 - 8 * age) << "frame " << frame;
    EXPECT_EQ(burst.Active, frame < BurstFrames);
    EXPECT_EQ(burst.Age, frame);
    // Straight right, left and up for particles 0, 8 and 12.
    EXPECT_EQ(burst.Particles[0].DX, 3 * age);
    EXPECT_EQ(burst.Particles[8].DX, -3 * age);
    EXPECT_EQ(burst.Particles[12].DY, -3 * age);
    EXPECT_EQ(burst.Particles[12].DX, 0);
  }
  EXPECT_EQ(burst.Particles[4].DY, 93);
  EXPECT_EQ(burst.Particles[4].Alpha, 7);
}

TEST_F(ParticleTest, WhatTheLastTwoFramesDraw) {
  game::StartBurst(CentreX, CentreY, game::pmStarburst, dot);
  for (int frame = 1; frame <= BurstFrames + 1; ++frame) {
    Paint(Black);
    game::UpdateParticles();
    if (frame == 1) {
      EXPECT_EQ(At(CentreX, CentreY), White) << "a new burst is drawn at its centre, opaque";
      for (game::TParticle& p : System(1).Particles) p.Speed = 3;
    }
    if (frame < 32) continue;
    const TShot shot = Shot();
    game::DrawAlpha(10, 10, dot, 7);
    const TRgb reference = At(10, 10);
    ASSERT_NE(reference, Black);
    if (frame <= BurstFrames) {
      EXPECT_EQ(shot.at(CentreX, CentreY + 93), reference) << "frame " << frame;
      EXPECT_EQ(shot.at(CentreX, CentreY + 94), Black);
      EXPECT_EQ(shot.at(CentreX, CentreY + 90), Black);
    } else {
      EXPECT_EQ(shot.at(CentreX, CentreY + 93), Black) << "the 34th frame draws nothing";
    }
  }
}

TEST_F(ParticleTest, SpeedsAreDrawnOnePerParticleInOrder) {
  game::SeedRandom(99);
  std::vector<int16_t> expected;
  for (int j = 0; j < 16; ++j) expected.push_back(static_cast<int16_t>(1 + game::Random(4)));
  game::SeedRandom(99);
  game::StartBurst(CentreX, CentreY, game::pmStarburst, dot);
  game::UpdateParticles();
  for (int j = 0; j < 16; ++j) {
    const game::TParticle& p = System(1).Particles[j];
    EXPECT_EQ(p.Speed, expected[j]) << "particle " << j;
    EXPECT_EQ(p.DX, 0);
    EXPECT_EQ(p.DY, 0);
    EXPECT_EQ(p.Alpha, 255);
  }
}

TEST_F(ParticleTest, SeventeenthBurstIsDroppedAndTheLowestFreeSlotIsTaken) {
  game::StartBurst(1, 1, game::pmStarburst, dot);
  game::UpdateParticles();
  for (int16_t n = 2; n <= 16; ++n) game::StartBurst(n, n, game::pmStarburst, dot);
  for (int number = 1; number <= 16; ++number) EXPECT_TRUE(System(number).Active);
  game::StartBurst(17, 17, game::pmStarburst, dot);
  for (int number = 1; number <= 16; ++number) EXPECT_EQ(System(number).X, number);

  // System 1 started a frame earlier and is the first to end.
  for (int frame = 2; frame <= BurstFrames; ++frame) game::UpdateParticles();
  EXPECT_FALSE(System(1).Active);
  EXPECT_TRUE(System(2).Active);
  game::StartBurst(18, 18, game::pmStarburst, dot);
  EXPECT_TRUE(System(1).Active);
  EXPECT_EQ(System(1).X, 18);
  EXPECT_EQ(System(1).Age, 0);
  game::UpdateParticles();  // ends systems 2 to 16
  EXPECT_FALSE(System(2).Active);
  EXPECT_FALSE(System(16).Active);
  game::StartBurst(19, 19, game::pmStarburst, dot);
  EXPECT_EQ(System(2).X, 19);
}

TEST_F(ParticleTest, BurstOfSpriteZeroRunsItsFramesDrawingNothing) {
  Paint(Black);
  const TShot black = Shot();
  game::StartBurst(CentreX, CentreY, game::pmStarburst, 0);
  int frames = 0;
  while (System(1).Active && frames < 100) {
    game::UpdateParticles();
    ++frames;
    ASSERT_TRUE(Shot() == black) << "frame " << frames;
  }
  EXPECT_EQ(frames, BurstFrames);
}

}  // namespace
}  // namespace enginetest
