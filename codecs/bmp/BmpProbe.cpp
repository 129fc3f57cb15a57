#include "codecs/bmp/BmpProbe.h"

#include "core/HeaderSides.h"

namespace pixtrel {
namespace {

unsigned Le16(const std::uint8_t* p) {
  return static_cast<unsigned>(p[1]) << 8 | p[0];
}
std::int64_t Le32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | std::uint32_t{p[1]} << 8 |
                                   std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
}

}  // namespace

std::optional<PictureSize> ProbeBmp(std::span<const std::uint8_t> head) {
  if (head.size() < 26 || head[0] != 'B' || head[1] != 'M') return std::nullopt;
  if (Le32(&head[14]) == 12) return HeaderSides(Le16(&head[18]), Le16(&head[20]));
  return HeaderSides(Le32(&head[18]), Le32(&head[22]));
}

}  // namespace pixtrel
