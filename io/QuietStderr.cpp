#include "io/QuietStderr.h"

#include <cerrno>
#include <cstdio>
#include <mutex>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace pixtrel {
namespace {

std::mutex g_mutex;
int g_holders = 0;
int g_saved = -1;  // the real standard error while it is redirected

}  // namespace

QuietStderr::QuietStderr() {
#ifndef _WIN32
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_holders++ > 0) return;
  std::fflush(stderr);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) return;
  g_saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
  if (g_saved >= 0 && ::dup2(null, STDERR_FILENO) < 0) {
    ::close(g_saved);
    g_saved = -1;
  }
  ::close(null);
#endif
}

void WriteStderr(std::string_view text) {
  std::lock_guard<std::mutex> lock(g_mutex);
  std::fflush(stderr);
#ifndef _WIN32
  const int fd = g_saved >= 0 ? g_saved : STDERR_FILENO;
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
#else
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
#endif
}

QuietStderr::~QuietStderr() {
#ifndef _WIN32
  std::lock_guard<std::mutex> lock(g_mutex);
  if (--g_holders > 0 || g_saved < 0) return;
  std::fflush(stderr);
  ::dup2(g_saved, STDERR_FILENO);
  ::close(g_saved);
  g_saved = -1;
#endif
}

}  // namespace pixtrel
