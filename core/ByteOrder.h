// Big-endian fields, as PNG chunks and HEIF boxes store them.
#pragma once

#include <cstdint>

namespace pixtrel {

inline std::uint32_t Be16(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 8 | p[1];
}
inline std::uint32_t Be32(const std::uint8_t* p) {
  return Be16(p) << 16 | Be16(p + 2);
}
inline std::uint64_t Be64(const std::uint8_t* p) {
  return std::uint64_t{Be32(p)} << 32 | Be32(p + 4);
}

}  // namespace pixtrel
