#include "tests/commands/CommandTools.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;

namespace pixtrel::test {

bool MakePhoto(const fs::path& file, int width, int height, int seed) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  return Run({"convert", "-seed", std::to_string(seed), "-size", size, "plasma:fractal", "-quality",
              "92", file.string()})
             .exitCode == 0;
}

bool ExifToolWrite(const fs::path& file, const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{"exiftool", "-q", "-overwrite_original"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(file.string());
  return Run(argv).exitCode == 0;
}

std::map<std::string, std::string> ExifToolRead(const fs::path& file,
                                                const std::vector<std::string>& tags) {
  std::vector<std::string> argv{"exiftool", "-s", "-n", "-a", "-G1"};
  for (const std::string& tag : tags)
    argv.push_back("-" + tag);
  argv.push_back(file.string());
  std::map<std::string, std::string> values;
  std::istringstream lines(Run(argv).out);
  for (std::string line; std::getline(lines, line);) {
    // "[Group]         Name                            : value"
    const std::size_t close = line.find(']'), colon = line.find(" : ");
    if (close == std::string::npos || colon == std::string::npos) continue;
    std::string name = line.substr(close + 1, colon - close - 1);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    const std::string group = line.substr(1, close - 1);
    values[name] = line.substr(colon + 3);
    values[group + ":" + name] = line.substr(colon + 3);
  }
  return values;
}

Bytes ExifToolBinary(const fs::path& file, const std::string& tag) {
  const std::string out = Run({"exiftool", "-b", "-" + tag, file.string()}).out;
  return Bytes(out.begin(), out.end());
}

std::vector<std::string> PngChunkTypes(const Bytes& png) {
  std::vector<std::string> types;
  if (png.size() < 8 || png[0] != 0x89 || png[1] != 'P') return types;
  for (std::size_t at = 8; png.size() - at >= 12;) {
    const std::size_t length = std::size_t{png[at]} << 24 | std::size_t{png[at + 1]} << 16 |
                               std::size_t{png[at + 2]} << 8 | png[at + 3];
    types.emplace_back(png.begin() + static_cast<std::ptrdiff_t>(at) + 4,
                       png.begin() + static_cast<std::ptrdiff_t>(at) + 8);
    if (length > png.size() - at - 12) break;
    at += 12 + length;
  }
  return types;
}

bool FileHas(const fs::path& file, const std::string& bytes) {
  const Bytes content = FileContents(file);
  return std::search(content.begin(), content.end(), bytes.begin(), bytes.end()) != content.end();
}

}  // namespace pixtrel::test
