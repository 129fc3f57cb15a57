#pragma once
// EXIF blocks: the TIFF structure a camera writes (byte-order mark, IFD0, the Exif, GPS and
// interoperability IFDs, IFD1 with its thumbnail). Read for the orientation, and edited in place
// for what an output carries: the orientation made 1, the pixel size brought up to date, the
// thumbnail and the GPS data removed. Edits keep every other byte where it is, so maker notes
// (whose offsets may be relative to anything) survive; removed data is overwritten with zeros,
// not just unlinked. Damaged blocks never make these functions throw or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pixtrel {

// Blocks larger than this are not looked at (a JPEG APP1 holds at most 65,527 bytes of it, but
// PNG and WebP may carry more).
inline constexpr std::size_t kMaxExifBytes = std::size_t{4} << 20;

// The TIFF structure inside a block as the formats store it: from the byte-order mark ("II*\0"
// or "MM\0*") on, skipping an "Exif\0\0" header (JPEG, some WebP writers) or the 4-byte offset
// HEIF puts in front. Empty when there is none.
std::span<const std::uint8_t> TiffPart(std::span<const std::uint8_t> block);

// The orientation tag (0x0112) of IFD0, 1 to 8; 1 when absent, damaged or out of range.
int ExifOrientation(std::span<const std::uint8_t> exif);

struct ExifEdit {
  bool orientationToOne = true;  // set the orientation tag to 1 (the pixels were turned upright)
  int width = 0;                 // PixelXDimension / PixelYDimension set when both are > 0
  int height = 0;
  bool dropThumbnail = true;  // IFD1 unlinked; it, its values and its thumbnail (JPEG or
                              // strips) zeroed
  bool dropGps = false;       // the GPS IFD pointer removed from IFD0; the GPS IFD zeroed
  // The block goes into a JPEG: the tags a JPEG's EXIF requires are added where missing (see
  // CompleteExifForJpeg), ColorSpace "uncalibrated" when the file carries another profile.
  bool jpegRules = false;
  bool uncalibratedColour = false;
};

// An edited copy of the TIFF structure (from the byte-order mark on, whatever header the block
// had). A broken Exif or GPS pointer (see ReadExifLayout) is dropped, the rest kept. Empty when the
// block is damaged beyond a safe edit or larger than kMaxExifBytes, so the caller leaves it out.
std::vector<std::uint8_t> EditExif(std::span<const std::uint8_t> exif, const ExifEdit& edit);

}  // namespace pixtrel
