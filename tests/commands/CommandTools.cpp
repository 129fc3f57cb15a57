#include "tests/commands/CommandTools.h"

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

std::optional<RgbaPicture> ReadRgbaWithPil(const fs::path& file) {
  if (!PythonWithPil()) return std::nullopt;
  TempFolder scratch;
  const fs::path raw = scratch / "pixels";
  const RunResult r = RunPython(
      "import sys\n"
      "from PIL import Image\n"
      "im = Image.open(sys.argv[1])\n"
      "mode = im.mode\n"
      "rgba = im.convert('RGBA')\n"
      "open(sys.argv[2], 'wb').write(rgba.tobytes())\n"
      "print(mode, rgba.size[0], rgba.size[1])\n",
      {file.string(), raw.string()});
  if (r.exitCode != 0) return std::nullopt;
  RgbaPicture picture;
  std::istringstream(r.out) >> picture.mode >> picture.width >> picture.height;
  const Bytes bytes = FileContents(raw);
  picture.rgba.assign(bytes.begin(), bytes.end());
  return picture;
}

Difference Compare(const RgbaPicture& a, const RgbaPicture& b) {
  if (a.width != b.width || a.height != b.height || a.rgba.size() != b.rgba.size()) {
    return {255, 255};
  }
  Difference d;
  double sum = 0;
  for (std::size_t i = 0; i < a.rgba.size(); ++i) {
    const int delta = std::abs(int{a.rgba[i]} - int{b.rgba[i]});
    sum += delta;
    d.largest = std::max(d.largest, delta);
  }
  d.mean = a.rgba.empty() ? 0 : sum / static_cast<double>(a.rgba.size());
  return d;
}

}  // namespace pixtrel::test
