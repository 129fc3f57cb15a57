#pragma once
// A PNG file's chunks as we walk them before libpng reads the file: where its sound data ends,
// how much compressed picture data it holds, and its XMP packet.
#include <cstdint>
#include <span>
#include <vector>

namespace pixtrel {

struct PngChunks {
  // The bytes up to the first chunk that the file cannot hold whole: its length field claims
  // more bytes than follow, or its 12 bytes of length, type and check value are cut off. libpng
  // allocates a chunk's buffer from its length before reading it, so that chunk would cost up to
  // 2 GiB; cut there, libpng meets the end of the data instead.
  std::size_t soundLength = 0;
  // The IDAT chunks' data together: the zlib stream the pixels are decompressed from.
  std::uint64_t imageDataBytes = 0;
  // The text of the first intact iTXt chunk "XML:com.adobe.xmp" (decompressed when it is
  // compressed, up to kMaxXmpChunkBytes; cut at a NUL); empty when there is none.
  std::vector<std::uint8_t> xmp;
};

// The most a compressed XMP chunk may decompress to (libpng's own cap for a chunk).
inline constexpr std::size_t kMaxXmpChunkBytes = std::size_t{16} << 20;

// Walks the chunks after the signature; a chunk whose check value is wrong is not read from.
PngChunks WalkPngChunks(std::span<const std::uint8_t> file);

}  // namespace pixtrel
