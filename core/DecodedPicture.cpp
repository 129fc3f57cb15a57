#include "core/DecodedPicture.h"

#include <array>

namespace pixtrel {

int TransparentIndexOf(const DecodedPicture& picture) {
  const auto* indices = std::get_if<PaletteBitmap>(&picture.raster);
  if (!indices || !picture.alpha || picture.alpha->size() != indices->pixelCount()) return -1;
  const std::uint8_t* index = indices->data();
  const std::uint8_t* alpha = picture.alpha->data();
  int transparent = -1;
  std::array<bool, 256> drawnOpaque{};
  for (std::size_t i = 0; i < indices->pixelCount(); ++i) {
    if (alpha[i] == 255) {
      drawnOpaque[index[i]] = true;
    } else if (alpha[i] != 0 || (transparent >= 0 && transparent != index[i])) {
      return -1;
    } else {
      transparent = index[i];
    }
  }
  return transparent >= 0 && !drawnOpaque[static_cast<std::size_t>(transparent)] ? transparent : -1;
}

}  // namespace pixtrel
