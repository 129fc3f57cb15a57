#include "tests/window/PreviewDesktop.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

// Starts the program with DISPLAY set (when display is not empty), output discarded.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& display) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
  freopen("/dev/null", "r", stdin);
  freopen("/dev/null", "w", stdout);
  freopen("/dev/null", "w", stderr);
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

bool Alive(pid_t pid) {
  return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0;
}

void End(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 50 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (waitpid(pid, nullptr, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pid = -1;
}

// Polls until the check holds or ten seconds passed.
template <class Check>
bool WaitFor(Check check) {
  for (int i = 0; i < 200; ++i) {
    if (check()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

PreviewDesktop::~PreviewDesktop() {
  End(openbox_);
  End(xvfb_);
}

bool PreviewDesktop::Start() {
  if (!HaveProgram("Xvfb")) {
    xvfbMissing_ = true;
    error_ = "Xvfb is not installed";
    return false;
  }
  // A display nobody uses: no socket and no lock file.
  int number = 0;
  for (number = 140 + getpid() % 50; number < 400; ++number) {
    const std::string n = std::to_string(number);
    if (!fs::exists("/tmp/.X11-unix/X" + n) && !fs::exists("/tmp/.X" + n + "-lock")) break;
  }
  display_ = ":" + std::to_string(number);
  xvfb_ = Spawn({"Xvfb", display_, "-screen", "0", "1280x800x24", "-nolisten", "tcp"}, "");
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
  if (!WaitFor([&] { return fs::exists(socket) || !Alive(xvfb_); }) || !Alive(xvfb_)) {
    xvfbMissing_ = true;
    error_ = "Xvfb could not be started on " + display_;
    return false;
  }
  if (!HaveProgram("openbox") || !HaveProgram("xprop")) {
    error_ = "openbox and xprop (packages openbox, x11-utils) are needed beside Xvfb";
    return false;
  }
  openbox_ = Spawn({"openbox", "--sm-disable"}, display_);
  // A window manager announces itself on the root window.
  const bool managed = WaitFor([&] {
    if (!Alive(openbox_)) return true;
    const RunResult r = Run({"xprop", "-display", display_, "-root", "_NET_SUPPORTING_WM_CHECK"});
    return r.exitCode == 0 && r.out.find("window id") != std::string::npos;
  });
  if (!managed || !Alive(openbox_)) {
    error_ = "openbox did not start on " + display_;
    return false;
  }
  return true;
}

}  // namespace pixtrel::test
