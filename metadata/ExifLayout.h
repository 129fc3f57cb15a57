#pragma once
// The directories of an EXIF block that its edits read: IFD0, the Exif, GPS and interoperability
// IFDs it points to, and the chain after IFD0 (IFD1, the thumbnail's, and any after it).
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "metadata/TiffIfd.h"

namespace pixtrel {

inline constexpr std::uint16_t kTagOrientation = 0x0112;
inline constexpr std::uint16_t kTagExifIfd = 0x8769;
inline constexpr std::uint16_t kTagGpsIfd = 0x8825;
inline constexpr std::uint16_t kTagInteropIfd = 0xA005;
inline constexpr std::uint16_t kTagPixelXDimension = 0xA002;
inline constexpr std::uint16_t kTagPixelYDimension = 0xA003;
inline constexpr std::uint16_t kTagThumbnailOffset = 0x0201;  // JPEGInterchangeFormat
inline constexpr std::uint16_t kTagThumbnailLength = 0x0202;  // JPEGInterchangeFormatLength
inline constexpr std::uint16_t kTagStripOffsets = 0x0111;
inline constexpr std::uint16_t kTagStripByteCounts = 0x0117;

struct ExifLayout {
  tiff::ByteOrder order;
  tiff::Ifd ifd0;
  std::optional<tiff::Ifd> exif;
  std::optional<tiff::Ifd> gps;
  std::optional<tiff::Ifd> interop;
  std::vector<tiff::Ifd> chain;  // IFD1 first
  // Pointer tags of IFD0 (Exif, GPS) that lead nowhere: a count other than 1, a wrong type, or a
  // directory outside the block. Readers skip them, so edits drop them and keep the rest. A
  // broken GPS pointer whose value still names a directory in the block has it in `gps`, so that
  // removing GPS data clears it too.
  std::vector<std::uint16_t> brokenPointers;
};

// Chains longer than this are taken for damage: real files have IFD0 and IFD1.
inline constexpr std::size_t kMaxIfdChain = 16;

// The layout of a TIFF structure (from its byte-order mark on). Nothing when IFD0 lies outside
// the block, two directories share an offset (which is also how a loop in the chain shows), a
// pointer tag is repeated, or the chain is too long. A broken Exif or GPS pointer is listed in
// brokenPointers; a chain leading out of the block ends there; an interoperability IFD outside
// it is taken as absent: none of them holds anything to edit.
std::optional<ExifLayout> ReadExifLayout(std::span<const std::uint8_t> tiff);

}  // namespace pixtrel
