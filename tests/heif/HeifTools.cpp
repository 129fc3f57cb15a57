#include "tests/heif/HeifTools.h"

#include <algorithm>
#include <cstdlib>

#include "codecs/png/PngFile.h"

// Debian 12's libheif does not release the buffer it hands dav1d when dav1d refuses it (an AV1
// item with no data), so damaged files may leave a few dozen bytes inside libdav1d.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdav1d.so\n";
}

namespace pixtrel::test {

std::string EncoderPackage(const std::string& program) {
  return program.rfind("avif", 0) == 0 ? "Debian package libavif-bin"
                                       : "Debian package libheif-examples";
}

std::vector<std::uint8_t> AlphaRamp(int width, int height) {
  std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < alpha.size(); ++i)
    alpha[i] = static_cast<std::uint8_t>(i * 255 / (alpha.size() - 1));
  return alpha;
}

std::filesystem::path WriteSourcePng(const TempFolder& folder, const Bitmap24& picture,
                                     const std::vector<std::uint8_t>* alpha) {
  const auto file = folder / "source.png";
  WriteBytes(file, EncodePng(picture, alpha, {}));
  return file;
}

Bytes Encode(const TempFolder& folder, const std::string& program,
             const std::vector<std::string>& options, const std::filesystem::path& source,
             const std::string& outputName, std::string* log) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), options.begin(), options.end());
  const auto output = folder / outputName;
  if (program == "heif-enc") {
    argv.insert(argv.end(), {"-o", output.string(), source.string()});
  } else {
    argv.insert(argv.end(), {"-s", "8", source.string(), output.string()});
  }
  const RunResult r = Run(argv);
  if (log) *log = r.out + r.err;
  return r.exitCode == 0 ? FileContents(output) : Bytes{};
}

int MaxDifference(const Bitmap24& a, const Bitmap24& b) {
  if (a.width() != b.width() || a.height() != b.height()) return -1;
  int most = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int i = 0; i < a.width() * 3; ++i)
      most = std::max(most, std::abs(a.row(y)[i] - b.row(y)[i]));
  }
  return most;
}

double MeanDifference(const Bitmap24& a, const Bitmap24& b) {
  double sum = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int i = 0; i < a.width() * 3; ++i)
      sum += std::abs(a.row(y)[i] - b.row(y)[i]);
  }
  return sum / (3.0 * a.width() * a.height());
}

Bitmap24 Transformed(const Bitmap24& picture, int quarters, int mirror) {
  Bitmap24 result = picture;
  for (int q = 0; q < quarters; ++q) {
    const int w = result.width(), h = result.height();
    Bitmap24 turned(h, w);
    // Anticlockwise: the top row becomes the left column, read upwards.
    for (int y = 0; y < w; ++y) {
      for (int x = 0; x < h; ++x)
        std::copy_n(result.row(x) + (w - 1 - y) * 3, 3, turned.row(y) + x * 3);
    }
    result = std::move(turned);
  }
  if (mirror < 0) return result;
  Bitmap24 mirrored(result.width(), result.height());
  for (int y = 0; y < result.height(); ++y) {
    for (int x = 0; x < result.width(); ++x) {
      const int fromX = mirror == 1 ? result.width() - 1 - x : x;
      const int fromY = mirror == 0 ? result.height() - 1 - y : y;
      std::copy_n(result.row(fromY) + fromX * 3, 3, mirrored.row(y) + x * 3);
    }
  }
  return mirrored;
}

std::size_t Find(const Bytes& file, const std::string& bytes, std::size_t from) {
  if (from > file.size()) return std::string::npos;
  const auto at = std::search(file.begin() + static_cast<std::ptrdiff_t>(from), file.end(),
                              bytes.begin(), bytes.end());
  return at == file.end() ? std::string::npos : static_cast<std::size_t>(at - file.begin());
}

}  // namespace pixtrel::test
