#include "app/FileMask.h"

#include <array>

namespace pixtrel {

std::optional<QString> MaskForTab(int index) {
  const QString jpeg = QStringLiteral("*.jpg;*.jpeg;*.jpe");
  const QString gif = QStringLiteral("*.gif");
  const QString bmp = QStringLiteral("*.bmp");
  const QString all = QStringLiteral("*.bmp;*.jpg;*.gif;*.jpeg;*.jpe");
  // In tab order: JPG, GIF, BMP, About, Help, GIF->JPG, JPG->GIF, BMP->JPG, BMP->GIF, Rotate,
  // JPEG quality, Greyscale, Options (none), JPG->BMP, GIF->BMP.
  const std::array<QString, 15> masks = {jpeg, gif, bmp,  all,  all,       gif,  jpeg, bmp,
                                         bmp,  all, jpeg, jpeg, QString(), jpeg, gif};
  if (index < 0 || index >= static_cast<int>(masks.size()) || masks[index].isEmpty()) {
    return std::nullopt;
  }
  return masks[static_cast<std::size_t>(index)];
}

}  // namespace pixtrel
