#include "codecs/jpeg/JpegRebuild.h"

#include <cstring>

#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/jpeg/JpegSegments.h"

namespace pixtrel {
namespace {

constexpr std::uint8_t kSos = 0xDA, kEoi = 0xD9, kApp0 = 0xE0, kApp14 = 0xEE;

// Segments decoding reads: tables, frame headers (SOF0 to SOF15 but DHT, JPG and DAC, which
// are tables themselves), restart interval, line count, scans.
bool DecodingNeeds(std::uint8_t marker) {
  return (marker >= 0xC0 && marker <= 0xCF) || marker == 0xDB || marker == 0xDD || marker == 0xDC ||
         marker == kSos;
}

// Where the compressed data that starts at `at` ends: at the first marker that is neither a
// stuffed zero, a restart marker nor fill. Nothing when the data runs to the end.
std::optional<std::size_t> ScanEnd(std::span<const std::uint8_t> jpeg, std::size_t at) {
  for (; at + 1 < jpeg.size(); ++at) {
    if (jpeg[at] != 0xFF) continue;
    const std::uint8_t next = jpeg[at + 1];
    if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
      ++at;
    } else if (next != 0xFF) {
      return at;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> RebuildJpeg(std::span<const std::uint8_t> jpeg,
                                                     const PictureMetadata& metadata) {
  if (!StartsWithSoi(jpeg)) return std::nullopt;
  std::vector<std::uint8_t> out{0xFF, 0xD8};
  std::size_t at = 2;
  bool first = true;
  bool blocksPut = false;
  for (;;) {
    if (at >= jpeg.size() || jpeg[at] != 0xFF) return std::nullopt;
    while (at < jpeg.size() && jpeg[at] == 0xFF)
      ++at;
    if (at >= jpeg.size()) return std::nullopt;
    const std::uint8_t marker = jpeg[at++];
    if (marker == kEoi) {
      out.insert(out.end(), {0xFF, kEoi});
      return out;
    }
    // Standalone markers outside a scan mean nothing to a decoder.
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;
    if (marker == 0x00 || at + 2 > jpeg.size()) return std::nullopt;
    const std::size_t length = (std::size_t{jpeg[at]} << 8) | jpeg[at + 1];
    if (length < 2 || length > jpeg.size() - at) return std::nullopt;
    const std::span<const std::uint8_t> segment = jpeg.subspan(at - 2, length + 2);
    const std::span<const std::uint8_t> data = jpeg.subspan(at + 2, length - 2);
    at += length;
    const bool jfif =
        first && marker == kApp0 && data.size() >= 5 && std::memcmp(data.data(), "JFIF", 5) == 0;
    first = false;
    if (jfif) {
      out.insert(out.end(), segment.begin(), segment.end());
      continue;
    }
    if (!blocksPut) {
      AppendMetadataSegments(out, metadata);
      blocksPut = true;
    }
    const bool adobe =
        marker == kApp14 && data.size() >= 5 && std::memcmp(data.data(), "Adobe", 5) == 0;
    if (!adobe && !DecodingNeeds(marker)) continue;
    out.insert(out.end(), segment.begin(), segment.end());
    if (marker != kSos) continue;
    const auto end = ScanEnd(jpeg, at);
    if (!end) return std::nullopt;
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at),
               jpeg.begin() + static_cast<std::ptrdiff_t>(*end));
    at = *end;
  }
}

}  // namespace pixtrel
