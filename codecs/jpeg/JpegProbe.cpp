#include "codecs/jpeg/JpegProbe.h"

#include "core/ByteOrder.h"
#include "core/HeaderSides.h"

namespace pixtrel {

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
      std::optional<PictureSize> size = HeaderSides(Be16(&head[at + 7]), Be16(&head[at + 5]));
      // A progressive file is decoded from a whole picture of coefficients: two bytes a sample.
      if (size && (code & 3) == 2) size->decodingBytesPerPixel = 9;
      return size;
    }
    if (code == 0xDA || code == 0xD9) return std::nullopt;  // data or the end before a frame
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace pixtrel
