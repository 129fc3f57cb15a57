#pragma once
// A real X11 desktop for the tests that need a window manager: a virtual X server (Xvfb) of its
// own display and a small window manager (openbox) on it, both ended with the object. Programs
// started on it run in the background with their own environment, as a user starts them.
// The window manager gets a home folder of its own, so no test sees another's openbox state.
#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace pixtrel::test {

// A program running in the background; killed (and reaped) with the object if still running.
class BackgroundProgram {
 public:
  // Output goes to the log. passFd, when not -1, is handed to the program as its descriptor 3.
  BackgroundProgram(const std::vector<std::string>& argv,
                    const std::map<std::string, std::string>& environment,
                    const std::filesystem::path& log, int passFd = -1);
  ~BackgroundProgram();
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;

  pid_t pid() const { return pid_; }
  bool Running();
  // The exit code once it ended within the seconds, else nothing (it keeps running).
  std::optional<int> WaitForExit(int seconds);
  // Once it has ended: the signal that ended it (WaitForExit then gave -1), or 0 when it exited.
  int endSignal() const { return signal_; }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  int signal_ = 0;
};

// One top-level window as the X server sees it: the inside (without the frame) in screen
// coordinates.
struct XWindow {
  std::string id;  // as wmctrl and xwininfo write it, "0x..."
  std::string title;
  int left = 0, top = 0, width = 0, height = 0;
  bool framed = false;  // the window manager has put its frame around it
};

class XDesktop {
 public:
  explicit XDesktop(int screenWidth = 1280, int screenHeight = 1024);
  ~XDesktop();
  XDesktop(const XDesktop&) = delete;
  XDesktop& operator=(const XDesktop&) = delete;

  // Empty when the desktop runs; otherwise why it could not be started. noServer() tells
  // whether it was the X server itself that is missing (the one reason to skip).
  const std::string& problem() const { return problem_; }
  bool noServer() const { return noServer_; }
  const std::string& display() const { return display_; }

  // Runs a tool (wmctrl, xwininfo, xdotool, ...) against this display.
  RunResult Tool(const std::vector<std::string>& argv) const;
  // The framed top-level windows of a process, as the window manager lists them.
  std::vector<XWindow> WindowsOf(pid_t pid) const;
  // Waits until the process shows framed windows with every one of the titles and they have
  // stopped moving; the windows then, or nothing when they did not come within the seconds.
  std::optional<std::vector<XWindow>> WaitForWindows(pid_t pid,
                                                     const std::vector<std::string>& titles,
                                                     int seconds = 30) const;
  // Closes the window as its close box does: the window manager asks it to close.
  void Close(const XWindow& window) const;

 private:
  bool StartServer(int screenWidth, int screenHeight);
  bool StartManager();

  std::string problem_;
  bool noServer_ = false;
  std::string display_;
  std::optional<BackgroundProgram> server_;
  std::optional<BackgroundProgram> manager_;
  TempFolder logs_;
};

// The window with that title among the windows, or nothing.
std::optional<XWindow> WindowTitled(const std::vector<XWindow>& windows, const std::string& title);

}  // namespace pixtrel::test
