#include "app/FileMask.h"

#include <QStringList>
#include <array>

#include "codecs/FormatTable.h"

namespace pixtrel {
namespace {

QString MaskOf(ImageFormat format) {
  return QString::fromStdString(RowOf(format).mask());
}

// Every extension of every format Pixtrel reads, in the table's order.
QString ReadableMask() {
  QStringList masks;
  for (const FormatRow& row : FormatTable())
    masks.append(QString::fromStdString(row.mask()));
  return masks.join(u';');
}

}  // namespace

std::optional<QString> MaskForTab(int index) {
  const QString jpeg = MaskOf(ImageFormat::Jpeg);
  const QString gif = MaskOf(ImageFormat::Gif);
  const QString bmp = MaskOf(ImageFormat::Bmp);
  const QString png = MaskOf(ImageFormat::Png);
  const QString webp = MaskOf(ImageFormat::Webp);
  const QString all = QStringLiteral("*.bmp;*.jpg;*.gif;*.jpeg;*.jpe");
  // Rotate writes every format back in its own: the three first ones, then PNG and WebP.
  const QString rotate = all + u';' + png + u';' + webp;
  // In tab order: JPG, GIF, BMP, About, Help, GIF->JPG, JPG->GIF, BMP->JPG, BMP->GIF, Rotate,
  // JPEG quality, Greyscale, Options (none), JPG->BMP, GIF->BMP, PNG, WebP, Convert to.
  const std::array<QString, 18> masks = {jpeg,      gif,  bmp, all,    all,  gif,
                                         jpeg,      bmp,  bmp, rotate, jpeg, jpeg,
                                         QString(), jpeg, gif, png,    webp, ReadableMask()};
  if (index < 0 || index >= static_cast<int>(masks.size()) || masks[index].isEmpty()) {
    return std::nullopt;
  }
  return masks[static_cast<std::size_t>(index)];
}

}  // namespace pixtrel
