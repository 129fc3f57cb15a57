#include "codecs/jpeg/JpegSegments.h"

#include <cstring>

namespace pixtrel {
namespace {

constexpr std::uint8_t kSos = 0xDA;
constexpr std::uint8_t kEoi = 0xD9;

// Markers with no length and no data: TEM, the restart markers and a stray SOI.
bool IsStandalone(std::uint8_t marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

}  // namespace

bool StartsWithSoi(std::span<const std::uint8_t> jpeg) {
  return jpeg.size() >= 2 && jpeg[0] == 0xFF && jpeg[1] == 0xD8;
}

JpegHeader WalkJpegHeader(std::span<const std::uint8_t> jpeg) {
  JpegHeader header;
  if (!StartsWithSoi(jpeg)) return header;
  std::size_t at = 2;
  for (;;) {
    header.rest = at;
    if (at >= jpeg.size() || jpeg[at] != 0xFF) return header;
    std::size_t markerAt = at;
    while (markerAt < jpeg.size() && jpeg[markerAt] == 0xFF)
      ++markerAt;
    if (markerAt >= jpeg.size()) return header;
    const std::uint8_t marker = jpeg[markerAt];
    if (marker == 0x00 || marker == kSos || marker == kEoi) return header;
    std::size_t dataBegin = markerAt + 1, end = markerAt + 1;
    if (!IsStandalone(marker)) {
      if (dataBegin + 2 > jpeg.size()) return header;
      const std::size_t length = (std::size_t{jpeg[dataBegin]} << 8) | jpeg[dataBegin + 1];
      if (length < 2 || dataBegin + length > jpeg.size()) return header;
      end = dataBegin + length;
      dataBegin += 2;
    }
    header.segments.push_back(JpegSegment{at, marker, dataBegin, end});
    at = end;
  }
}

bool HasSignature(std::span<const std::uint8_t> jpeg, const JpegSegment& segment,
                  std::uint8_t marker, const char* signature, std::size_t size) {
  return segment.marker == marker && segment.end - segment.dataBegin >= size &&
         std::memcmp(&jpeg[segment.dataBegin], signature, size) == 0;
}

}  // namespace pixtrel
