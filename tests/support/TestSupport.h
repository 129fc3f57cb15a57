#pragma once
// Helpers shared by the tests: temporary folders, running programs, the independent tools
// (Python with PIL, ImageMagick) that check our files, and small picture builders.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/Bitmap24.h"
#include "io/FileBytes.h"

namespace pixtrel::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct RunResult {
  int exitCode = -1;  // -1 when ended by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

// Runs argv with stdin from /dev/null, in folder cwd (empty: the current one). Inside a TEST body
// call RunProgram: GoogleTest's own Test::Run hides the short name there.
RunResult Run(const std::vector<std::string>& argv, const std::filesystem::path& cwd = {},
              int timeoutSeconds = 300);
inline RunResult RunProgram(const std::vector<std::string>& argv,
                            const std::filesystem::path& cwd = {}, int timeoutSeconds = 300) {
  return Run(argv, cwd, timeoutSeconds);
}

// The most memory this process, or the largest of its ended children, has held, in KiB. A check
// that a hostile file is refused before its raster is allocated looks at this, not at the clock.
long PeakMemoryKiB();
long PeakChildMemoryKiB();

// Runs pixtrel-batch with the given arguments. Every picture it writes is checked by independent
// readers (see OutputCheck.h): a problem its source did not have fails the test.
RunResult RunBatchTool(const std::vector<std::string>& args, const std::filesystem::path& cwd = {});

// True when the program can be found on PATH.
bool HaveProgram(const std::string& name);

// A Python interpreter with PIL, or nothing (tests that need it skip).
std::optional<std::string> PythonWithPil();

// An independent check that cannot run says so: these end the test as skipped when the tool is
// missing. When the tool is there, its failing is a failure of the test, never a skip. Every
// skip for a missing tool starts its reason with "Missing tool: ", so that scripts/test can
// count them (and fail on them in CI, where it installed every tool); skips for other reasons
// (running as root, no AVX2) use other words.
#define PIXTREL_SKIP_MISSING_TOOL() GTEST_SKIP() << "Missing tool: "
#define PIXTREL_SKIP_WITHOUT_PIL()       \
  if (!::pixtrel::test::PythonWithPil()) \
  PIXTREL_SKIP_MISSING_TOOL() << "Python 3 with PIL (Debian package python3-pil)"
#define PIXTREL_SKIP_WITHOUT_PROGRAM(name) \
  if (!::pixtrel::test::HaveProgram(name)) PIXTREL_SKIP_MISSING_TOOL() << (name)

// Runs a Python snippet with PIL; argv[1..] are the extra arguments.
RunResult RunPython(const std::string& code, const std::vector<std::string>& args = {});

// Reads a picture with PIL and gives its mode, size and RGB pixels (row-major, r g b).
struct PilPicture {
  std::string mode;
  std::string format;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  std::string info;  // PIL's info dict, as text
};
std::optional<PilPicture> ReadWithPil(const std::filesystem::path& file);

// A picture as PIL reads it, with four bytes (r, g, b, a) per pixel.
struct RgbaPicture {
  std::string mode;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
  const std::uint8_t* at(int x, int y) const {
    return &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
  }
};
std::optional<RgbaPicture> PilRgba(const std::filesystem::path& file);

// How far apart two pictures of one size are: the mean and the largest difference over every
// channel (alpha included); the largest is 255 when the sizes differ.
struct Difference {
  double mean = 0;
  int largest = 0;
};
Difference Compare(const RgbaPicture& a, const RgbaPicture& b);

// A picture with varied colours: gradients plus a checker pattern, deterministic.
Bitmap24 TestPattern(int width, int height, unsigned seed = 1);

// The whole file (empty when it cannot be read).
Bytes FileContents(const std::filesystem::path& file);

// The last line of a text, without its line end.
std::string LastLine(std::string text);

// Writes raw bytes to a file.
void WriteBytes(const std::filesystem::path& file, const Bytes& bytes);

// The pixel (blue, green, red) at x, y.
struct Bgr {
  std::uint8_t b, g, r;
  friend bool operator==(const Bgr&, const Bgr&) = default;
};
Bgr PixelAt(const Bitmap24& bitmap, int x, int y);

}  // namespace pixtrel::test
