// Nothing is lost when a write fails or a run is interrupted: no partial output, no temporary
// file left behind, and an overwritten source stays byte-identical.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "codecs/bmp/Bmp.h"
#include "codecs/jpeg/JpegImage.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

Bytes Jpeg(int w, int h, unsigned seed) {
  TJPEGImage p;
  SetJpegRaster(p, TestPattern(w, h, seed));
  p.Quality = 95;
  EncodeJpeg(p);
  return p.data();
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    names.push_back(fs::relative(e.path(), folder).string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Runs pixtrel-batch with the file size limited to 8 KiB: every output above that fails to write.
RunResult RunWithSmallFileLimit(const std::vector<std::string>& args, const fs::path& dir) {
  std::string command = "ulimit -f 8; exec '" PIXTREL_BATCH_PATH "'";
  for (const std::string& a : args)
    command += " '" + a + "'";
  return RunProgram({"bash", "-c", command}, dir);
}

TEST(WriteFault, FullDiskInEverySaveModeLosesNothing) {
  struct Case {
    std::vector<std::string> args;
    std::string source;
  };
  const std::vector<Case> cases = {
      {{"quality", "--quality", "100"}, "a.jpg"},
      {{"resize-jpg", "--pixels", "300", "--jpeg-quality", "100"}, "a.jpg"},
      {{"rotate"}, "a.jpg"},
      {{"resize-bmp", "--pixels", "300"}, "b.bmp"},
      {{"jpg2bmp"}, "a.jpg"},
      {{"bmp2gif"}, "b.bmp"},
  };
  for (const Case& c : cases) {
    for (const char* mode : {"prefix", "subfolder", "overwrite"}) {
      SCOPED_TRACE(c.args[0] + " " + mode);
      TempFolder dir;
      const Bytes jpeg = Jpeg(400, 300, 5);
      WriteBytes(dir / "a.jpg", jpeg);
      WriteBmpFile(TestPattern(200, 150, 6), dir / "b.bmp");
      const Bytes source = FileContents(dir / c.source);
      std::vector<std::string> args = c.args;
      args.insert(args.end(), {"--save", mode, "--yes", c.source});
      const RunResult r = RunWithSmallFileLimit(args, dir.path());
      EXPECT_EQ(r.exitCode, 1) << r.err;
      EXPECT_NE(r.err.find("Cannot write file"), std::string::npos) << r.err;
      EXPECT_EQ(FileContents(dir / c.source), source);
      // Only the sources remain (and the subfolder, empty, in subfolder mode).
      std::vector<std::string> expected{"a.jpg", "b.bmp"};
      if (std::string(mode) == "subfolder" && c.args[0].find('2') == std::string::npos) {
        expected.push_back("vantro");
      }
      std::sort(expected.begin(), expected.end());
      EXPECT_EQ(Entries(dir.path()), expected);
    }
  }
}

// An interrupted run leaves every output complete or absent, and no temporary file. The signal
// comes from the writer's test hook at a chosen byte of the outputs, with a temporary file in hand.
TEST(WriteFault, InterruptedRunLeavesCompleteFilesOnly) {
  TempFolder dir;
  std::vector<std::string> names;
  std::vector<Bytes> expected;
  for (int i = 0; i < 6; ++i) {
    const std::string name = "p" + std::to_string(10 + i) + ".jpg";
    WriteBytes(dir / name, Jpeg(300, 200, 40 + i));
    names.push_back(name);
    TJPEGImage p = ReadJpegFile(dir / name);
    DecodeJpeg(p);
    p.Quality = 60;
    EncodeJpeg(p);
    expected.push_back(p.data());
  }
  for (int signal : {SIGINT, SIGTERM}) {
    for (std::size_t stopIn : {0u, 2u, 5u}) {
      SCOPED_TRACE("signal " + std::to_string(signal) + " in output " + std::to_string(stopIn));
      for (const std::string& n : names)
        fs::remove(dir / ("q-" + n));
      long long at = static_cast<long long>(expected[stopIn].size() / 2);
      for (std::size_t i = 0; i < stopIn; ++i)
        at += static_cast<long long>(expected[i].size());
      const std::string hook = std::to_string(at) + " " + std::to_string(signal);
      const pid_t pid = fork();
      if (pid == 0) {
        if (chdir(dir.path().c_str()) != 0) _exit(127);
        setenv("PIXTREL_TEST_SIGNAL_AFTER_BYTES", hook.c_str(), 1);
        std::vector<const char*> argv{PIXTREL_BATCH_PATH, "quality", "-q", "--quality", "60"};
        for (const std::string& n : names)
          argv.push_back(n.c_str());
        argv.push_back(nullptr);
        execv(argv[0], const_cast<char* const*>(argv.data()));
        _exit(127);
      }
      int status = 0;
      waitpid(pid, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
      EXPECT_EQ(WTERMSIG(status), signal);
      for (std::size_t i = 0; i < names.size(); ++i) {
        const fs::path out = dir / ("q-" + names[i]);
        if (i < stopIn) {
          EXPECT_EQ(FileContents(out), expected[i]) << out;
        } else {
          EXPECT_FALSE(fs::exists(out)) << out;
        }
      }
      for (const std::string& entry : Entries(dir.path())) {
        EXPECT_EQ(entry.find(".pixtrel-"), std::string::npos) << entry;
      }
    }
  }
}

}  // namespace
