#include "codecs/png/PngRebuild.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/ByteOrder.h"

namespace pixtrel {
namespace {

constexpr std::array<const char*, 14> kPictureChunks = {"IHDR", "PLTE", "tRNS", "IDAT", "IEND",
                                                        "gAMA", "cHRM", "sRGB", "sBIT", "bKGD",
                                                        "pHYs", "acTL", "fcTL", "fdAT"};

bool IsPictureChunk(const std::uint8_t* type) {
  return std::any_of(kPictureChunks.begin(), kPictureChunks.end(),
                     [&](const char* name) { return std::memcmp(type, name, 4) == 0; });
}

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

}  // namespace

std::optional<std::vector<std::uint8_t>> RebuildPng(std::span<const std::uint8_t> png) {
  if (png.size() < 16 || std::memcmp(png.data(), kSignature, 8) != 0 ||
      std::memcmp(png.data() + 12, "IHDR", 4) != 0)
    return std::nullopt;
  std::vector<std::uint8_t> out(png.begin(), png.begin() + 8);
  std::size_t at = 8;
  while (png.size() - at >= 12) {
    const std::size_t length = Be32(&png[at]);
    if (length > png.size() - at - 12) return std::nullopt;
    const std::uint8_t* type = &png[at + 4];
    const std::size_t end = at + 12 + length;
    if (IsPictureChunk(type))
      out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(at),
                 png.begin() + static_cast<std::ptrdiff_t>(end));
    if (std::memcmp(type, "IEND", 4) == 0) return out;
    at = end;
  }
  return std::nullopt;
}

}  // namespace pixtrel
