#include "codecs/webp/WebpRebuild.h"

#include <algorithm>
#include <cstring>

namespace pixtrel {
namespace {

constexpr std::size_t kFrameHeader = 16;  // an ANMF chunk's position, size and timing
constexpr std::uint8_t kVp8xMetadataFlags = 0x20 | 0x08 | 0x04;  // ICC, EXIF, XMP

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

void PutLe32(std::vector<std::uint8_t>& out, std::size_t at, std::size_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool Is(const std::uint8_t* fourcc, const char* name) {
  return std::memcmp(fourcc, name, 4) == 0;
}

bool IsBitstream(const std::uint8_t* fourcc) {
  return Is(fourcc, "ALPH") || Is(fourcc, "VP8 ") || Is(fourcc, "VP8L");
}

// Hands each chunk of data (a sequence of chunks, each padded to an even size; the last one's
// padding may be missing) to put; false when one runs past the end.
template <typename Put>
bool CopyChunks(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out, Put put) {
  std::size_t at = 0;
  while (data.size() - at >= 8) {
    const std::size_t size = Le32(&data[at + 4]);
    const std::size_t padded = size + (size & 1);
    if (size > data.size() - at - 8) return false;
    const std::size_t end = at + 8 + std::min(padded, data.size() - at - 8);
    put(data.subspan(at, end - at), out);
    at = end;
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> RebuildWebp(std::span<const std::uint8_t> webp) {
  if (webp.size() < 12 || !Is(webp.data(), "RIFF") || !Is(webp.data() + 8, "WEBP"))
    return std::nullopt;
  // The RIFF data ends where its size says, or at the end of the file, never inside the header.
  const std::size_t riffEnd =
      std::clamp<std::size_t>(8 + std::size_t{Le32(&webp[4])}, 12, webp.size());
  std::vector<std::uint8_t> out(webp.begin(), webp.begin() + 12);
  bool damaged = false;
  const bool whole = CopyChunks(
      webp.subspan(12, riffEnd - 12), out,
      [&](std::span<const std::uint8_t> chunk, std::vector<std::uint8_t>& into) {
        const std::uint8_t* fourcc = chunk.data();
        if (IsBitstream(fourcc) || Is(fourcc, "ANIM")) {
          into.insert(into.end(), chunk.begin(), chunk.end());
        } else if (Is(fourcc, "VP8X") && chunk.size() >= 9) {
          const std::size_t flags = into.size() + 8;
          into.insert(into.end(), chunk.begin(), chunk.end());
          into[flags] &= static_cast<std::uint8_t>(~kVp8xMetadataFlags);
        } else if (Is(fourcc, "ANMF") && chunk.size() >= 8 + kFrameHeader) {
          const std::size_t start = into.size();
          into.insert(into.end(), chunk.begin(), chunk.begin() + 8 + kFrameHeader);
          const auto frame = chunk.subspan(8 + kFrameHeader);
          damaged |= !CopyChunks(
              frame, into, [](std::span<const std::uint8_t> part, std::vector<std::uint8_t>& to) {
                if (IsBitstream(part.data())) to.insert(to.end(), part.begin(), part.end());
              });
          PutLe32(into, start + 4, into.size() - start - 8);
        }
      });
  if (!whole || damaged) return std::nullopt;
  PutLe32(out, 4, out.size() - 8);
  return out;
}

}  // namespace pixtrel
