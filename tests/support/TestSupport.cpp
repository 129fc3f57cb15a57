#include "tests/support/TestSupport.h"

#include "tests/support/OutputCheck.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace pixtrel::test {

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "pixtrel-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  // Make read-only folders left by a test removable again.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->is_directory(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

namespace {
std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
}  // namespace

RunResult Run(const std::vector<std::string>& argv, const fs::path& cwd, int timeoutSeconds) {
  TempFolder capture;
  const fs::path outFile = capture / "out", errFile = capture / "err";
  const pid_t pid = fork();
  if (pid == 0) {
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    setsid();  // no controlling terminal: questions count as declined
    std::vector<char*> args;
    for (const std::string& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  RunResult result;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  for (;;) {
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.err = "timed out";
      result.signal = SIGKILL;
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = Slurp(outFile);
  result.err = Slurp(errFile);
  return result;
}

RunResult RunBatchTool(const std::vector<std::string>& args, const fs::path& cwd) {
  // PIXTREL_TEST_BATCH runs the tests against another build (an older one, to see a test fail).
  const char* other = std::getenv("PIXTREL_TEST_BATCH");
  std::vector<std::string> argv{other && *other ? other : PIXTREL_BATCH_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  // The folders the run writes into: where it runs, and the one -C names.
  std::vector<fs::path> folders;
  if (!cwd.empty()) folders.push_back(cwd);
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == "-C" || args[i] == "--folder")
      folders.push_back(fs::path(args[i + 1]).is_absolute() ? fs::path(args[i + 1])
                                                            : cwd / args[i + 1]);
  }
  std::vector<PictureSnapshot> before;
  for (const fs::path& folder : folders)
    before.push_back(SnapshotPictures(folder));
  RunResult result = Run(argv, cwd);
  for (std::size_t i = 0; i < folders.size(); ++i)
    ExpectNoNewProblems(before[i], SnapshotPictures(folders[i]));
  return result;
}

bool HaveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && access((fs::path(dir) / name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

long PeakMemoryKiB() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

long PeakChildMemoryKiB() {
  struct rusage usage {};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_maxrss;
}

std::optional<std::string> PythonWithPil() {
  static const std::optional<std::string> found = []() -> std::optional<std::string> {
    // Debian's python3-pil belongs to /usr/bin/python3; another python3 may come first on PATH.
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
      if (Run({candidate, "-c", "import PIL.Image"}).exitCode == 0) return std::string(candidate);
    }
    return std::nullopt;
  }();
  return found;
}

RunResult RunPython(const std::string& code, const std::vector<std::string>& args) {
  std::vector<std::string> argv{PythonWithPil().value_or("python3"), "-c", code};
  argv.insert(argv.end(), args.begin(), args.end());
  return Run(argv);
}

namespace {

struct PilRun {
  std::string out;  // what the script printed
  Bytes pixels;     // what it wrote to sys.argv[2]
};

// Runs a script on FILE opened by PIL as `im`; nothing without PIL or when PIL cannot read it.
std::optional<PilRun> RunPilScript(const fs::path& file, const std::string& script) {
  if (!PythonWithPil()) return std::nullopt;
  TempFolder scratch;
  const fs::path raw = scratch / "pixels";
  const RunResult r =
      RunPython("import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n" + script,
                {file.string(), raw.string()});
  if (r.exitCode != 0) return std::nullopt;
  return PilRun{r.out, FileContents(raw)};
}

}  // namespace

std::optional<PilPicture> ReadWithPil(const fs::path& file) {
  const auto run = RunPilScript(file,
                                "fmt = im.format\n"
                                "info = repr(sorted((k, str(v)) for k, v in im.info.items()))\n"
                                "mode = im.mode\n"
                                "rgb = im.convert('RGB')\n"
                                "open(sys.argv[2], 'wb').write(rgb.tobytes())\n"
                                "print(mode)\nprint(fmt)\nprint(rgb.size[0])\nprint(rgb.size[1])\n"
                                "print(info)\n");
  if (!run) return std::nullopt;
  std::stringstream lines(run->out);
  PilPicture p;
  lines >> p.mode >> p.format >> p.width >> p.height;
  std::getline(lines, p.info);
  std::getline(lines, p.info);
  p.rgb.assign(run->pixels.begin(), run->pixels.end());
  return p;
}

std::optional<RgbaPicture> PilRgba(const fs::path& file) {
  const auto run = RunPilScript(file,
                                "mode = im.mode\n"
                                "rgba = im.convert('RGBA')\n"
                                "open(sys.argv[2], 'wb').write(rgba.tobytes())\n"
                                "print(mode, rgba.size[0], rgba.size[1])\n");
  if (!run) return std::nullopt;
  RgbaPicture picture;
  std::istringstream(run->out) >> picture.mode >> picture.width >> picture.height;
  picture.rgba.assign(run->pixels.begin(), run->pixels.end());
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

Bitmap24 TestPattern(int width, int height, unsigned seed) {
  Bitmap24 b(width, height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = b.row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      const bool checker = ((x / 8) + (y / 8)) % 2 == 0;
      p[0] = static_cast<std::uint8_t>(width > 1 ? x * 255 / (width - 1) : 0);
      p[1] = static_cast<std::uint8_t>(height > 1 ? y * 255 / (height - 1) : 0);
      p[2] = static_cast<std::uint8_t>(checker ? 200 + random() % 56 : random() % 56);
    }
  }
  return b;
}

Bytes FileContents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string LastLine(std::string text) {
  while (!text.empty() && text.back() == '\n')
    text.pop_back();
  const auto nl = text.rfind('\n');
  return nl == std::string::npos ? text : text.substr(nl + 1);
}

void WriteBytes(const fs::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Bgr PixelAt(const Bitmap24& bitmap, int x, int y) {
  const std::uint8_t* p = bitmap.row(y) + static_cast<std::size_t>(x) * 3;
  return Bgr{p[0], p[1], p[2]};
}

}  // namespace pixtrel::test
