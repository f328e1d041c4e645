#include <gtest/gtest.h>

#include <filesystem>

#include "resources/startup.h"

using namespace resources;

namespace {

struct SwitchCase {
  std::vector<std::string> arguments;  // without the program name
  bool expected;
};

}  // namespace

TEST(ParamPresent, MatchesWholeArgumentsIgnoringCase) {
  const SwitchCase cases[] = {
      {{"-develop"}, true},
      {{"-DEVELOP"}, true},
      {{"-Develop"}, true},
      {{"-windowed", "-develop"}, true},
      {{"-develop", "-develop"}, true},
      {{}, false},
      {{"-developer"}, false},
      {{"--develop"}, false},
      {{"develop"}, false},
      {{"-develop=1"}, false},
      {{"-develop2"}, false},
      {{" -develop"}, false},
  };
  for (const SwitchCase& c : cases) {
    std::vector<std::string> arguments = {"/opt/vexmoor/vexmoor"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    SetArguments(arguments);
    EXPECT_EQ(ParamPresent("-develop"), c.expected) << testing::PrintToString(c.arguments);
    EXPECT_EQ(DevelopMode, c.expected);
  }
}

TEST(ParamPresent, NeverExaminesTheProgramName) {
  SetArguments({"-develop"});
  EXPECT_FALSE(ParamPresent("-develop"));
  SetArguments({});
  EXPECT_FALSE(ParamPresent("-develop"));
}

TEST(ParamPresent, SwitchItselfIsLowerCased) {
  SetArguments({"prog", "-windowed"});
  EXPECT_TRUE(ParamPresent("-WINDOWED"));
}

TEST(StartUp, ProgramDirIsTheExecutablesOwnDirectory) {
  char name[] = "ignored-name";
  char* argv[] = {name, nullptr};
  StartUp(1, argv, true);
  ASSERT_FALSE(ProgramDir.empty());
  EXPECT_EQ(ProgramDir.front(), '/');
  EXPECT_EQ(ProgramDir.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(ProgramDir + "resources_test")) << ProgramDir;
}

TEST(DirectoryOf, KeepsTheFinalSlash) {
  EXPECT_EQ(DirectoryOf("/opt/game/run"), "/opt/game/");
  EXPECT_EQ(DirectoryOf("run"), "");
  EXPECT_EQ(DirectoryOf("/run"), "/");
}
