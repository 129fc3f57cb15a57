#include "io/SafeWrite.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>

#include "core/Errors.h"
#include "io/WriteObserver.h"

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace pixtrel {
namespace {

// Path of the temporary file being written, kept in static storage so a signal handler can
// remove it without allocating.
char g_pendingPath[4096];
std::atomic<bool> g_pending{false};

void SetPending(const std::string& path) {
  if (path.size() >= sizeof g_pendingPath) return;
  std::memcpy(g_pendingPath, path.c_str(), path.size() + 1);
  g_pending.store(true);
}

void ClearPending() {
  g_pending.store(false);
}

// Follows symbolic links so the file a link names is replaced and the link itself survives.
fs::path ResolveTarget(const fs::path& path) {
  fs::path target = path;
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(target, ec)); ++hops) {
    fs::path next = fs::read_symlink(target, ec);
    if (ec) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

// Longest file name the usual file systems take, in bytes.
constexpr std::size_t kMaxNameBytes = 255;

std::string TemporaryName(const fs::path& target) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix;
  for (int i = 0; i < 8; ++i)
    suffix += digits[random() % 36];
  return (target.parent_path() / TemporaryFileName(target.filename().string(), suffix)).string();
}

[[noreturn]] void CreateFailed(const FilePath& file, const std::string& reason) {
  throw Exception("Cannot create file " + file.shown + ": " + reason);
}

[[noreturn]] void WriteFailed(const FilePath& file, const std::string& reason) {
  throw Exception("Cannot write file " + file.shown + ": " + reason);
}

// A name longer than the file system takes fails here with the system's own words, before a
// temporary file is made for it.
void CheckNameLength(const FilePath& file) {
  if (file.path.filename().string().size() > kMaxNameBytes)
    CreateFailed(file, std::strerror(ENAMETOOLONG));
}

}  // namespace

std::string TemporaryFileName(const std::string& name, const std::string& random) {
  static constexpr std::string_view kMiddle = ".pixtrel-", kEnd = ".tmp";
  const std::size_t room = kMaxNameBytes - 1 - kMiddle.size() - random.size() - kEnd.size();
  std::size_t keep = std::min(name.size(), room);
  // Never cut a UTF-8 sequence: step back over continuation bytes.
  while (keep > 0 && keep < name.size() && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
    --keep;
  std::string result(1, '.');
  result.append(name, 0, keep).append(kMiddle).append(random).append(kEnd);
  return result;
}

#ifdef _WIN32

void RemovePendingTemporaryFile() noexcept {
  if (g_pending.exchange(false)) std::remove(g_pendingPath);
}

void WriteFileAtomically(const FilePath& file, std::span<const std::uint8_t> bytes,
                         LinkHandling links) {
  CheckNameLength(file);
  const fs::path& path = file.path;
  const fs::path target = links == LinkHandling::WriteThrough ? ResolveTarget(path) : path;
  std::error_code ec;
  if (fs::is_directory(fs::symlink_status(target, ec))) CreateFailed(file, std::strerror(EISDIR));
  const std::string temp = TemporaryName(target);
  {
    errno = 0;
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) CreateFailed(file, errno ? std::strerror(errno) : "cannot open");
    SetPending(temp);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    out.flush();
    if (!out) {
      out.close();
      std::remove(temp.c_str());
      ClearPending();
      WriteFailed(file, "write error");
    }
  }
  // A link at the target's name is replaced like a file: its own entry is removed first, since
  // renaming over a link to a folder would fail.
  if (links == LinkHandling::Replace && fs::is_symlink(fs::symlink_status(target, ec))) {
    fs::remove(target, ec);
  }
  fs::rename(temp, target, ec);
  if (ec) {
    std::remove(temp.c_str());
    ClearPending();
    WriteFailed(file, ec.message());
  }
  ClearPending();
}

#else

void RemovePendingTemporaryFile() noexcept {
  if (g_pending.exchange(false)) ::unlink(g_pendingPath);
}

void WriteFileAtomically(const FilePath& file, std::span<const std::uint8_t> bytes,
                         LinkHandling links) {
  CheckNameLength(file);
  const fs::path& path = file.path;
  const fs::path target = links == LinkHandling::WriteThrough ? ResolveTarget(path) : path;
  // What is there now: a file whose mode the new one takes, a folder in the way, or a link
  // (replaced, not followed).
  struct stat existing {};
  const bool present = ::lstat(target.c_str(), &existing) == 0;
  if (present && S_ISDIR(existing.st_mode)) CreateFailed(file, std::strerror(EISDIR));
  const bool replacing = present && S_ISREG(existing.st_mode);

  std::string temp;
  int fd = -1;
  int error = 0;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = TemporaryName(target);
    // Announced before it exists, so an interrupt right after the create still removes it.
    SetPending(temp);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      error = errno;
      ClearPending();
      if (error != EEXIST) break;
    }
  }
  if (fd < 0) CreateFailed(file, std::strerror(error));

  auto fail = [&](const std::string& reason) {
    if (fd >= 0) ::close(fd);
    ::unlink(temp.c_str());
    ClearPending();
    WriteFailed(file, reason);
  };

  WriteObserver* const observer = CurrentWriteObserver();
  std::size_t done = 0;
  while (done < bytes.size()) {
    std::size_t chunk = bytes.size() - done;
    if (observer && !observer->beforeWrite(done, chunk)) {
      errno = ENOSPC;
      fail(std::strerror(errno));
    }
    const ssize_t n = ::write(fd, bytes.data() + done, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
    if (observer) observer->afterWrite(static_cast<std::size_t>(n));
  }
  if (observer && bytes.empty()) {
    std::size_t none = 0;
    if (!observer->beforeWrite(0, none)) {
      errno = ENOSPC;
      fail(std::strerror(errno));
    }
  }
  if (replacing) {
    ::fchmod(fd, existing.st_mode & 07777);
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
      // Not permitted for other users' files: the mode above still applies.
    }
  }
  if (::fsync(fd) != 0) fail(std::strerror(errno));
  const int fdToClose = fd;
  fd = -1;
  if (::close(fdToClose) != 0) fail(std::strerror(errno));
  if (::rename(temp.c_str(), target.c_str()) != 0) fail(std::strerror(errno));
  ClearPending();

  // Make the rename itself durable.
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

#endif

}  // namespace pixtrel
