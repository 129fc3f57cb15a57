#include "tests/support/XDesktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

extern char** environ;

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

using Clock = std::chrono::steady_clock;

void Pause() {
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// The number after "label" in a tool's output, or nothing.
std::optional<int> NumberAfter(const std::string& text, const std::string& label) {
  const std::size_t at = text.find(label);
  if (at == std::string::npos) return std::nullopt;
  return std::atoi(text.c_str() + at + label.size());
}

// The titled windows stand at the same places, of the same sizes, in both lists.
bool SamePlaces(const std::vector<XWindow>& before, const std::vector<XWindow>& now,
                const std::vector<std::string>& titles) {
  for (const std::string& title : titles) {
    const auto a = WindowTitled(before, title), b = WindowTitled(now, title);
    if (!a || !b || a->left != b->left || a->top != b->top || a->width != b->width ||
        a->height != b->height) {
      return false;
    }
  }
  return true;
}

}  // namespace

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& environment,
                                     const std::filesystem::path& log, int passFd) {
  // Built before the fork: the child only execs.
  std::vector<std::string> settings;
  for (char** entry = environ; *entry; ++entry) {
    const std::string line = *entry;
    if (!environment.count(line.substr(0, line.find('=')))) settings.push_back(line);
  }
  for (const auto& [name, value] : environment)
    settings.push_back(name + "=" + value);
  std::vector<char*> env;
  for (std::string& line : settings)
    env.push_back(line.data());
  env.push_back(nullptr);
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_ = fork();
  if (pid_ == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    if (passFd != -1) dup2(passFd, 3);
    setsid();
    execvpe(args[0], args.data(), env.data());
    _exit(127);
  }
}

BackgroundProgram::~BackgroundProgram() {
  if (pid_ > 0 && Running()) {
    kill(pid_, SIGTERM);
    if (!WaitForExit(5)) {
      kill(pid_, SIGKILL);
      int status = 0;
      waitpid(pid_, &status, 0);
    }
  }
}

bool BackgroundProgram::Running() {
  if (pid_ <= 0 || status_) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (WIFSIGNALED(status)) signal_ = WTERMSIG(status);
  return false;
}

std::optional<int> BackgroundProgram::WaitForExit(int seconds) {
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  while (Running() && Clock::now() < deadline)
    Pause();
  if (Running()) return std::nullopt;
  return status_;
}

XDesktop::XDesktop(int screenWidth, int screenHeight) {
  if (!HaveProgram("Xvfb")) {
    problem_ = "Missing tool: Xvfb (Debian package xvfb)";
    noServer_ = true;
    return;
  }
  for (const char* tool : {"openbox", "wmctrl", "xwininfo", "xprop"}) {
    if (!HaveProgram(tool)) {
      problem_ =
          "Missing tool: " + std::string(tool) + " (Debian packages openbox, wmctrl, x11-utils)";
      return;
    }
  }
  if (!StartServer(screenWidth, screenHeight)) return;
  // A window manager has been seen to quit at once on a fresh machine, and to start the next
  // time: it gets three tries before the desktop counts as broken.
  for (int attempt = 1; attempt <= 3; ++attempt) {
    if (StartManager()) {
      problem_.clear();
      return;
    }
  }
}

bool XDesktop::StartServer(int screenWidth, int screenHeight) {
  // The server picks a free display and writes its number to the pipe when it is ready.
  int ready[2];
  if (pipe(ready) != 0) {
    problem_ = "no pipe for the X server";
    return false;
  }
  const std::string screen =
      std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24";
  server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", "3", "-screen", "0", screen,
                                           "-nolisten", "tcp"},
                  std::map<std::string, std::string>{}, logs_ / "xvfb.log", ready[1]);
  close(ready[1]);
  std::string number;
  pollfd wait{ready[0], POLLIN, 0};
  while (poll(&wait, 1, 30000) == 1) {
    char c = 0;
    if (read(ready[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(ready[0]);
  if (number.empty()) {
    const Bytes log = FileContents(logs_ / "xvfb.log");
    problem_ = "Xvfb could not be started: " + std::string(log.begin(), log.end());
    noServer_ = true;
    return false;
  }
  display_ = ":" + number;
  return true;
}

bool XDesktop::StartManager() {
  const fs::path home = logs_ / "openbox-home";
  fs::create_directories(home);
  manager_.reset();
  manager_.emplace(
      std::vector<std::string>{"openbox", "--sm-disable"},
      std::map<std::string, std::string>{{"DISPLAY", display_},
                                         {"HOME", home.string()},
                                         {"XDG_CONFIG_HOME", (home / ".config").string()},
                                         {"XDG_CACHE_HOME", (home / ".cache").string()}},
      logs_ / "openbox.log");
  // The window manager is up once it answers for itself on the display.
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (Tool({"wmctrl", "-m"}).exitCode != 0) {
    if (Clock::now() > deadline || !manager_->Running()) {
      const Bytes log = FileContents(logs_ / "openbox.log");
      problem_ =
          "openbox did not start on " + display_ + ": " + std::string(log.begin(), log.end());
      return false;
    }
    Pause();
  }
  return true;
}

XDesktop::~XDesktop() {
  manager_.reset();
  server_.reset();
}

RunResult XDesktop::Tool(const std::vector<std::string>& argv) const {
  std::vector<std::string> command = {"env", "DISPLAY=" + display_};
  command.insert(command.end(), argv.begin(), argv.end());
  return Run(command, {}, 30);
}

std::vector<XWindow> XDesktop::WindowsOf(pid_t pid) const {
  std::vector<XWindow> windows;
  std::istringstream lines(Tool({"wmctrl", "-lp"}).out);
  for (std::string line; std::getline(lines, line);) {
    // id, desktop, process, host, title
    std::istringstream fields(line);
    XWindow window;
    std::string desktop, process, host;
    fields >> window.id >> desktop >> process >> host;
    if (process != std::to_string(pid)) continue;
    std::getline(fields >> std::ws, window.title);
    const std::string info = Tool({"xwininfo", "-id", window.id}).out;
    const auto left = NumberAfter(info, "Absolute upper-left X:");
    const auto top = NumberAfter(info, "Absolute upper-left Y:");
    const auto width = NumberAfter(info, "Width:");
    const auto height = NumberAfter(info, "Height:");
    if (!left || !top || !width || !height) continue;
    window.left = *left;
    window.top = *top;
    window.width = *width;
    window.height = *height;
    window.framed = info.find("IsViewable") != std::string::npos &&
                    Tool({"xprop", "-id", window.id, "_NET_FRAME_EXTENTS"}).out.find(" = ") !=
                        std::string::npos;
    windows.push_back(window);
  }
  return windows;
}

std::optional<std::vector<XWindow>> XDesktop::WaitForWindows(pid_t pid,
                                                             const std::vector<std::string>& titles,
                                                             int seconds) const {
  const auto deadline = Clock::now() + std::chrono::seconds(seconds);
  // A program may still move a window after the window manager framed it (the move asked for
  // after showing can reach the manager late on a busy machine): the places count once three
  // looks in a row, a fifth of a second apart, found them the same.
  std::optional<std::vector<XWindow>> last;
  int same = 0;
  while (Clock::now() < deadline) {
    const std::vector<XWindow> windows = WindowsOf(pid);
    bool all = true;
    for (const std::string& title : titles) {
      const auto window = WindowTitled(windows, title);
      all = all && window && window->framed;
    }
    if (!all) {
      last.reset();
      same = 0;
      Pause();
      continue;
    }
    same = last && SamePlaces(*last, windows, titles) ? same + 1 : 0;
    if (same == 2) return windows;
    last = windows;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return std::nullopt;
}

void XDesktop::Close(const XWindow& window) const {
  Tool({"wmctrl", "-i", "-c", window.id});
}

std::optional<XWindow> WindowTitled(const std::vector<XWindow>& windows, const std::string& title) {
  for (const XWindow& window : windows)
    if (window.title == title) return window;
  return std::nullopt;
}

}  // namespace pixtrel::test
