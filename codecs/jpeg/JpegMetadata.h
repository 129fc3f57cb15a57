#pragma once
// The metadata segments of JPEG files: EXIF (APP1 "Exif\0\0"), XMP (APP1
// "http://ns.adobe.com/xap/1.0/\0"), the ICC profile (APP2 "ICC_PROFILE\0", split over
// numbered chunks) and the IPTC block (APP13 "Photoshop 3.0\0", its resources continued over
// as many segments as they need). Byte-level work on the segments before the first scan; the
// compressed data is never touched, so replacing metadata is lossless.
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/jpeg/JpegImage.h"
#include "core/DecodedPicture.h"

namespace pixtrel {

// The blocks the file carries: EXIF from its TIFF header on, XMP as text, the ICC profile with
// its chunks joined in sequence order (left out when chunks are missing, repeated or
// inconsistent), the Photoshop resources of every APP13 segment joined. Damaged or truncated
// segment structure gives what was found before it.
PictureMetadata ReadJpegMetadata(std::span<const std::uint8_t> jpeg);

// The segments of the blocks that are not empty (and not too large, as below), appended.
void AppendMetadataSegments(std::vector<std::uint8_t>& out, const PictureMetadata& metadata);

// The file with its EXIF, XMP (with the extension segments of a packet split over several), ICC
// and Photoshop (IPTC) segments removed and the given blocks (those not empty)
// put in their place, right after SOI and a JFIF APP0 (with the APP0 extensions after it) when
// there is one; every other byte stays. A block too large for the format is left out: EXIF over
// 65,527 bytes, XMP over 65,502, IPTC over 65,519, an ICC profile needing more than 255 chunks.
// Data that does not start with SOI is returned unchanged.
std::vector<std::uint8_t> ReplaceJpegMetadata(std::span<const std::uint8_t> jpeg,
                                              const PictureMetadata& metadata);

// The picture encoded with its settings, carrying the given blocks: the encoder's own bytes when
// there are none, else those bytes with the blocks put in (ReplaceJpegMetadata). Every JPEG
// written anew with metadata is written so.
std::vector<std::uint8_t> EncodeJpegWithBlocks(TJPEGImage& picture, const PictureMetadata& blocks);

}  // namespace pixtrel
