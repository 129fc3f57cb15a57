#include "operations/Recompress.h"

#include "codecs/Registry.h"
#include "core/Errors.h"
#include "metadata/ExifBlock.h"

namespace pixtrel {

std::optional<Bytes> Recompressed(std::span<const std::uint8_t> bytes, const FormatRow& source,
                                  const FormatRow& target, const ConvertSettings& settings) {
  if (!target.recompress || RowForKey(target.recompressFrom) != &source || !source.probe)
    return std::nullopt;
  const std::optional<PictureSize> size = source.probe(bytes);
  if (!size) return std::nullopt;
  const PictureMetadata metadata =
      source.readMetadata ? source.readMetadata(bytes) : PictureMetadata{};
  if (settings.upright && source.orientation == OrientationSource::Exif && !metadata.exif.empty() &&
      ExifOrientation(metadata.exif) != 1) {
    return std::nullopt;  // its pixels are to be turned
  }
  OutputTarget output;
  output.carriesMetadata = target.carries.any();
  output.jpegMetadata = source.jpegMetadata;  // the blocks stay in the source's own data
  output.width = size->width;
  output.height = size->height;
  output.pixelsUpright = settings.upright;
  const MetadataPlan plan = PlanOutputMetadata(metadata, settings.metadata, output);
  if (plan.convertToSrgb) return std::nullopt;
  Bytes taken(bytes.begin(), bytes.end());
  if (settings.metadata != MetadataMode::Keep) {
    if (!source.rebuild) return std::nullopt;
    std::optional<Bytes> rebuilt = source.rebuild(bytes, plan.blocks);
    if (!rebuilt) return std::nullopt;
    taken = std::move(*rebuilt);
  }
  try {
    return target.recompress(taken, *size);
  } catch (const Exception&) {
    return std::nullopt;  // decoded instead, which says what is wrong if anything is
  }
}

}  // namespace pixtrel
