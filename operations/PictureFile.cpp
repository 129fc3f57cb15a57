#include "operations/PictureFile.h"

#include <string>

#include "codecs/jpeg/JpegMetadata.h"
#include "core/Errors.h"
#include "imaging/CompositeOnWhite.h"
#include "metadata/ColourProfile.h"
#include "metadata/ExifBlock.h"

namespace pixtrel {

DecodedPicture DecodePicture(std::span<const std::uint8_t> bytes, const FormatRow& row,
                             bool upright) {
  DecodedPicture picture = row.decode(bytes, upright);
  std::vector<std::uint8_t>& exif = picture.metadata.exif;
  if (!exif.empty()) {
    const std::span<const std::uint8_t> tiff = TiffPart(exif);
    exif = std::vector<std::uint8_t>(tiff.begin(), tiff.end());
  }
  return picture;
}

PictureMetadata ReadMetadata(std::span<const std::uint8_t> bytes, const FormatRow& row) {
  return row.readMetadata ? row.readMetadata(bytes) : DecodePicture(bytes, row, false).metadata;
}

int OrientationTag(const DecodedPicture& picture, const FormatRow& row) {
  if (row.orientation != OrientationSource::Exif || picture.metadata.exif.empty()) return 1;
  return ExifOrientation(picture.metadata.exif);
}

Bytes EncodePicture(DecodedPicture picture, const PictureMetadata& source, const FormatRow& row,
                    const OutputChoices& choices) {
  if (!row.writable()) throw Exception("Cannot write " + std::string(row.title) + " files");
  OutputTarget output;
  output.carriesMetadata = row.carries.any();
  output.jpegMetadata = row.jpegMetadata;
  output.width = RasterWidth(picture.raster);
  output.height = RasterHeight(picture.raster);
  output.pixelsUpright = choices.pixelsUpright;
  const MetadataPlan plan = PlanOutputMetadata(source, choices.metadata, output);
  if (plan.convertToSrgb) ConvertToSrgb(picture.raster, source.icc);

  EncodeJob job;
  const int transparentIndex = row.keepsTransparentIndex ? TransparentIndexOf(picture) : -1;
  if (transparentIndex >= 0) {
    job.raster = std::move(picture.raster);
    job.transparentIndex = transparentIndex;
  } else if (picture.alpha && !row.keepsAlpha &&
             !(row.keepsTransparentIndex && choices.ownPalette)) {
    job.raster = CompositeOnWhite(std::move(picture));
  } else {
    job.raster = std::move(picture.raster);
    if (picture.alpha) job.alpha = &*picture.alpha;
  }
  job.metadata = &plan.blocks;
  if (picture.deep) job.deep = &*picture.deep;
  job.settings.quality = choices.quality;
  job.settings.lossless = choices.lossless;
  job.settings.ownPalette = choices.ownPalette;
  job.settings.dither = choices.dither;
  job.settings.progressive = choices.progressive;
  job.settings.optimise = choices.optimise;
  return row.encode(job);
}

Bytes EncodeJpegPicture(TJPEGImage& picture, const PictureMetadata& source, MetadataMode mode,
                        bool pixelsUpright) {
  if (source.empty()) return EncodeJpegWithBlocks(picture, {});
  OutputTarget target;
  target.jpegMetadata = true;
  target.grey = picture.Greyscale();
  target.width = picture.width();
  target.height = picture.height();
  target.pixelsUpright = pixelsUpright;
  const MetadataPlan plan = PlanOutputMetadata(source, mode, target);
  if (plan.convertToSrgb) {
    Raster colours = TakeJpegRaster(picture);
    ConvertToSrgb(colours, source.icc);
    SetJpegRaster(picture, std::move(colours));
  }
  return EncodeJpegWithBlocks(picture, plan.blocks);
}

}  // namespace pixtrel
