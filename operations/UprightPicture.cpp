#include "operations/UprightPicture.h"

#include "imaging/TurnPicture.h"
#include "operations/PictureFile.h"

namespace pixtrel {

StoredPicture ReadStored(std::span<const std::uint8_t> bytes, ImageFormat format, bool upright) {
  StoredPicture stored{DecodePicture(bytes, format, upright), Orientation{}};
  if (upright) stored.toUpright = Orientation::FromExif(OrientationTag(stored.picture, format));
  return stored;
}

DecodedPicture ReadUpright(std::span<const std::uint8_t> bytes, ImageFormat format, bool upright) {
  StoredPicture stored = ReadStored(bytes, format, upright);
  TurnPicture(stored.picture, stored.toUpright);
  return std::move(stored.picture);
}

}  // namespace pixtrel
