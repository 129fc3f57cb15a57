// The standard error redirection around chatty libraries: what they print goes nowhere, what we
// write with WriteStderr reaches the real stream meanwhile, and the stream comes back after.
#include "io/QuietStderr.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// Points the process's standard error at a file for the test's span.
class StderrToFile {
 public:
  explicit StderrToFile(const std::filesystem::path& file) {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(fd, STDERR_FILENO);
    ::close(fd);
  }
  ~StderrToFile() {
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
  }

 private:
  int saved_ = -1;
};

TEST(QuietStderr, OurLinesGetThroughWhileTheLibrarysAreDropped) {
  TempFolder folder;
  const auto file = folder / "stderr.txt";
  {
    StderrToFile capture(file);
    std::fputs("before\n", stderr);
    {
      const QuietStderr outer;
      const QuietStderr inner;  // another reader at the same time shares the redirection
      std::fputs("Unknown OBU type\n", stderr);
      WriteStderr("pixtrel-batch: bad.jpg: Not a JPEG file\n");
    }
    std::fputs("after\n", stderr);
    WriteStderr("last\n");
  }
  const Bytes bytes = ReadFileBytes(file);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
            "before\npixtrel-batch: bad.jpg: Not a JPEG file\nafter\nlast\n");
}

}  // namespace
