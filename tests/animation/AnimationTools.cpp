#include "tests/animation/AnimationTools.h"

#include <cstdlib>
#include <regex>
#include <sstream>

#include "tests/gif/GifBuilder.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {

std::optional<PlayedFrames> PilFrames(const fs::path& file) {
  if (!PythonWithPil()) return std::nullopt;
  TempFolder scratch;
  const fs::path raw = scratch / "frames";
  const RunResult r = RunPython(
      "import sys\n"
      "from PIL import Image\n"
      "im = Image.open(sys.argv[1])\n"
      "n = getattr(im, 'n_frames', 1)\n"
      "print(im.size[0], im.size[1], n, im.info.get('loop', -1))\n"
      "with open(sys.argv[2], 'wb') as out:\n"
      "    for i in range(n):\n"
      "        im.seek(i)\n"
      "        out.write(im.convert('RGBA').tobytes())\n"
      "        print(im.info.get('duration', -1))\n",
      {file.string(), raw.string()});
  if (r.exitCode != 0) return std::nullopt;
  std::stringstream lines(r.out);
  PlayedFrames played;
  int n = 0;
  lines >> played.width >> played.height >> n >> played.loop;
  const Bytes bytes = FileContents(raw);
  const std::size_t size = static_cast<std::size_t>(played.width) * played.height * 4;
  if (n <= 0 || bytes.size() != size * n) return std::nullopt;
  for (int i = 0; i < n; ++i) {
    played.rgba.emplace_back(bytes.begin() + static_cast<long>(size * i),
                             bytes.begin() + static_cast<long>(size * (i + 1)));
    int duration = -1;
    lines >> duration;
    played.durations.push_back(duration);
  }
  return played;
}

std::optional<PlayedFrames> MagickFrames(const fs::path& file) {
  if (!HaveProgram("convert") || !HaveProgram("identify")) return std::nullopt;
  const auto listing =
      ToolOutput({"identify", "-format", "%W %H %T\n", file.string()});  // canvas, delay
  if (!listing) return std::nullopt;
  TempFolder scratch;
  const RunResult r = Run({"convert", file.string(), "-coalesce", "+adjoin", "-depth", "8",
                           "rgba:" + (scratch / "f-%04d.rgba").string()});
  if (r.exitCode != 0) return std::nullopt;
  PlayedFrames played;
  std::stringstream lines(*listing);
  int delay = 0;
  while (lines >> played.width >> played.height >> delay)
    played.durations.push_back(delay);
  const std::size_t size = static_cast<std::size_t>(played.width) * played.height * 4;
  for (std::size_t i = 0; i < played.durations.size(); ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "f-%04zu.rgba", i);
    Bytes frame = FileContents(scratch / name);
    if (frame.size() != size) return std::nullopt;
    played.rgba.push_back(std::move(frame));
  }
  return played;
}

std::vector<std::uint8_t> RgbaOf(const AnimationFrame& frame) {
  const Bitmap24& colours = std::get<Bitmap24>(frame.canvas.raster);
  std::vector<std::uint8_t> rgba;
  rgba.reserve(static_cast<std::size_t>(colours.width()) * colours.height() * 4);
  for (int y = 0; y < colours.height(); ++y) {
    const std::uint8_t* p = colours.row(y);
    for (int x = 0; x < colours.width(); ++x, p += 3) {
      const std::size_t i = static_cast<std::size_t>(y) * colours.width() + x;
      const std::uint8_t a = frame.canvas.alpha ? (*frame.canvas.alpha)[i] : std::uint8_t{255};
      rgba.insert(rgba.end(), {p[2], p[1], p[0], a});
    }
  }
  return rgba;
}

std::string FrameDifference(const std::vector<std::uint8_t>& expected,
                            const std::vector<std::uint8_t>& actual, int width, int tolerance,
                            AlphaRule rule) {
  if (expected.size() != actual.size()) {
    return "sizes differ: " + std::to_string(expected.size()) + " and " +
           std::to_string(actual.size()) + " bytes";
  }
  const int opaqueFrom = rule == AlphaRule::Binary ? 128 : 1;
  for (std::size_t i = 0; i < expected.size(); i += 4) {
    const bool opaque = expected[i + 3] >= opaqueFrom;
    bool same = opaque == (actual[i + 3] >= opaqueFrom);
    if (rule == AlphaRule::Exact)
      same = same && std::abs(expected[i + 3] - actual[i + 3]) <= tolerance;
    for (int c = 0; same && opaque && c < 3; ++c)
      same = std::abs(expected[i + c] - actual[i + c]) <= tolerance;
    if (!same) {
      const std::size_t pixel = i / 4;
      std::ostringstream text;
      text << "pixel " << pixel % width << "," << pixel / width << ": expected " << int(expected[i])
           << " " << int(expected[i + 1]) << " " << int(expected[i + 2]) << " alpha "
           << int(expected[i + 3]) << ", got " << int(actual[i]) << " " << int(actual[i + 1]) << " "
           << int(actual[i + 2]) << " alpha " << int(actual[i + 3]);
      return text.str();
    }
  }
  return "";
}

std::optional<GifsicleInfo> ReadGifsicleInfo(const fs::path& file) {
  const auto text = ToolOutput({"gifsicle", "--info", file.string()});
  if (!text) return std::nullopt;
  GifsicleInfo info;
  static const std::regex kImages(R"(^\* .* (\d+) images?$)");
  static const std::regex kLoop(R"(^  loop (forever|count (\d+))$)");
  static const std::regex kImage(R"(^  \+ image #\d+ (\d+)x(\d+)( at (\d+),(\d+))?(.*)$)");
  static const std::regex kDisposal(R"(disposal (\w+))");
  static const std::regex kDelay(R"(delay (\d+)\.(\d\d)s)");
  std::stringstream lines(*text);
  std::string line;
  std::smatch m;
  while (std::getline(lines, line)) {
    if (std::regex_match(line, m, kImages)) {
      info.images = std::stoi(m[1]);
    } else if (std::regex_match(line, m, kLoop)) {
      info.loop = m[2].matched ? m[2].str() : m[1].str();
    } else if (std::regex_match(line, m, kImage)) {
      GifsicleFrame f;
      f.width = std::stoi(m[1]);
      f.height = std::stoi(m[2]);
      if (m[3].matched) {
        f.left = std::stoi(m[4]);
        f.top = std::stoi(m[5]);
      }
      f.transparent = m[6].str().find("transparent") != std::string::npos;
      info.frames.push_back(f);
    } else if (!info.frames.empty() && line.rfind("    ", 0) == 0) {
      if (std::regex_search(line, m, kDisposal)) info.frames.back().disposal = m[1];
      if (std::regex_search(line, m, kDelay))
        info.frames.back().delayCs = std::stoi(m[1]) * 100 + std::stoi(m[2]);
    }
  }
  return info;
}

std::optional<WebpmuxInfo> ReadWebpmuxInfo(const fs::path& file) {
  const auto text = ToolOutput({"webpmux", "-info", file.string()});
  if (!text) return std::nullopt;
  WebpmuxInfo info;
  info.text = *text;
  static const std::regex kCanvas(R"(^Canvas size: (\d+) x (\d+))");
  static const std::regex kLoop(R"(Loop Count : (\d+))");
  static const std::regex kFrame(
      R"(^ *\d+: +(\d+) +(\d+) +\w+ +(\d+) +(\d+) +(\d+) +\w+ +\w+ +\d+ +(\w+))");
  std::stringstream lines(*text);
  std::string line;
  std::smatch m;
  while (std::getline(lines, line)) {
    if (std::regex_search(line, m, kCanvas)) {
      info.width = std::stoi(m[1]);
      info.height = std::stoi(m[2]);
    }
    if (std::regex_search(line, m, kLoop)) info.loop = std::stoi(m[1]);
    if (std::regex_search(line, m, kFrame)) {
      info.frames.push_back(WebpmuxFrame{std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]),
                                         std::stoi(m[4]), std::stoi(m[5]), m[6]});
    }
  }
  return info;
}

AnimationFrame SolidFrame(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                          std::uint8_t alpha, int delayMs) {
  AnimationFrame frame;
  frame.canvas.raster = Bitmap24(width, height);
  frame.delayMs = delayMs;
  Paint(frame, 0, 0, width, height, r, g, b, alpha);
  return frame;
}

void Paint(AnimationFrame& frame, int left, int top, int width, int height, std::uint8_t r,
           std::uint8_t g, std::uint8_t b, std::uint8_t alpha) {
  Bitmap24& colours = std::get<Bitmap24>(frame.canvas.raster);
  const std::size_t pixels = static_cast<std::size_t>(colours.width()) * colours.height();
  if (alpha != 255 && !frame.canvas.alpha) frame.canvas.alpha.emplace(pixels, 255);
  for (int y = top; y < top + height; ++y) {
    for (int x = left; x < left + width; ++x) {
      std::uint8_t* p = colours.row(y) + static_cast<std::size_t>(x) * 3;
      p[0] = b;
      p[1] = g;
      p[2] = r;
      if (frame.canvas.alpha)
        (*frame.canvas.alpha)[static_cast<std::size_t>(y) * colours.width() + x] = alpha;
    }
  }
}

void GifControl(std::vector<std::uint8_t>& gif, int disposal, int transparentIndex, int delay) {
  gif.insert(
      gif.end(),
      {'!', 0xF9, 4, static_cast<std::uint8_t>(disposal << 2 | (transparentIndex >= 0 ? 1 : 0)),
       static_cast<std::uint8_t>(delay & 0xFF), static_cast<std::uint8_t>(delay >> 8),
       static_cast<std::uint8_t>(transparentIndex >= 0 ? transparentIndex : 0), 0});
}

void GifLoop(std::vector<std::uint8_t>& gif, int count) {
  gif.insert(gif.end(),
             {'!', 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1,
              static_cast<std::uint8_t>(count & 0xFF), static_cast<std::uint8_t>(count >> 8), 0});
}

std::vector<std::uint8_t> Filled(int width, int height, std::uint8_t index) {
  return std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, index);
}

std::vector<std::uint8_t> DisposalTestGif() {
  GifBuilder gif;
  gif.screen(8, 6, 4);
  GifLoop(gif.bytes, 0);
  GifControl(gif.bytes, 1, -1, 5);
  gif.image(0, 0, 8, 6, 0, Filled(8, 6, 1), 4);  // everything grey 16, left in place
  GifControl(gif.bytes, 2, -1, 0);
  gif.image(1, 1, 3, 2, 0, Filled(3, 2, 2), 4);  // shown, then cleared to transparent
  GifControl(gif.bytes, 3, -1, 7);
  gif.image(5, 3, 2, 2, 0, Filled(2, 2, 3), 4);  // shown, then what was below is put back
  GifControl(gif.bytes, 0, 5, 9);
  gif.image(0, 0, 1, 1, 0, Filled(1, 1, 4), 4);  // unspecified disposal: left in place
  GifControl(gif.bytes, 1, 5, 11);
  gif.image(6, 0, 2, 1, 0, {5, 6}, 4);  // transparent index 5 keeps what is below
  gif.trailer();
  return gif.bytes;
}

std::optional<std::string> ToolOutput(const std::vector<std::string>& argv) {
  if (argv.empty() || !HaveProgram(argv.front())) return std::nullopt;
  const RunResult r = Run(argv);
  if (r.exitCode != 0) return std::nullopt;
  return r.out;
}

}  // namespace pixtrel::test
