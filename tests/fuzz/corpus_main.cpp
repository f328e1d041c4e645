// Runs a fuzz target's entry point once over every file of its stored
// corpus, without libFuzzer: the regression test of the normal builds (gcc
// has no -fsanitize=fuzzer). Arguments are files or directories; a
// directory's files run in name order. Fails when there was nothing to run.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_support.h"

namespace {

std::vector<std::filesystem::path> Inputs(int argc, char** argv) {
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path argument = argv[i];
    if (!std::filesystem::is_directory(argument)) {
      inputs.push_back(argument);
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(argument)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    inputs.insert(inputs.end(), files.begin(), files.end());
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  LLVMFuzzerInitialize(&argc, &argv);
  const std::vector<std::filesystem::path> inputs = Inputs(argc, argv);
  for (const std::filesystem::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "%s: cannot be read\n", input.c_str());
      return 1;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Printed first, so a crash shows which input it was.
    std::printf("%s\n", input.c_str());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("%zu inputs ran\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
