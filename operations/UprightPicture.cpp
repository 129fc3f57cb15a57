#include "operations/UprightPicture.h"

#include "imaging/TurnPicture.h"
#include "operations/PictureFile.h"

namespace pixtrel {

StoredPicture ReadStored(std::span<const std::uint8_t> bytes, const FormatRow& row, bool upright,
                         bool keepDeep) {
  StoredPicture stored{DecodePicture(bytes, row, upright), Orientation{}};
  if (!keepDeep) stored.picture.deep.reset();
  if (upright) stored.toUpright = Orientation::FromExif(OrientationTag(stored.picture, row));
  return stored;
}

DecodedPicture ReadUpright(std::span<const std::uint8_t> bytes, const FormatRow& row, bool upright,
                           bool keepDeep) {
  StoredPicture stored = ReadStored(bytes, row, upright, keepDeep);
  TurnPicture(stored.picture, stored.toUpright);
  return std::move(stored.picture);
}

}  // namespace pixtrel
