// vexmoor-pack: makes and checks the game's packed data files.
//
//   vexmoor-pack pack SOURCE DESTDIR     writes DESTDIR/NAME.dat
//   vexmoor-pack unpack PACKED OUTFILE   restores the plain bytes
//   vexmoor-pack check PACKED...         reports each file's checksum verdict
//
// Exit status: 0 on success (unpack: the checksum matched; check: every file
// matched), 1 when a checksum did not match, 2 for anything it cannot do.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "resources/binary_io.h"
#include "resources/datafile.h"

namespace {

constexpr int ExitOk = 0;
constexpr int ExitChecksumMismatch = 1;
constexpr int ExitFailure = 2;

int Usage() {
  std::fprintf(stderr,
               "usage: vexmoor-pack pack SOURCE DESTDIR | unpack PACKED OUTFILE | check PACKED...\n");
  return ExitFailure;
}

int Pack(const std::string& source, std::string destDir) {
  if (!destDir.empty() && destDir.back() != '/') destDir += '/';
  resources::PackDataFile(source, destDir);
  return ExitOk;
}

int Unpack(const std::string& packed, const std::string& outFile) {
  const bool matched = resources::UnpackDataFileTo(packed, outFile);
  if (!matched) std::fprintf(stderr, "vexmoor-pack: %s: checksum mismatch\n", packed.c_str());
  return matched ? ExitOk : ExitChecksumMismatch;
}

// A private directory that only this run writes into, removed with its
// file when the check is over.
class CPrivateDir {
 public:
  CPrivateDir() : path_(resources::MakePrivateDirectory()) {}
  ~CPrivateDir() {
    ::unlink(File().c_str());
    ::rmdir(path_.c_str());
  }
  CPrivateDir(const CPrivateDir&) = delete;
  CPrivateDir& operator=(const CPrivateDir&) = delete;
  std::string File() const { return path_ + "unpacked"; }

 private:
  std::string path_;
};

// Unpacks into a private directory of its own, only to learn the verdict.
int Check(const std::vector<std::string>& files) {
  CPrivateDir scratch;
  int status = ExitOk;
  for (const std::string& file : files) {
    const bool matched = resources::UnpackDataFileTo(file, scratch.File());
    std::printf("%s: %s\n", file.c_str(), matched ? "ok" : "checksum mismatch");
    if (!matched) status = ExitChecksumMismatch;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 3 && args[0] == "pack") return Pack(args[1], args[2]);
    if (args.size() == 3 && args[0] == "unpack") return Unpack(args[1], args[2]);
    if (args.size() >= 2 && args[0] == "check") {
      return Check(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    return Usage();
  } catch (const resources::IoError& error) {
    std::fprintf(stderr, "vexmoor-pack: %s: %s\n", error.Path().c_str(), error.Reason().c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vexmoor-pack: %s\n", error.what());
  }
  return ExitFailure;
}
