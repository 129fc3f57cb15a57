// pixtrel --help and --version answer on the terminal and end, with no display needed, instead
// of opening the window with "Unknown option --help".
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

// The window program run where no display can be reached: a window could not even start.
RunResult RunWithoutDisplay(const std::vector<std::string>& arguments) {
  std::vector<std::string> command = {
      "/usr/bin/env",     "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb",
      PIXTREL_WINDOW_PATH};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunProgram(command, {}, 60);
}

TEST(TerminalAnswers, HelpPrintsTheUsageAndEnds) {
  for (const char* option : {"--help", "-h"}) {
    const RunResult r = RunWithoutDisplay({option});
    EXPECT_EQ(r.exitCode, 0) << option << ": " << r.err;
    EXPECT_EQ(r.out.rfind("Usage: pixtrel [--tab resize|rotate] [FOLDER | FILE...]\n", 0), 0u)
        << r.out;
    EXPECT_NE(r.out.find("--version"), std::string::npos);
    EXPECT_EQ(r.err, "");
  }
  // Also after other arguments, but not as a file name after "--".
  EXPECT_EQ(RunWithoutDisplay({"--tab", "rotate", "a.jpg", "--help"}).exitCode, 0);
  EXPECT_NE(RunWithoutDisplay({"--", "--help"}).exitCode, 0);  // a window was asked for
}

TEST(TerminalAnswers, VersionPrintsTheVersionAndEnds) {
  const RunResult r = RunWithoutDisplay({"--version"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "pixtrel 1.2\n");
}

}  // namespace
}  // namespace pixtrel::test
