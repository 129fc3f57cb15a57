#include "io/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/Errors.h"
#include "core/Limits.h"

namespace pixtrel {
namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// "Cannot open file x.jpg: No such file or directory": the name, and why, as the system says.
[[noreturn]] void CannotOpen(const FilePath& file, int error) {
  throw Exception("Cannot open file " + file.shown + ": " + std::strerror(error));
}
}  // namespace

Bytes ReadFileBytes(const FilePath& named) {
  const std::filesystem::path& path = named.path;
  std::error_code ec;
  // A folder opens for reading on some systems and then fails to read; say what it is.
  if (std::filesystem::is_directory(path, ec)) CannotOpen(named, EISDIR);
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "rb"));
  if (!file) CannotOpen(named, errno != 0 ? errno : ENOENT);
  Bytes bytes;
  // Read in one go into one block of the size the file has now; a file that is still growing,
  // or one whose size is not known, is read on in chunks.
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
  if (!sizeError && size > 0) {
    if (size > static_cast<std::uintmax_t>(kMaxFileBytes)) throw Exception("Stream read error");
    bytes.resize(static_cast<std::size_t>(size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
  }
  std::uint8_t chunk[1 << 16];
  for (;;) {
    const std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (static_cast<std::int64_t>(bytes.size()) > kMaxFileBytes) {
      throw Exception("Stream read error");
    }
    if (n < sizeof chunk) break;
  }
  if (std::ferror(file.get())) throw Exception("Stream read error");
  return bytes;
}

}  // namespace pixtrel
