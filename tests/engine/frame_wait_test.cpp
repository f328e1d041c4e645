// Waiting for the next frame: the main loop's shape run against a clock in
// microseconds that moves only when the loop spends time (a pass, a frame's
// work, a sleep), once polling without pause and once sleeping through
// WaitForFrame. No sleep may end after the frame falls due, and Flip must
// present at the very same milliseconds both ways.
#include <cstdint>
#include <vector>

#include "engine/game.h"
#include "tests/engine/engine_fixture.h"

namespace enginetest {
namespace {

constexpr uint64_t Interval = 1000 / 30;  // ms
constexpr uint64_t PassUs = 7;            // pumping the events, reading the keys, asking Flip
// How late the system wakes a sleeper: well inside the wait's margin.
constexpr uint64_t WakeDelayUs = 90;

uint64_t MicroNow = 0;
// The millisecond the frame after the latest present falls due, with the
// clock's full 64 bits (the engine sees only the low 32 bits, and wraps).
uint64_t DueMs = 0;
uint64_t SleptUs = 0;
uint32_t Sleeps = 0;
uint32_t SleepsPastDue = 0;

uint32_t MicroClock() { return static_cast<uint32_t>(MicroNow / 1000); }

void FakeSleep(uint32_t microseconds) {
  if (MicroNow + microseconds > DueMs * 1000) ++SleepsPastDue;
  ++Sleeps;
  SleptUs += microseconds;
  MicroNow += microseconds + WakeDelayUs;
}

// The work of frame n (1-based) in microseconds: mostly short, some frames
// ending just before or just after the next one falls due, some far too
// long (a late frame that is not made up).
uint64_t WorkUs(uint32_t n) {
  switch (n % 10) {
    case 3: return 50000;
    case 5: return Interval * 1000 - 40;
    case 7: return Interval * 1000 + 400;
    case 8: return 1500 + n * 37 % 900;  // another phase within the millisecond
    default: return 1500;
  }
}

struct TLoopRun {
  std::vector<uint32_t> presents;  // the clock's reading at each present
  uint64_t pollingUs = 0;          // time spent in passes, neither working nor asleep
  uint64_t sleptUs = 0;            // time asked for in sleeps
  uint64_t totalUs = 0;
};

class FrameWaitTest : public EngineTest {
 protected:
  void TearDown() override {
    game::SetSleeper(nullptr);
    game::SetFrameWaiting(true);
    EngineTest::TearDown();
  }

  // Starts the engine afresh at `startUs` and runs the main loop's shape
  // until `frames` frames were presented.
  TLoopRun RunLoop(uint64_t startUs, bool waiting, uint32_t frames) {
    game::Shutdown();
    MicroNow = startUs;
    DueMs = startUs / 1000 + Interval;
    SleptUs = 0;
    Sleeps = 0;
    SleepsPastDue = 0;
    game::SetTickSource(MicroClock);
    game::SetSleeper(FakeSleep);
    game::SetFrameWaiting(waiting);
    game::Init("frame wait", "icon");
    EXPECT_TRUE(game::SetVideoMode(ScreenWidth, ScreenHeight, false));

    TLoopRun run;
    while (run.presents.size() < frames) {
      MicroNow += PassUs;
      run.pollingUs += PassUs;
      if (game::Flip()) {
        run.presents.push_back(MicroClock());
        DueMs = MicroNow / 1000 + Interval;
        MicroNow += WorkUs(static_cast<uint32_t>(run.presents.size()));
      } else {
        game::WaitForFrame();
      }
    }
    run.sleptUs = SleptUs;
    run.totalUs = MicroNow - startUs;
    return run;
  }
};

TEST_F(FrameWaitTest, SleepingNeverPassesADueFrameAndPresentsAtTheSameTicksAsPolling) {
  struct TCase {
    const char* name;
    uint64_t startMs;
  };
  const TCase cases[] = {
      {"from 1 s", 1000},
      {"across the wrap of the 32-bit clock", (uint64_t{1} << 32) - 1000},
  };
  constexpr uint32_t Frames = 200;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const uint64_t startUs = c.startMs * 1000 + 321;
    const TLoopRun polling = RunLoop(startUs, false, Frames);
    EXPECT_EQ(Sleeps, 0u);
    const TLoopRun sleeping = RunLoop(startUs, true, Frames);
    EXPECT_EQ(SleepsPastDue, 0u);
    EXPECT_EQ(sleeping.presents, polling.presents);

    // The late frames are not made up: the next one follows a whole interval
    // after the late present.
    for (size_t i = 1; i < polling.presents.size(); ++i) {
      EXPECT_GE(static_cast<uint32_t>(polling.presents[i] - polling.presents[i - 1]), Interval) << "frame " << i + 1;
    }
    if (c.startMs > 1000) {
      EXPECT_LT(polling.presents.back(), polling.presents.front()) << "the clock did not wrap";
    }

    // Polling fills every idle millisecond; sleeping leaves at most the last
    // two of each frame to the loop.
    EXPECT_GT(polling.pollingUs, polling.totalUs / 2);
    EXPECT_LT(sleeping.pollingUs, uint64_t{Frames} * 2000);
    EXPECT_GT(sleeping.sleptUs, sleeping.totalUs / 2);
  }
}

// Counts the clock's readings.
uint32_t Readings = 0;
uint32_t CountingClock() {
  ++Readings;
  return ClockStart;
}

TEST_F(FrameWaitTest, DoesNotSleepWhenNothingIsToBeWaitedFor) {
  // Init read the clock at ClockStart; WaitForFrame would sleep ~30 ms here.
  Now = ClockStart + 1;
  struct TCase {
    const char* name;
    bool sleeper, waiting, quit;
    uint32_t at;
  };
  const TCase cases[] = {
      {"a test clock without a test sleeper: no real sleep, no reading", false, true, false, ClockStart + 1},
      {"waiting switched off", true, false, false, ClockStart + 1},
      {"a frame is due", true, true, false, ClockStart + static_cast<uint32_t>(Interval)},
      {"a frame is long overdue", true, true, false, ClockStart + 5000},
      {"a quit was requested", true, true, true, ClockStart + 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    Readings = 0;
    Sleeps = 0;
    game::SetTickSource(c.sleeper ? FakeClock : CountingClock);
    game::SetSleeper(c.sleeper ? FakeSleep : nullptr);
    game::SetFrameWaiting(c.waiting);
    if (c.quit) game::RequestQuit();
    Now = c.at;
    game::WaitForFrame();
    EXPECT_EQ(Sleeps, 0u);
    // Only the counting clock counts: a test clock is not even read.
    if (!c.sleeper) {
      EXPECT_EQ(Readings, 0u);
    }
  }
}

TEST_F(FrameWaitTest, SleepsAllButTheMarginThenFineStepsThenNone) {
  game::SetSleeper([](uint32_t microseconds) {
    ++Sleeps;
    SleptUs = microseconds;
  });
  struct TCase {
    uint32_t elapsed;  // ms since the present
    uint64_t sleptUs;  // 0: no sleep
  };
  const TCase cases[] = {
      {0, (Interval - 2) * 1000}, {20, (Interval - 22) * 1000}, {30, 1000}, {31, 250}, {32, 0}, {33, 0},
  };
  for (const TCase& c : cases) {
    Sleeps = 0;
    SleptUs = 0;
    Now = ClockStart + c.elapsed;
    game::WaitForFrame();
    EXPECT_EQ(Sleeps, c.sleptUs == 0 ? 0u : 1u) << c.elapsed << " ms after the present";
    EXPECT_EQ(SleptUs, c.sleptUs) << c.elapsed << " ms after the present";
  }
}

}  // namespace
}  // namespace enginetest
