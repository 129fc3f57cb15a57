#include "metadata/ProfileHeader.h"

#include <algorithm>

#include "core/ByteOrder.h"

namespace pixtrel {
namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kProfileIdAt = 84, kProfileIdSize = 16;

}  // namespace

std::vector<std::uint8_t> ConsistentProfile(std::span<const std::uint8_t> icc) {
  std::vector<std::uint8_t> out(icc.begin(), icc.end());
  if (icc.size() < kHeaderSize || icc.size() > 0xFFFFFFF0u) return out;
  if (Be32(icc.data()) == icc.size() && icc.size() % 4 == 0) return out;
  out.resize((icc.size() + 3) & ~std::size_t{3}, 0);
  const auto size = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i)
    out[i] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
  std::fill_n(out.begin() + kProfileIdAt, kProfileIdSize, 0);
  return out;
}

}  // namespace pixtrel
