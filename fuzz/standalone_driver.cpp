// Runs a libFuzzer-style harness without a fuzzing engine: replays the files named on the
// command line, or runs `--runs N` inputs that are random or mutated from earlier ones
// (fixed seed, so a failure repeats).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  long runs = 0;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::atol(argv[++i]);
    else
      files.emplace_back(argv[i]);
  }
  for (const auto& f : files) {
    std::ifstream in(f, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot open %s\n", f.c_str());
      return 2;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::mt19937 rng(12345);
  std::vector<std::uint8_t> input;
  for (long r = 0; r < runs; ++r) {
    if (r % 16 == 0 || input.empty()) {
      input.resize(rng() % 2048);
      for (auto& b : input) b = static_cast<std::uint8_t>(rng());
      // Seed frame-like starts so the parser gets past its first byte often.
      for (std::size_t at = 1; at < input.size(); at += 1 + rng() % 300) input[at] = 0x55;
    } else {
      for (int m = 0; m < 4; ++m) input[rng() % input.size()] = static_cast<std::uint8_t>(rng());
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  std::printf("ran %zu files and %ld generated inputs\n", files.size(), runs);
  return 0;
}
