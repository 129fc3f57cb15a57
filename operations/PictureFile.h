#pragma once
// Picture files of any format for the commands that work on every format: decoding into a
// picture with its alpha plane and metadata, and encoding a picture with the metadata the user's
// choice lets it carry. The registry's rows supply the codec of each format.
#include <cstdint>
#include <span>

#include "codecs/FormatRow.h"
#include "codecs/jpeg/JpegImage.h"
#include "core/DecodedPicture.h"
#include "io/FileBytes.h"
#include "metadata/MetadataPlan.h"
#include "operations/OutputChoices.h"

namespace pixtrel {

// The file's picture as stored. HEIF applies its own transforms when upright is set; for the
// other formats the EXIF orientation is left to the caller (OrientationTag). The EXIF block is
// given from its TIFF header on.
DecodedPicture DecodePicture(std::span<const std::uint8_t> bytes, const FormatRow& row,
                             bool upright);

// The file's metadata blocks: read alone where the format can (its row's readMetadata, the
// blocks as they are stored), else those DecodePicture gives.
PictureMetadata ReadMetadata(std::span<const std::uint8_t> bytes, const FormatRow& row);

// The EXIF orientation (1 to 8) that still applies to a picture decoded by DecodePicture: the
// tag of formats whose EXIF orientation counts, 1 for the others.
int OrientationTag(const DecodedPicture& picture, const FormatRow& row);

// The picture encoded as target: its colours converted to sRGB and its metadata blocks chosen as
// PlanOutputMetadata says, alpha composited on white for formats without alpha (a GIF keeps a
// colour-index picture's one transparent index instead, see TransparentIndexOf). Fails with
// "Cannot write FORMAT files" for a format that is only read.
Bytes EncodePicture(DecodedPicture picture, const PictureMetadata& source, const FormatRow& target,
                    const OutputChoices& choices);

// A JPEG picture with its own settings (quality, greyscale, progressive) encoded as
// EncodePicture encodes a picture for the JPEG row: carrying what the plan allows of the
// source's blocks, its colours converted to sRGB first when the plan says so. A source without
// metadata gives exactly the encoder's bytes.
Bytes EncodeJpegPicture(TJPEGImage& picture, const PictureMetadata& source, MetadataMode mode,
                        bool pixelsUpright);

}  // namespace pixtrel
