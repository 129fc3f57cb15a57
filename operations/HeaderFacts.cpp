#include "operations/HeaderFacts.h"

#include "imaging/Orientation.h"
#include "metadata/ExifBlock.h"

namespace pixtrel {

std::optional<HeaderFacts> ReadHeaderFacts(std::span<const std::uint8_t> head, const FormatRow& row,
                                           bool upright) {
  if (!row.probe) return std::nullopt;
  const std::optional<PictureSize> stored = row.probe(head);
  if (!stored || stored->width <= 0 || stored->height <= 0) return std::nullopt;
  HeaderFacts facts;
  Orientation orientation;
  if (row.readMetadata) {
    const PictureMetadata metadata = row.readMetadata(head);
    facts.captured = ReadCaptureDate(metadata.exif);
    if (upright && row.orientation == OrientationSource::Exif && !metadata.exif.empty())
      orientation = Orientation::FromExif(ExifOrientation(metadata.exif));
  }
  facts.width = orientation.swapsSides() ? stored->height : stored->width;
  facts.height = orientation.swapsSides() ? stored->width : stored->height;
  return facts;
}

}  // namespace pixtrel
