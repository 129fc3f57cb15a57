#include "codecs/gif/GifRebuild.h"

#include <cstring>

namespace pixtrel {
namespace {

constexpr std::uint8_t kExtension = 0x21, kImage = 0x2C, kTrailer = 0x3B;
constexpr std::uint8_t kGraphicControl = 0xF9, kApplication = 0xFF;

// Bytes of a colour table announced by a packed field (0 when its flag is clear).
std::size_t TableBytes(std::uint8_t packed) {
  return (packed & 0x80) ? 3 * (std::size_t{2} << (packed & 7)) : 0;
}

// The end of the data sub-blocks that start at `at` (after their zero terminator).
std::optional<std::size_t> SubBlocksEnd(std::span<const std::uint8_t> gif, std::size_t at) {
  while (at < gif.size()) {
    const std::size_t size = gif[at];
    if (size == 0) return at + 1;
    at += 1 + size;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> RebuildGif(std::span<const std::uint8_t> gif) {
  if (gif.size() < 13 ||
      (std::memcmp(gif.data(), "GIF87a", 6) != 0 && std::memcmp(gif.data(), "GIF89a", 6) != 0))
    return std::nullopt;
  std::size_t at = 13 + TableBytes(gif[10]);
  if (at > gif.size()) return std::nullopt;
  std::vector<std::uint8_t> out(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(at));
  auto copy = [&](std::size_t from, std::size_t to) {
    out.insert(out.end(), gif.begin() + static_cast<std::ptrdiff_t>(from),
               gif.begin() + static_cast<std::ptrdiff_t>(to));
  };
  while (at < gif.size()) {
    const std::uint8_t block = gif[at];
    if (block == kTrailer) {
      out.push_back(kTrailer);
      return out;
    }
    if (block == kImage) {
      if (gif.size() - at < 11) return std::nullopt;
      const std::size_t data = at + 10 + TableBytes(gif[at + 9]) + 1;  // after the code size
      const auto end = data <= gif.size() ? SubBlocksEnd(gif, data) : std::nullopt;
      if (!end) return std::nullopt;
      copy(at, *end);
      at = *end;
    } else if (block == kExtension) {
      if (gif.size() - at < 2) return std::nullopt;
      const auto end = SubBlocksEnd(gif, at + 2);
      if (!end) return std::nullopt;
      const std::uint8_t label = gif[at + 1];
      const bool looping = label == kApplication && *end - at >= 14 &&
                           std::memcmp(&gif[at + 3], "NETSCAPE2.0", 11) == 0;
      if (label == kGraphicControl || looping) copy(at, *end);
      at = *end;
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace pixtrel
