// Every command that takes a photo, against every combination of the options that changes what
// it writes: the orientation tag (all eight), --shrink-only (for the resizes), the metadata
// choice, the save mode (every pair with the metadata choice for the resizes; each mode once for
// the other commands whose names follow it) and the output format. The
// photo carries a camera name, GPS and an Adobe RGB profile; each output is checked for upright
// pixels, its size, its tags and its profile by exiftool and PIL, and (as every output of these
// tests) by exiftool's validation, pngcheck and webpinfo.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/commands/CommandTools.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

const fs::path kAdobeRgb = "/usr/share/color/icc/colord/AdobeRGB1998.icc";
constexpr int kWidth = 48, kHeight = 32;  // upright

// The upright picture: red, green / blue, white quadrants over a faint texture. For each tag,
// the stored picture is the one that tag turns into it; written as JPEG, PNG and WebP.
const char* kMakePhotos = R"(
import os, sys, random
from PIL import Image
d = sys.argv[1]
random.seed(7)
up = Image.new('RGB', (48, 32))
for y in range(32):
    for x in range(48):
        r, g, b = [(230, 20, 20), (20, 200, 30)][x >= 24] if y < 16 else [(25, 30, 220), (245, 245, 245)][x >= 24]
        n = random.randint(-6, 6)
        up.putpixel((x, y), (min(255, max(0, r + n)), min(255, max(0, g + n)), min(255, max(0, b + n))))
T = Image.Transpose
stored = {1: None, 2: T.FLIP_LEFT_RIGHT, 3: T.ROTATE_180, 4: T.FLIP_TOP_BOTTOM, 5: T.TRANSPOSE,
          6: T.ROTATE_90, 7: T.TRANSVERSE, 8: T.ROTATE_270}
for tag, op in stored.items():
    im = up if op is None else up.transpose(op)
    im.save(os.path.join(d, 'o%d.jpg' % tag), quality=95)
    im.save(os.path.join(d, 'o%d.png' % tag))
    im.save(os.path.join(d, 'o%d.webp' % tag), lossless=True)
)";

// Checks the outputs listed on stdin, one per line: FILE WIDTH HEIGHT GRID GREY CARRIES MODE.
// GRID: the quadrant classes top-left, top-right, bottom-left, bottom-right (R G B W); GREY: 1
// when the output is a grey JPEG; CARRIES: 1 for formats with metadata; MODE: the metadata
// choice. Prints one line per fault.
const char* kCheck = R"(
import json, subprocess, sys
from PIL import Image
specs = [line.split() for line in sys.stdin if line.strip()]
tags = {}
if specs:
    out = subprocess.run(['exiftool', '-j', '-n', '-G1', '-a', '-Make', '-GPS:all',
                          '-Orientation', '-ProfileDescription', '-ColorSpaceData']
                         + [s[0] for s in specs], capture_output=True, text=True).stdout
    for entry in json.loads(out or '[]'):
        tags[entry['SourceFile']] = entry
colour = {'R': (230, 20, 20), 'G': (20, 200, 30), 'B': (25, 30, 220), 'W': (245, 245, 245)}
def cls(p, grey):
    best = None
    for k, c in colour.items():
        ref = [0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]] * 3 if grey else c
        d = sum(abs(a - b) for a, b in zip(p, ref))
        if best is None or d < best[0]: best = (d, k)
    return best[1]
for name, w, h, grid, grey, carries, mode in specs:
    w, h, grey, carries = int(w), int(h), grey == '1', carries == '1'
    im = Image.open(name).convert('RGB')
    if im.size != (w, h):
        print(name, 'size', im.size, 'expected', (w, h)); continue
    seen = ''
    for qy in (h // 4, 3 * h // 4):
        for qx in (w // 4, 3 * w // 4):
            px = [im.getpixel((min(w - 1, max(0, qx + dx)), min(h - 1, max(0, qy + dy))))
                  for dx in (-1, 0, 1) for dy in (-1, 0, 1)]
            seen += cls([sum(p[i] for p in px) / len(px) for i in range(3)], grey)
    if seen != grid: print(name, 'quadrants', seen, 'expected', grid)
    t = tags.get(name, {})
    make = 'IFD0:Make' in t
    gps = [k for k in t if k.startswith('GPS:')]
    profile = t.get('ICC_Profile:ProfileDescription', '')
    wants_exif = carries and mode != 'strip'
    if make != wants_exif: print(name, 'Make', make, 'expected', wants_exif)
    if bool(gps) != (carries and mode == 'keep'): print(name, 'GPS', gps)
    if t.get('IFD0:Orientation', 1) != 1: print(name, 'orientation', t['IFD0:Orientation'])
    wants_profile = wants_exif and not grey
    if ('Adobe RGB (1998)' in profile) != wants_profile or (profile and not wants_profile):
        print(name, 'profile', repr(profile), 'expected', wants_profile)
)";

struct Variant {
  std::string name{};                    // the prefix of its outputs in prefix mode
  std::vector<std::string> arguments{};  // before the options that vary
  std::vector<std::string> sources{};    // "jpg", "png", "webp"
  bool resize = false;                   // --shrink-only matters
  bool followsSaveMode = true;           // the output name depends on --save
  std::string target{};                  // output extension when it changes ("" for the same)
  int turn = 0;                          // clockwise quarters the command adds
  bool grey = false;
};

std::string Grid(int quarters) {
  std::string grid = "RGBW";  // top-left, top-right, bottom-left, bottom-right
  for (int i = 0; i < quarters; ++i)
    grid = {grid[2], grid[0], grid[3], grid[1]};
  return grid;
}

class Combinations : public ::testing::TestWithParam<Variant> {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_EXIFTOOL();
    if (!fs::exists(kAdobeRgb))
      PIXTREL_SKIP_MISSING_TOOL() << kAdobeRgb << " (package colord-data)";
    const RunResult made = RunPython(kMakePhotos, {originals.path().string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    // One exiftool run tags all 24 files: "-execute" starts the next tag's set of edits.
    std::vector<std::string> argv{"exiftool"};
    for (int tag = 1; tag <= 8; ++tag) {
      argv.insert(argv.end(), {"-q", "-overwrite_original", "-Orientation#=" + std::to_string(tag),
                               "-Make=Korvane Combo", "-GPSLatitude=46.0569", "-GPSLatitudeRef=N",
                               "-GPSLongitude=14.5058", "-GPSLongitudeRef=E",
                               "-ICC_Profile<=" + kAdobeRgb.string()});
      for (const char* extension : {"jpg", "png", "webp"})
        argv.push_back((originals / ("o" + std::to_string(tag) + "." + extension)).string());
      argv.push_back("-execute");
    }
    const RunResult r = RunProgram(argv);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(ExifToolRead(originals / "o6.webp")["Orientation"], "6");
  }

  // One run: the sources copied into a fresh folder, the command run on all of them, every
  // output checked. Returns the faults found.
  std::string RunOnce(const std::vector<std::string>& options, const std::string& save,
                      const std::string& mode, bool shrinkOnly) {
    const Variant& v = GetParam();
    TempFolder dir;
    std::vector<std::string> arguments = v.arguments;
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {"--metadata", mode, "--save", save, "--yes"});
    if (shrinkOnly) arguments.push_back("--shrink-only");
    std::ostringstream specs;
    for (const std::string& extension : v.sources) {
      for (int tag = 1; tag <= 8; ++tag) {
        const std::string name = "o" + std::to_string(tag) + "." + extension;
        fs::copy_file(originals / name, dir / name);
        arguments.push_back(name);
        std::string output = name + (v.target.empty() ? "" : "." + v.target);
        if (v.followsSaveMode && save == "subfolder") output = "vantro/" + output;
        if (v.followsSaveMode && save == "prefix") output = v.name + output;
        if (v.grey) output = "bw-" + name;
        const std::string format = v.target.empty() ? extension : v.target;
        int width = kWidth, height = kHeight;
        if (v.resize) {
          const int n = std::stoi(options[1]);
          // The shorter side rounded to the nearest pixel.
          if (n < kWidth || !shrinkOnly)
            width = n, height = (2 * n * kHeight + kWidth) / (2 * kWidth);
        }
        if (v.turn % 2) std::swap(width, height);
        const bool carries = format == "jpg" || format == "png" || format == "webp";
        specs << (dir / output).string() << ' ' << width << ' ' << height << ' ' << Grid(v.turn)
              << ' ' << v.grey << ' ' << carries << ' ' << mode << '\n';
      }
    }
    const RunResult r = RunBatchTool(arguments, dir.path());
    if (r.exitCode != 0) return "exit " + std::to_string(r.exitCode) + ": " + r.err;
    TempFolder scratch;
    const std::string lines = specs.str();
    WriteBytes(scratch / "specs", Bytes(lines.begin(), lines.end()));
    const RunResult check =
        RunProgram({"sh", "-c", "\"$0\" -c \"$1\" < \"$2\"", PythonWithPil().value_or("python3"),
                    kCheck, (scratch / "specs").string()});
    if (check.exitCode != 0) return "checker failed: " + check.err;
    return check.out;
  }

  TempFolder originals;
};

TEST_P(Combinations, EveryOutputIsUprightSizedTaggedAndProfiledAsChosen) {
  const Variant& v = GetParam();
  // The save mode decides where the output goes; for a resize it also meets --shrink-only (a
  // picture left as it is, or rebuilt, over itself), so resizes run every pair. The other
  // commands write the same bytes whatever the mode: each metadata choice runs with one.
  std::vector<std::pair<std::string, std::string>> runs;  // metadata choice, save mode
  for (const std::string mode : {"keep", "strip", "strip-gps"}) {
    for (const std::string save : {"prefix", "subfolder", "overwrite"}) {
      const bool paired = (mode == "keep" && save == "prefix") ||
                          (mode == "strip" && save == "subfolder") ||
                          (mode == "strip-gps" && save == "overwrite");
      if (v.resize || (v.followsSaveMode ? paired : save == "prefix")) runs.push_back({mode, save});
    }
  }
  for (const auto& [mode, save] : runs) {
    for (const bool shrinkOnly :
         v.resize ? std::vector<bool>{false, true} : std::vector<bool>{false}) {
      // A resize enlarges to 100, or with --shrink-only leaves the picture as it is; at 24 it
      // shrinks either way.
      std::vector<std::vector<std::string>> optionSets = {{}};
      if (v.resize) {
        optionSets = {{"--pixels", "100"}};
        if (shrinkOnly) optionSets.push_back({"--pixels", "24"});
      }
      for (const auto& options : optionSets) {
        SCOPED_TRACE(mode + " " + save + (shrinkOnly ? " --shrink-only" : "") +
                     (options.empty() ? "" : " --pixels " + options[1]));
        EXPECT_EQ(RunOnce(options, save, mode, shrinkOnly), "");
      }
    }
  }
}

// Shown by GoogleTest for a failing variant.
void PrintTo(const Variant& v, std::ostream* out) {
  for (const std::string& word : v.arguments)
    *out << word << ' ';
}

std::vector<Variant> Variants() {
  std::vector<Variant> variants = {
      {.name = "mini-", .arguments = {"resize-jpg"}, .sources = {"jpg"}, .resize = true},
      {.name = "mini-", .arguments = {"resize-png"}, .sources = {"png"}, .resize = true},
      {.name = "mini-", .arguments = {"resize-webp"}, .sources = {"webp"}, .resize = true},
      {.name = "right-",
       .arguments = {"rotate", "--turn", "right"},
       .sources = {"jpg", "png", "webp"},
       .turn = 1},
      {.name = "180-",
       .arguments = {"rotate", "--turn", "180"},
       .sources = {"jpg", "png", "webp"},
       .turn = 2},
      {.name = "q-", .arguments = {"quality", "--quality", "80"}, .sources = {"jpg"}},
      {.name = "bw-",
       .arguments = {"greyscale"},
       .sources = {"jpg"},
       .followsSaveMode = false,
       .grey = true},
      {.arguments = {"jpg2gif"}, .sources = {"jpg"}, .followsSaveMode = false, .target = "gif"},
      {.arguments = {"jpg2bmp"}, .sources = {"jpg"}, .followsSaveMode = false, .target = "bmp"},
  };
  for (const char* target : {"jpg", "png", "webp", "gif", "bmp"})
    variants.push_back({.arguments = {"convert", "--to", target},
                        .sources = {"jpg", "png", "webp"},
                        .followsSaveMode = false,
                        .target = target});
  return variants;
}

INSTANTIATE_TEST_SUITE_P(Commands, Combinations, ::testing::ValuesIn(Variants()),
                         [](const auto& info) {
                           std::string name;
                           for (const std::string& word : info.param.arguments) {
                             for (char c : word)
                               if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           }
                           return name;
                         });

}  // namespace
}  // namespace pixtrel::test
