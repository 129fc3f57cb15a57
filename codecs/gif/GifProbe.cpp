#include "codecs/gif/GifProbe.h"

#include "core/HeaderSides.h"

namespace pixtrel {

std::optional<PictureSize> ProbeGif(std::span<const std::uint8_t> head) {
  if (head.size() < 10 || head[0] != 'G' || head[1] != 'I' || head[2] != 'F') return std::nullopt;
  auto le16 = [&](std::size_t at) { return static_cast<unsigned>(head[at + 1]) << 8 | head[at]; };
  std::optional<PictureSize> size = HeaderSides(le16(6), le16(8));
  if (size) size->decodingBytesPerPixel = 4;  // the frame's indices and the drawn picture
  return size;
}

}  // namespace pixtrel
