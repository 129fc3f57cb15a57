#pragma once
// Helpers of the animation tests: animations as independent programs play them (PIL,
// ImageMagick), what gifsicle and webpmux say of a file's frames, and small animation builders.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/AnimatedPicture.h"

namespace pixtrel::test {

// Every frame of a file as a reader shows it: the whole canvas, r g b a per pixel.
struct PlayedFrames {
  int width = 0;
  int height = 0;
  std::vector<std::vector<std::uint8_t>> rgba;
  std::vector<int> durations;  // milliseconds (PIL); hundredths of a second (ImageMagick)
  int loop = -1;               // PIL's "loop" (-1: none given)
};

// PIL: n_frames, and every frame seeked to and converted to RGBA.
std::optional<PlayedFrames> PilFrames(const std::filesystem::path& file);
// ImageMagick: the frames coalesced (every frame as the whole canvas).
std::optional<PlayedFrames> MagickFrames(const std::filesystem::path& file);

// Our frame as r g b a (alpha 255 where it has no alpha plane).
std::vector<std::uint8_t> RgbaOf(const AnimationFrame& frame);

// The first pixel where two frames differ, as text ("" when they agree). Binary: opacity is
// compared as opaque (alpha >= 128) or not, as a GIF holds it, and colours only where both are
// opaque. Exact: alpha too is compared, and colours wherever both have some opacity. Channels
// are compared within tolerance.
enum class AlphaRule { Binary, Exact };
std::string FrameDifference(const std::vector<std::uint8_t>& expected,
                            const std::vector<std::uint8_t>& actual, int width, int tolerance = 0,
                            AlphaRule rule = AlphaRule::Binary);

// What gifsicle --info says of a GIF.
struct GifsicleFrame {
  int width = 0, height = 0, left = 0, top = 0;
  std::string disposal;  // "", "asis", "background", "previous", ...
  int delayCs = 0;
  bool transparent = false;
};
struct GifsicleInfo {
  int images = 0;
  std::string loop;  // "", "forever" or the count
  std::vector<GifsicleFrame> frames;
};
std::optional<GifsicleInfo> ReadGifsicleInfo(const std::filesystem::path& file);

// What webpmux -info says of a WebP animation.
struct WebpmuxFrame {
  int width = 0, height = 0, left = 0, top = 0, duration = 0;
  std::string compression;  // "lossless" or "lossy"
};
struct WebpmuxInfo {
  int width = 0, height = 0;
  int loop = -1;
  std::vector<WebpmuxFrame> frames;
  std::string text;  // the whole output
};
std::optional<WebpmuxInfo> ReadWebpmuxInfo(const std::filesystem::path& file);

// A canvas of w x h filled with one colour (alpha 255: no alpha plane).
AnimationFrame SolidFrame(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                          std::uint8_t alpha = 255, int delayMs = 100);
// Paints a rectangle of the frame (creating an alpha plane when alpha is below 255).
void Paint(AnimationFrame& frame, int left, int top, int width, int height, std::uint8_t r,
           std::uint8_t g, std::uint8_t b, std::uint8_t alpha = 255);

// GIF pieces the tests build by hand (with tests/gif/GifBuilder.h): a graphic control extension
// (disposal method, transparent index or -1, delay in hundredths) and a NETSCAPE2.0 loop count.
void GifControl(std::vector<std::uint8_t>& gif, int disposal, int transparentIndex = -1,
                int delay = 5);
void GifLoop(std::vector<std::uint8_t>& gif, int count);
std::vector<std::uint8_t> Filled(int width, int height, std::uint8_t index);
// Grey level of entry i of GifBuilder's global table.
inline std::uint8_t Grey(int i) {
  return static_cast<std::uint8_t>(i * 16);
}

// Five frames on an 8 x 6 screen with a grey global table, one frame for each disposal rule
// (1, 2, 3, 0 and 1 with transparent pixels), delays 5, 0, 7, 9 and 11 hundredths, looping
// for ever.
std::vector<std::uint8_t> DisposalTestGif();

// Runs a program; its standard output, or nothing when it could not run or failed.
std::optional<std::string> ToolOutput(const std::vector<std::string>& argv);

}  // namespace pixtrel::test
