#include "metadata/ExifPayload.h"

#include <cstring>

namespace pixtrel {

std::optional<std::span<const std::uint8_t>> AfterExifOffset(std::span<const std::uint8_t> block) {
  if (block.size() < 4) return std::nullopt;
  const std::uint64_t skip = (std::uint64_t{block[0]} << 24) | (std::uint64_t{block[1]} << 16) |
                             (std::uint64_t{block[2]} << 8) | block[3];
  if (skip > block.size() - 4) return std::nullopt;
  return block.subspan(4 + static_cast<std::size_t>(skip));
}

std::vector<std::uint8_t> TiffFromOffsetBlock(std::span<const std::uint8_t> block) {
  std::optional<std::span<const std::uint8_t>> tiff = AfterExifOffset(block);
  if (!tiff) return {};
  if (tiff->size() >= 6 && std::memcmp(tiff->data(), "Exif\0\0", 6) == 0) tiff = tiff->subspan(6);
  return std::vector<std::uint8_t>(tiff->begin(), tiff->end());
}

}  // namespace pixtrel
