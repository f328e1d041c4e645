// The replay tool as its users run it: key scripts, dumps, pictures, exit
// statuses.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "engine/game.h"
#include "tests/game/support.h"
#include "tests/game/test_levels.h"
#include "tests/game/test_paths.h"
#include "tools/replay/key_script.h"
#include "tools/replay/png_file.h"

namespace vxtest {
namespace {

using replay::KeyBit;

TEST(KeyScript, ReadsHeldKeysPerFrame) {
  const auto script = replay::ParseKeyScript(
      "# opening\n"
      "1 space\n"
      "\n"
      "3 LEFT up   # two keys\n"
      "10\n"
      "12 pageup pagedown escape right down\n");
  ASSERT_EQ(script.size(), 4u);
  struct {
    uint32_t frame;
    replay::TKeySet keys;
  } const cases[] = {
      {1, KeyBit("space")},
      {2, KeyBit("space")},
      {3, KeyBit("left") | KeyBit("up")},
      {9, KeyBit("left") | KeyBit("up")},
      {10, 0},
      {11, 0},
      {12, KeyBit("pageup") | KeyBit("pagedown") | KeyBit("escape") | KeyBit("right") | KeyBit("down")},
      {5000, KeyBit("pageup") | KeyBit("pagedown") | KeyBit("escape") | KeyBit("right") | KeyBit("down")},
  };
  for (const auto& c : cases) EXPECT_EQ(replay::KeysAt(script, c.frame), c.keys) << "frame " << c.frame;
  EXPECT_EQ(replay::KeysAt(replay::ParseKeyScript("5 up\n"), 4), 0u);
}

// Pad controls sit beside the keys, each on its own bit, in the engine's
// order of controls.
TEST(KeyScript, ReadsPadControlsBesideKeys) {
  const auto script = replay::ParseKeyScript("1 PAD-A space\n4 stick-left stick-up pad-right pad-back\n");
  EXPECT_EQ(replay::KeysAt(script, 1), KeyBit("pad-a") | KeyBit("space"));
  EXPECT_EQ(replay::PadControls(replay::KeysAt(script, 1)), 1u << game::pcA);
  EXPECT_EQ(replay::PadControls(replay::KeysAt(script, 4)),
            (1u << game::pcStickLeft) | (1u << game::pcStickUp) | (1u << game::pcRight) | (1u << game::pcBack));
  EXPECT_EQ(replay::KeyNames().size(), replay::KeyboardKeyCount + size_t{game::pcCount});
  for (const char* name : {"pad-up", "pad-down", "pad-left", "pad-right", "pad-a", "pad-b", "pad-x", "pad-y",
                           "pad-start", "pad-back", "pad-lb", "pad-rb", "stick-up", "stick-down", "stick-left",
                           "stick-right"}) {
    EXPECT_EQ(replay::PadControls(KeyBit(name)) & (replay::PadControls(KeyBit(name)) - 1), 0u) << name;
    EXPECT_NE(replay::PadControls(KeyBit(name)), 0u) << name;
  }
}

TEST(KeyScript, NamesTheFirstBadLine) {
  struct {
    const char* text;
    int line;
    const char* words;
  } const cases[] = {
      {"1 space\n2 jump\n", 2, "unknown key \"jump\""},
      {"1 space\n\n0 up\n", 3, "not a frame number"},
      {"x up\n", 1, "not a frame number"},
      {"-4 up\n", 1, "not a frame number"},
      {"4294967296 up\n", 1, "not a frame number"},
      {"5 up\n5 down\n", 2, "does not come after frame 5"},
      {"5 up\n3 down\n", 2, "does not come after frame 5"},
      {"1 up,down\n", 1, "unknown key"},
      {"1 pad-z\n", 1, "unknown key \"pad-z\""},
      {"1 stick-left\n2 stick-right stick-left\n", 2, "stick-left and stick-right cannot be held at once"},
      {"1 stick-up pad-a stick-down\n", 1, "stick-up and stick-down cannot be held at once"},
  };
  for (const auto& c : cases) {
    try {
      replay::ParseKeyScript(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const replay::KeyScriptError& error) {
      EXPECT_EQ(error.Line(), c.line) << c.text;
      EXPECT_NE(std::string(error.what()).find(c.words), std::string::npos) << error.what();
      EXPECT_EQ(std::string(error.what()).rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << error.what();
    }
  }
}

// A private installation (its own Data/) for one test.
class ReplayTool : public ::testing::Test {
 protected:
  void SetUp() override { MakeInstallCopy(install_.Path(), {}); }

  TProcessResult Replay(std::vector<std::string> arguments, const std::vector<std::string>& environment = {}) {
    arguments.insert(arguments.begin(), {std::string(BinDir) + "/vexmoor-replay", "--dir", install_.Path()});
    return RunProgram(arguments, work_.Path(), environment);
  }
  fs::path Work(const std::string& name) { return work_.Path() / name; }
  void WriteFile(const std::string& name, const std::string& text) { std::ofstream(Work(name)) << text; }

  // The JSON lines of a dump.
  std::vector<std::string> DumpLines(const std::string& name) {
    return Lines(ReadText(Work(name)));
  }

  TempDir install_;
  TempDir work_;
};

// The integer value of a field of a dump line.
long Field(const std::string& line, const std::string& name) {
  std::smatch match;
  if (!std::regex_search(line, match, std::regex("\"" + name + "\": (-?[0-9]+)")))
    throw std::runtime_error("no field " + name + " in " + line);
  return std::stol(match[1]);
}

// It chooses SDL's dummy drivers itself, so it needs no display.
TEST_F(ReplayTool, RunsWithoutADisplayOrAChosenDriver) {
  const TProcessResult result =
      Replay({"--frames", "3"}, {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER"});
  ASSERT_TRUE(result.exited) << "signal " << result.signal;
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
}

TEST_F(ReplayTool, RejectsBadInputWithOneLineAndStatusTwo) {
  WriteFile("bad.keys", "1 space\n# fine\n7 fire\n");
  WriteFile("good.keys", "1 space\n");
  struct {
    std::vector<std::string> arguments;
    const char* words;
  } const cases[] = {
      {{"--keys", Work("bad.keys")}, "bad.keys:3: unknown key \"fire\""},
      {{"--keys", Work("absent.keys")}, "absent.keys:0: cannot be read"},
      {{"--frames", "0"}, "--frames needs a whole number"},
      {{"--frames", "12x"}, "--frames needs a whole number"},
      {{"--shot", "9"}, "--shot needs FRAME:PATH"},
      {{"--frames", "5", "--shot", "6:" + Work("late.png").string()}, "comes after --frames 5"},
      {{"--bogus"}, "unknown option \"--bogus\""},
      {{"--dir", Work("nowhere")}, "does not exist"},
      {{"--dump", Work("no/such/dir/dump.json")}, "cannot be created"},
  };
  for (const auto& c : cases) {
    const TProcessResult result = Replay(c.arguments);
    EXPECT_TRUE(result.exited) << c.words;
    EXPECT_EQ(result.status, 2) << c.words;
    EXPECT_NE(result.err.find(c.words), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("vexmoor-replay: "), 0u) << result.err;
    EXPECT_FALSE(fs::exists(Work("late.png")));
  }
}

TEST_F(ReplayTool, DumpsEveryFrameAndStopsThroughTheGamesOwnQuit) {
  // PageDown held for 30 frames lowers the brightness by one a frame; the
  // title waits for Space.
  WriteFile("dim.keys", "1 pagedown\n31\n");
  const TProcessResult result = Replay({"--keys", Work("dim.keys"), "--frames", "40", "--dump", Work("dim.json")});
  ASSERT_TRUE(result.exited) << result.err;
  EXPECT_EQ(result.status, 0) << result.err;
  const auto lines = DumpLines("dim.json");
  ASSERT_EQ(lines.size(), 40u);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(Field(lines[i], "frame"), static_cast<long>(i + 1));
    EXPECT_EQ(Field(lines[i], "GameState"), 0);
    EXPECT_EQ(Field(lines[i], "Brightness"), 255 - static_cast<long>(std::min<size_t>(i + 1, 30)));
  }
  EXPECT_NE(lines[0].find("\"Inventory\": []"), std::string::npos) << lines[0];
  EXPECT_NE(lines[0].find("\"Moving\": false"), std::string::npos) << lines[0];
  EXPECT_TRUE(ScratchFiles(install_.Path()).empty());
}

TEST_F(ReplayTool, SpaceHeldAtTheFirstFrameNeverShowsTheTitle) {
  WriteFile("space.keys", "1 space\n2\n");
  const TProcessResult started = Replay({"--keys", Work("space.keys"), "--frames", "2", "--dump", Work("space.json"),
                                         "--shot", "1:" + Work("space1.png").string()});
  ASSERT_EQ(started.status, 0) << started.err;
  const TProcessResult idle = Replay({"--frames", "1", "--shot", "1:" + Work("title.png").string()});
  ASSERT_EQ(idle.status, 0) << idle.err;

  const auto lines = DumpLines("space.json");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Field(lines[0], "GameState"), 40);
  EXPECT_EQ(Field(lines[0], "Level"), 1);
  EXPECT_EQ(Field(lines[0], "CountdownStep"), 1);
  EXPECT_EQ(Field(lines[0], "Lives"), 3);

  std::vector<uint8_t> title, countdown;
  int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
  ASSERT_EQ(replay::ReadPng(Work("title.png"), title, w1, h1), "");
  ASSERT_EQ(replay::ReadPng(Work("space1.png"), countdown, w2, h2), "");
  EXPECT_EQ(w1, 800);
  EXPECT_EQ(h1, 600);
  ASSERT_EQ(title.size(), countdown.size());
  size_t differing = 0;
  for (size_t i = 0; i < title.size(); i += 3)
    differing += title[i] != countdown[i] || title[i + 1] != countdown[i + 1] || title[i + 2] != countdown[i + 2];
  EXPECT_GT(differing, title.size() / 3 / 4) << "frame 1 with Space held looks like the title";
}

TEST_F(ReplayTool, SameKeysAndSeedGiveTheSameFramesTwice) {
  // Into play, a walk and a shot; the picture of a later frame and every
  // dumped frame must agree between two runs.
  WriteFile("walk.keys", "1 space\n2\n130 right\n150 space\n152 down\n175 left up\n200\n");
  for (const char* run : {"a", "b"}) {
    const TProcessResult result =
        Replay({"--keys", Work("walk.keys"), "--frames", "220", "--seed", "7", "--dump", Work(std::string(run) + ".json"),
                "--shot", "160:" + Work(std::string(run) + ".png").string()});
    ASSERT_EQ(result.status, 0) << result.err;
  }
  EXPECT_EQ(ReadText(Work("a.json")), ReadText(Work("b.json")));
  EXPECT_EQ(ReadText(Work("a.png")), ReadText(Work("b.png")));
  EXPECT_EQ(DumpLines("a.json").size(), 220u);
}

TEST_F(ReplayTool, EscapeInTheScriptEndsTheRunAfterThatFrame) {
  WriteFile("quit.keys", "1 space\n2\n20 escape\n");
  const TProcessResult result = Replay({"--keys", Work("quit.keys"), "--dump", Work("quit.json")});
  ASSERT_TRUE(result.exited);
  EXPECT_EQ(result.status, 0) << result.err;
  const auto lines = DumpLines("quit.json");
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(Field(lines.back(), "GameState"), 40);
  EXPECT_TRUE(ScratchFiles(install_.Path()).empty());
}

// The same walk, shots and brightness by the pad's D-pad and buttons, or by
// its stick and Start, dump exactly as by the keys.
TEST_F(ReplayTool, WalkingByPadDumpsExactlyAsByTheKeys) {
  struct TWay {
    const char* name;
    const char* script;
  };
  const TWay ways[] = {
      {"keys", "1 space\n2 pagedown\n9\n130 right\n150 space right\n152 down\n175 left up\n190 pageup\n200\n"},
      {"dpad", "1 pad-a\n2 pad-rb\n9\n130 pad-right\n150 pad-b pad-right\n152 pad-down\n175 pad-left pad-up\n"
               "190 pad-lb\n200\n"},
      {"stick", "1 pad-start\n2 pad-rb\n9\n130 stick-right\n150 pad-y stick-right\n152 stick-down\n"
                "175 stick-left stick-up\n190 pad-lb\n200\n"},
  };
  for (const TWay& way : ways) {
    WriteFile(std::string(way.name) + ".keys", way.script);
    const TProcessResult result = Replay({"--keys", Work(std::string(way.name) + ".keys"), "--frames", "220", "--seed",
                                          "3", "--dump", Work(std::string(way.name) + ".json")});
    ASSERT_EQ(result.status, 0) << way.name << ": " << result.err;
  }
  const std::string keys = ReadText(Work("keys.json"));
  const std::vector<std::string> keyLines = Lines(keys);
  ASSERT_EQ(keyLines.size(), 220u);
  EXPECT_NE(keyLines[160], keyLines[128]) << "nothing happened in play";
  EXPECT_EQ(ReadText(Work("dpad.json")), keys);
  EXPECT_EQ(ReadText(Work("stick.json")), keys);
}

// Back ends the game once held for a second (30 frames), and a shorter
// press never does; Escape in the script acts at once.
TEST_F(ReplayTool, PadBackEndsTheGameAfterItsHoldOnly) {
  struct TCase {
    const char* script;
    size_t frames;  // in the dump
  } const cases[] = {
      {"1 space\n2\n40 pad-back\n41\n", 150},        // one frame
      {"1 space\n2\n40 pad-back\n69\n", 150},        // 29 frames
      {"1 space\n2\n40 pad-back\n70\n", 70},         // 30 frames: Escape in frame 70
      {"1 space\n2\n40 pad-back\n", 70},              // held on
      {"1 space\n2\n40 pad-back\n60\n61 pad-back\n", 91},  // the count starts again
      {"1 space\n2\n40 escape\n", 40},
  };
  for (const auto& c : cases) {
    WriteFile("back.keys", c.script);
    const TProcessResult result =
        Replay({"--keys", Work("back.keys"), "--frames", "150", "--dump", Work("back.json")});
    ASSERT_EQ(result.status, 0) << c.script << result.err;
    EXPECT_EQ(DumpLines("back.json").size(), c.frames) << c.script;
  }
}

// The list value of a dump line's field, as written ("[1, 7]").
std::string ListField(const std::string& line, const std::string& name) {
  std::smatch match;
  if (!std::regex_search(line, match, std::regex("\"" + name + "\": (\\[(\\[[^\\]]*\\]|[^\\]\\[])*\\])")))
    throw std::runtime_error("no list " + name + " in " + line);
  return match[1];
}

TEST(ReplayToolEvents, DumpListsTheSoundsAndBurstsOfEachFrame) {
  // The right arrow held from the start of play walks onto a mine and then
  // onto the exit.
  TempDir install, work;
  ASSERT_EQ(MakeLevelInstall(install.Path(), {{"level1", "level 6 3\nname grass\ntiles\ng = grass\n"
                                                         "gggggg\ngggggg\ngggggg\n"
                                                         "content\n######\n#S*E##\n######\n"}}),
            "");
  std::ofstream(work.Path() / "mine.keys") << "1 space\n2 right\n";
  const TProcessResult result =
      RunProgram({std::string(BinDir) + "/vexmoor-replay", "--dir", install.Path().string(), "--keys",
                  (work.Path() / "mine.keys").string(), "--frames", "170", "--dump", (work.Path() / "d.json").string()},
                 work.Path());
  ASSERT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> lines = Lines(ReadText(work.Path() / "d.json"));
  ASSERT_EQ(lines.size(), 170u);

  // Frame by frame: the countdown's entry sound (8) with Space, a step (1)
  // in the first play frame; twelve frames later the mine (7) goes off with
  // a burst at the player's centre and the next step (1) starts in the same
  // frame; twelve more and the exit (6) ends the level.
  std::vector<std::pair<long, std::string>> sounds, bursts;
  long minePlay = 0;
  for (const std::string& line : lines) {
    const long frame = Field(line, "frame");
    if (ListField(line, "sounds") != "[]") sounds.emplace_back(frame, ListField(line, "sounds"));
    if (ListField(line, "bursts") != "[]") bursts.emplace_back(frame, ListField(line, "bursts"));
    if (ListField(line, "sounds") == "[7, 1]") minePlay = frame;
  }
  ASSERT_EQ(sounds.size(), 4u);
  EXPECT_EQ(sounds[0], std::make_pair(1L, std::string("[8]")));
  EXPECT_EQ(sounds[1].second, "[1]");
  EXPECT_EQ(sounds[2], std::make_pair(sounds[1].first + 12, std::string("[7, 1]")));
  EXPECT_EQ(sounds[3], std::make_pair(sounds[1].first + 24, std::string("[6]")));
  ASSERT_EQ(bursts.size(), 1u);
  EXPECT_EQ(bursts[0], std::make_pair(minePlay, std::string("[[336, 240]]")));
  // The other fields keep their place: the events come last.
  EXPECT_NE(lines[0].find("\"Brightness\": 255, \"sounds\": [8], \"bursts\": []}"), std::string::npos) << lines[0];
}

TEST(ReplayToolDevelop, DevelopReadsTheLooseFilesAndKeepsDataEmpty) {
  TempDir install, work;
  TInstallCopy how;
  how.copiedFolders = {"Sprites"};
  MakeInstallCopy(install.Path(), how);
  ASSERT_TRUE(fs::remove(install.Path() / "Sprites" / "medkit.dat"));
  const std::string replayPath = std::string(BinDir) + "/vexmoor-replay";
  const std::string dir = install.Path().string();

  const TProcessResult loose = RunProgram({replayPath, "--dir", dir, "--develop", "--frames", "2"}, work.Path());
  EXPECT_EQ(loose.status, 0) << loose.err;
  EXPECT_FALSE(fs::exists(install.Path() / "Data")) << "development mode unpacked something";

  const TProcessResult packed = RunProgram({replayPath, "--dir", dir, "--frames", "2"}, work.Path());
  EXPECT_EQ(packed.status, 1);
  EXPECT_NE(packed.err.find("Sprites/medkit.dat"), std::string::npos) << packed.err;
  EXPECT_TRUE(ScratchFiles(install.Path()).empty());
}

TEST_F(ReplayTool, ReportsAPictureThatCannotBeWritten) {
  const TProcessResult result = Replay({"--frames", "3", "--shot", "2:" + Work("missing/dir/x.png").string()});
  ASSERT_TRUE(result.exited);
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("x.png"), std::string::npos) << result.err;
  EXPECT_TRUE(ScratchFiles(install_.Path()).empty());
}

}  // namespace
}  // namespace vxtest
