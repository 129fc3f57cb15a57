#include "batch/PeakEstimate.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "formats/HeifFile.h"
#include "formats/PngFile.h"
#include "formats/WebpFile.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace pixtrel {
namespace {

unsigned Be16(const unsigned char* p) {
  return static_cast<unsigned>(p[0]) << 8 | p[1];
}
unsigned Le16(const unsigned char* p) {
  return static_cast<unsigned>(p[1]) << 8 | p[0];
}
std::int64_t Le32(const unsigned char* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | std::uint32_t{p[1]} << 8 |
                                   std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

// Walks the JPEG's marker segments up to its frame header.
std::uint64_t JpegPixels(std::ifstream& in) {
  in.seekg(2);
  for (int segments = 0; segments < 512; ++segments) {
    unsigned char marker[4];
    if (!in.read(reinterpret_cast<char*>(marker), 4) || marker[0] != 0xFF) return 0;
    const unsigned code = marker[1];
    const unsigned length = Be16(marker + 2);
    if (length < 2) return 0;
    const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
    if (frame) {
      unsigned char sof[5];
      if (!in.read(reinterpret_cast<char*>(sof), 5)) return 0;
      return std::uint64_t{Be16(sof + 1)} * Be16(sof + 3);
    }
    in.seekg(length - 2, std::ios::cur);
  }
  return 0;
}

// PNG, WebP and HEIF from their first bytes: a HEIF file's boxes, or a WebP file's chunks before
// its bitstream, may take some room, so more is read for them.
std::uint64_t ProbedPixels(std::ifstream& in) {
  constexpr std::size_t kProbeBytes = std::size_t{256} << 10;
  std::vector<std::uint8_t> head(kProbeBytes);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  std::optional<PictureSize> size = ProbePng(head);
  if (!size) size = ProbeWebp(head);
  if (!size) size = ProbeHeif(head);
  return size ? std::uint64_t(size->width) * std::uint64_t(size->height) : 0;
}

}  // namespace

std::uint64_t HeaderPixels(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::array<unsigned char, 26> head{};
  if (!in.read(reinterpret_cast<char*>(head.data()), head.size()) && in.gcount() < 10) return 0;
  in.clear();
  if (head[0] == 0xFF && head[1] == 0xD8) return JpegPixels(in);
  if (head[0] == 'G' && head[1] == 'I' && head[2] == 'F') {
    return std::uint64_t{Le16(head.data() + 6)} * Le16(head.data() + 8);
  }
  if (head[0] == 'B' && head[1] == 'M') {
    if (Le32(head.data() + 14) == 12) {
      return std::uint64_t{Le16(head.data() + 18)} * Le16(head.data() + 20);
    }
    const std::int64_t w = Le32(head.data() + 18), h = Le32(head.data() + 22);
    return static_cast<std::uint64_t>(w < 0 ? -w : w) * static_cast<std::uint64_t>(h < 0 ? -h : h);
  }
  return ProbedPixels(in);
}

std::uint64_t EstimatePeakBytes(const std::filesystem::path& file, int copies) {
  const std::uint64_t pixels = HeaderPixels(file);
  if (pixels == 0) return kUnknownPeakBytes;
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  return pixels * 3 * static_cast<std::uint64_t>(copies < 1 ? 1 : copies) + (ec ? 0 : size);
}

std::uint64_t BatchMemoryBudget() {
  if (const char* text = std::getenv("PIXTREL_BATCH_MEMORY_MB")) {
    const long long mb = std::atoll(text);
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
