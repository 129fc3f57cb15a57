#include "formats/FileBytes.h"

#include <cstdio>
#include <memory>

#include "formats/Errors.h"
#include "formats/Limits.h"

namespace pixtrel {
namespace {
struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

Bytes ReadFileBytes(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw Exception("Cannot open file " + path.string());
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.string().c_str(), "rb"));
  if (!file) throw Exception("Cannot open file " + path.string());
  Bytes bytes;
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
