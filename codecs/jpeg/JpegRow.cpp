// JPEG's row in the registry.
#include "codecs/FormatRow.h"
#include "codecs/jpeg/JpegImage.h"
#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/jpeg/JpegPreview.h"
#include "codecs/jpeg/JpegProbe.h"
#include "codecs/jpeg/JpegRebuild.h"

namespace pixtrel {
namespace {

DecodedPicture Decode(std::span<const std::uint8_t> bytes, bool) {
  TJPEGImage jpeg = JpegFromBytes(Bytes(bytes.begin(), bytes.end()));
  DecodedPicture picture;
  picture.raster = TakeJpegRaster(jpeg);
  picture.metadata = ReadJpegMetadata(bytes);
  picture.lossless = false;
  picture.progressive = jpeg.Progressive;
  return picture;
}

Bytes Encode(EncodeJob& job) {
  TJPEGImage jpeg;
  SetJpegRaster(jpeg, std::move(job.raster));
  jpeg.Quality = job.settings.quality;
  jpeg.Progressive = job.settings.progressive;
  jpeg.OptimiseCoding = job.settings.optimise;
  return EncodeJpegWithBlocks(jpeg, job.metadata ? *job.metadata : PictureMetadata{});
}

std::optional<Bytes> Rebuild(std::span<const std::uint8_t> bytes, const PictureMetadata& blocks) {
  return RebuildJpeg(bytes, blocks);
}

Raster DecodeBands(Bytes bytes, const std::function<void(const StoredLayout&)>& layoutKnown,
                   const BandRows* rows) {
  TJPEGImage picture = JpegFromBytes(std::move(bytes));
  layoutKnown({picture.width(), picture.height(), picture.Progressive});
  if (!rows) return TakeJpegRaster(picture);
  DecodeJpegRows(picture, *rows);
  return Bitmap24();
}

Raster DecodeForDisplay(Bytes bytes,
                        const std::function<PictureSize(PictureSize stored)>& shownFor) {
  const TJPEGImage picture = JpegFromBytes(std::move(bytes));
  PictureSize stored;
  stored.width = picture.width();
  stored.height = picture.height();
  const PictureSize shown = shownFor(stored);
  return DecodeJpegForDisplay(picture, shown.width, shown.height);
}

std::optional<Raster> DecodeScaled(std::span<const std::uint8_t> bytes, int eighths) {
  return DecodeJpegScaled(bytes, eighths, false);
}

}  // namespace

const FormatRow& JpegRow() {
  static const FormatRow row{
      .key = "jpg",
      .aliases = {"jpeg"},
      .title = "JPG",
      .name = "JPEG",
      .extensions = {".jpg", ".jpeg", ".jpe"},
      .mimeTypes = {"image/jpeg"},
      // The viewer has never opened ".jpe" files, though every command takes them.
      .displayExtensions = {".jpg", ".jpeg"},
      .resizeRank = 0,
      .carries = {.exif = true, .xmp = true, .icc = true, .iptc = true},
      .jpegMetadata = true,
      .orientation = OrientationSource::Exif,
      .lossyQuality = true,
      .lossless = LosslessWhen::Never,
      .probe = ProbeJpeg,
      .decode = Decode,
      .encode = Encode,
      .rebuild = Rebuild,
      .readMetadata = ReadJpegMetadata,
      .decodeBands = DecodeBands,
      .decodeForDisplay = DecodeForDisplay,
      .decodeScaled = DecodeScaled,
      .turnsWithoutLoss = true,
  };
  return row;
}

}  // namespace pixtrel
