// Runs fuzz targets over saved inputs with an ordinary build: every file named, and every file in
// every folder named, goes through the target once. Used by CTest to replay the corpus and every
// input that once crashed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

static void RunOne(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

int main(int argc, char** argv) {
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path p(argv[i]);
    if (fs::is_directory(p)) {
      for (const auto& entry : fs::recursive_directory_iterator(p)) {
        if (entry.is_regular_file()) RunOne(entry.path()), ++count;
      }
    } else if (fs::exists(p)) {
      RunOne(p), ++count;
    }
  }
  std::printf("replayed %d inputs\n", count);
  return 0;
}
