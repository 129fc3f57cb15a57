#include "batch/PeakEstimate.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "codecs/Registry.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace pixtrel {
namespace {

// The picture's size from the start of the file, as the first row whose probe knows it says.
// A JPEG's frame header comes after its leading segments (an EXIF block with a thumbnail, a
// colour profile), a HEIF file's after its boxes: the first 64 KiB hold them in most files and
// are read first (this runs once per file of a batch, before its work starts); then the first
// MiB, which holds them in all but odd files, which then count as unknown. What the row's codec
// holds beyond that is added per pixel.
std::optional<PictureSize> HeaderSize(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> head;
  for (const std::size_t probeBytes : {std::size_t{1} << 16, std::size_t{1} << 20}) {
    const std::size_t had = head.size();
    head.resize(probeBytes);
    in.read(reinterpret_cast<char*>(head.data() + had),
            static_cast<std::streamsize>(probeBytes - had));
    head.resize(had + static_cast<std::size_t>(in.gcount()));
    for (const FormatRow* row : Registry()) {
      if (!row->probe) continue;
      if (std::optional<PictureSize> size = row->probe(head)) {
        size->decodingBytesPerPixel += row->memory.decodeBytesPerPixel;
        return size;
      }
    }
    if (head.size() < probeBytes) break;  // the whole file was read
  }
  return std::nullopt;
}

}  // namespace

std::uint64_t HeaderPixels(const std::filesystem::path& file) {
  const std::optional<PictureSize> size = HeaderSize(file);
  return size ? std::uint64_t(size->width) * std::uint64_t(size->height) : 0;
}

std::uint64_t EstimatePeakBytes(const std::filesystem::path& file, int copies) {
  const std::optional<PictureSize> size = HeaderSize(file);
  if (!size) return kUnknownPeakBytes;
  const std::uint64_t pixels = std::uint64_t(size->width) * std::uint64_t(size->height);
  const std::uint64_t perPixel = static_cast<std::uint64_t>(size->decodingBytesPerPixel) +
                                 3 * static_cast<std::uint64_t>(copies < 1 ? 0 : copies - 1);
  std::error_code ec;
  const std::uintmax_t fileBytes = std::filesystem::file_size(file, ec);
  return pixels * perPixel + (ec ? 0 : fileBytes);
}

std::uint64_t BatchMemoryBudget(const char* megabytes) {
  if (megabytes) {
    const long long mb = std::atoll(megabytes);
    if (mb > 0) return static_cast<std::uint64_t>(mb) << 20;
  }
#ifndef _WIN32
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGE_SIZE);
  if (pages > 0 && pageSize > 0) {
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 4;
  }
#endif
  return std::uint64_t{1} << 30;
}

}  // namespace pixtrel
