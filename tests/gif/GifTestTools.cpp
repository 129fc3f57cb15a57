#include "tests/gif/GifTestTools.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {

std::optional<PilIndexed> ReadIndexedWithPil(const fs::path& file) {
  if (!PythonWithPil()) return std::nullopt;
  TempFolder scratch;
  const fs::path raw = scratch / "pixels", pal = scratch / "palette";
  const RunResult r = RunPython(
      "import sys\n"
      "from PIL import Image\n"
      "im = Image.open(sys.argv[1])\n"
      "frames = getattr(im, 'n_frames', 1)\n"
      "im.seek(0)\n"
      "info = repr(sorted((k, str(v)) for k, v in im.info.items()))\n"
      "im.load()\n"
      "open(sys.argv[2], 'wb').write(im.tobytes())\n"
      "p = im.getpalette() if im.mode == 'P' else None\n"
      "open(sys.argv[3], 'wb').write(bytes(p or []))\n"
      "print(im.mode)\nprint(im.size[0])\nprint(im.size[1])\nprint(frames)\nprint(info)\n",
      {file.string(), raw.string(), pal.string()});
  if (r.exitCode != 0) return std::nullopt;
  std::stringstream lines(r.out);
  PilIndexed p;
  lines >> p.mode >> p.width >> p.height >> p.frames;
  std::getline(lines, p.info);
  std::getline(lines, p.info);
  p.indices = FileContents(raw);
  const Bytes palette = FileContents(pal);
  for (std::size_t i = 0; i + 2 < palette.size(); i += 3)
    p.palette.push_back(Rgb{palette[i], palette[i + 1], palette[i + 2]});
  return p;
}

bool MakeWithPython(const std::string& code, const fs::path& folder, std::string* message) {
  if (!PythonWithPil()) {
    if (message) *message = "no python3 with PIL";
    return false;
  }
  const RunResult r = RunPython("import sys\nfrom PIL import Image\n" + code, {folder.string()});
  if (message) *message = r.err;
  return r.exitCode == 0;
}

}  // namespace pixtrel::test
