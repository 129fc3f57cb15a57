#include "codecs/HeaderProbes.h"

#include <cstdlib>

namespace pixtrel {
namespace {

unsigned Be16(const std::uint8_t* p) {
  return static_cast<unsigned>(p[0]) << 8 | p[1];
}
unsigned Le16(const std::uint8_t* p) {
  return static_cast<unsigned>(p[1]) << 8 | p[0];
}
std::int64_t Le32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | std::uint32_t{p[1]} << 8 |
                                   std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

std::optional<PictureSize> Sized(std::int64_t width, std::int64_t height) {
  width = std::llabs(width);
  height = std::llabs(height);
  if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
  return PictureSize{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace

std::optional<PictureSize> ProbeJpeg(std::span<const std::uint8_t> head) {
  if (head.size() < 4 || head[0] != 0xFF || head[1] != 0xD8) return std::nullopt;
  std::size_t at = 2;
  while (at + 4 <= head.size()) {
    if (head[at] != 0xFF) return std::nullopt;
    const unsigned code = head[at + 1];
    if (code == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    const unsigned length = Be16(&head[at + 2]);
    if (length < 2) return std::nullopt;
    const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
    if (frame) {
      if (at + 9 > head.size()) return std::nullopt;
      std::optional<PictureSize> size = Sized(Be16(&head[at + 7]), Be16(&head[at + 5]));
      // A progressive file is decoded from a whole picture of coefficients: two bytes a sample.
      if (size && (code & 3) == 2) size->decodingBytesPerPixel = 9;
      return size;
    }
    if (code == 0xDA || code == 0xD9) return std::nullopt;  // data or the end before a frame
    at += 2 + length;
  }
  return std::nullopt;
}

std::optional<PictureSize> ProbeGif(std::span<const std::uint8_t> head) {
  if (head.size() < 10 || head[0] != 'G' || head[1] != 'I' || head[2] != 'F') return std::nullopt;
  std::optional<PictureSize> size = Sized(Le16(&head[6]), Le16(&head[8]));
  if (size) size->decodingBytesPerPixel = 4;  // the frame's indices and the drawn picture
  return size;
}

std::optional<PictureSize> ProbeBmp(std::span<const std::uint8_t> head) {
  if (head.size() < 26 || head[0] != 'B' || head[1] != 'M') return std::nullopt;
  if (Le32(&head[14]) == 12) return Sized(Le16(&head[18]), Le16(&head[20]));
  return Sized(Le32(&head[18]), Le32(&head[22]));
}

}  // namespace pixtrel
