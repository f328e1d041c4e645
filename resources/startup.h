// Where the game's files are and how it was started: the program directory,
// development mode and the one command-line switch test.
#pragma once

#include <string>
#include <vector>

namespace resources {

// Directory of the running executable with its final "/", or empty (paths
// are then relative to the working directory). Written once by StartUp.
extern std::string ProgramDir;
// True when "-develop" is on the command line: resources come from their
// loose files and the scratch files are kept at exit.
extern bool DevelopMode;

// Fixes ProgramDir and DevelopMode for this process from its own executable
// path as the platform reports it (symbolic links resolved). When it cannot be
// read, argv[0] is used if useArgv0Fallback is set (the main build) and an
// empty directory otherwise (the second build). Call it first in main.
void StartUp(int argc, char** argv, bool useArgv0Fallback);

// Replaces the remembered command line (argument 0 is the program name and
// is never examined) and recomputes DevelopMode; ProgramDir is left alone.
void SetArguments(const std::vector<std::string>& arguments);

// True when any argument from 1 on equals the switch, letters A to Z
// compared without regard to case. Whole arguments only: "-develop" does not
// match "-developer", "--develop" or "-develop=1".
bool ParamPresent(const std::string& switchText);

// The directory part of a path, up to and including its last "/"; empty
// when the path has none.
std::string DirectoryOf(const std::string& path);

}  // namespace resources
