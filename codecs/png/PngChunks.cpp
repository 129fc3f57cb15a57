#include "codecs/png/PngChunks.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/ByteOrder.h"

namespace pixtrel {
namespace {

constexpr std::string_view kXmpKey = "XML:com.adobe.xmp";

bool CrcMatches(std::span<const std::uint8_t> typeAndData, std::uint32_t stored) {
  uLong crc = crc32(0, nullptr, 0);
  // zlib takes at most 4 GiB a call; a chunk is at most 2 GiB.
  crc = crc32(crc, typeAndData.data(), static_cast<uInt>(typeAndData.size()));
  return crc == stored;
}

// Inflates a zlib stream; empty when it is damaged or decompresses to more than `limit`.
std::vector<std::uint8_t> Inflate(std::span<const std::uint8_t> stream, std::size_t limit) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return {};
  std::vector<std::uint8_t> out;
  std::uint8_t buffer[65536];
  z.next_in = const_cast<Bytef*>(stream.data());
  z.avail_in = static_cast<uInt>(stream.size());
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    status = inflate(&z, Z_NO_FLUSH);
    const std::size_t made = sizeof buffer - z.avail_out;
    if ((status != Z_OK && status != Z_STREAM_END) || out.size() + made > limit) {
      status = Z_DATA_ERROR;
      break;
    }
    out.insert(out.end(), buffer, buffer + made);
    if (status == Z_OK && made == 0 && z.avail_in == 0) status = Z_DATA_ERROR;  // cut off
  }
  inflateEnd(&z);
  return status == Z_STREAM_END ? out : std::vector<std::uint8_t>{};
}

// The text of an iTXt chunk's data when its keyword is the XMP one: keyword, NUL, compression
// flag and method, language tag, NUL, translated keyword, NUL, text.
std::vector<std::uint8_t> XmpText(std::span<const std::uint8_t> data) {
  if (data.size() < kXmpKey.size() + 3 ||
      std::memcmp(data.data(), kXmpKey.data(), kXmpKey.size()) != 0 || data[kXmpKey.size()] != 0) {
    return {};
  }
  const bool compressed = data[kXmpKey.size() + 1] != 0;
  const std::uint8_t method = data[kXmpKey.size() + 2];
  auto rest = data.subspan(kXmpKey.size() + 3);
  for (int skip = 0; skip < 2; ++skip) {  // language tag, translated keyword
    const auto nul = std::find(rest.begin(), rest.end(), std::uint8_t{0});
    if (nul == rest.end()) return {};
    rest = rest.subspan(static_cast<std::size_t>(nul - rest.begin()) + 1);
  }
  std::vector<std::uint8_t> text;
  if (!compressed) {
    text.assign(rest.begin(), rest.end());
  } else if (method == 0) {
    text = Inflate(rest, kMaxXmpChunkBytes);
  }
  // libpng hands texts over up to their first NUL.
  text.erase(std::find(text.begin(), text.end(), std::uint8_t{0}), text.end());
  return text;
}

}  // namespace

PngChunks WalkPngChunks(std::span<const std::uint8_t> file) {
  PngChunks chunks;
  std::size_t at = std::min<std::size_t>(8, file.size());  // the signature
  bool xmpFound = false;
  while (at + 12 <= file.size()) {
    const std::uint32_t length = Be32(&file[at]);
    if (length > file.size() - at - 12) break;
    const auto typeAndData = file.subspan(at + 4, 4 + std::size_t{length});
    const auto data = typeAndData.subspan(4);
    if (std::memcmp(typeAndData.data(), "IDAT", 4) == 0) chunks.imageDataBytes += length;
    if (!xmpFound && std::memcmp(typeAndData.data(), "iTXt", 4) == 0 &&
        CrcMatches(typeAndData, Be32(&file[at + 8 + length]))) {
      chunks.xmp = XmpText(data);
      xmpFound = !chunks.xmp.empty();
    }
    at += 12 + std::size_t{length};
  }
  chunks.soundLength = at;
  return chunks;
}

}  // namespace pixtrel
