#include "batch/PeakEstimate.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "codecs/FormatTable.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace pixtrel {
namespace {

// A JPEG's frame header, found by walking its marker segments (which may be long: an EXIF
// block with a thumbnail, a colour profile) from the file.
std::optional<PictureSize> JpegSize(std::ifstream& in) {
  in.seekg(2);
  for (int segments = 0; segments < 512; ++segments) {
    unsigned char marker[4];
    if (!in.read(reinterpret_cast<char*>(marker), 4) || marker[0] != 0xFF) return std::nullopt;
    const unsigned code = marker[1];
    const unsigned length = static_cast<unsigned>(marker[2]) << 8 | marker[3];
    if (length < 2) return std::nullopt;
    const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
    if (frame) {
      // The frame header itself, after the signature, read by the JPEG row's probe.
      std::vector<std::uint8_t> head{0xFF, 0xD8, marker[0], marker[1], marker[2], marker[3],
                                     0,    0,    0,         0,         0};
      if (!in.read(reinterpret_cast<char*>(head.data() + 6), 5)) return std::nullopt;
      return RowOf(ImageFormat::Jpeg).probe(head);
    }
    in.seekg(length - 2, std::ios::cur);
  }
  return std::nullopt;
}

// Every other format from its first bytes: a HEIF file's boxes, or a WebP file's chunks before
// its bitstream, may take some room, so 256 KiB are read.
std::optional<PictureSize> ProbedSize(std::ifstream& in) {
  constexpr std::size_t kProbeBytes = std::size_t{256} << 10;
  std::vector<std::uint8_t> head(kProbeBytes);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  for (const FormatRow& row : FormatTable()) {
    if (row.format == ImageFormat::Jpeg || !row.probe) continue;
    if (std::optional<PictureSize> size = row.probe(head)) return size;
  }
  return std::nullopt;
}

std::optional<PictureSize> HeaderSize(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char start[2] = {};
  if (!in.read(reinterpret_cast<char*>(start), 2)) return std::nullopt;
  if (start[0] == 0xFF && start[1] == 0xD8) return JpegSize(in);
  return ProbedSize(in);
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
