#include "app/FileMask.h"

#include <QStringList>
#include <algorithm>
#include <array>

#include "app/ClassicResizeTabs.h"
#include "codecs/Registry.h"

namespace pixtrel {
namespace {

QString MaskOf(const FormatRow& row) {
  return QString::fromStdString(row.mask());
}

QString MaskOf(std::string_view key) {
  return MaskOf(*RowForKey(key));
}

// Every extension of every format Pixtrel reads, in registry order.
QString ReadableMask() {
  QStringList masks;
  for (const FormatRow* row : Registry())
    masks.append(MaskOf(*row));
  return masks.join(u';');
}

// Rotate writes every format back in its own: the classic mask, then the masks of the other
// writable formats, in registry order.
QString RotateMask(const QString& classic) {
  const QStringList listed = classic.split(u';');
  QStringList masks{classic};
  for (const FormatRow* row : WritableRows()) {
    const QStringList own = MaskOf(*row).split(u';');
    const bool inClassic = std::all_of(own.begin(), own.end(),
                                       [&](const QString& mask) { return listed.contains(mask); });
    if (!inClassic) masks.append(MaskOf(*row));
  }
  return masks.join(u';');
}

}  // namespace

std::optional<QString> MaskForTab(int index) {
  // A resize tab lists its format's files.
  if (const FormatRow* resized = RowOfResizeTab(index)) return MaskOf(*resized);
  const QString jpeg = MaskOf("jpg");
  const QString gif = MaskOf("gif");
  const QString bmp = MaskOf("bmp");
  const QString all = QStringLiteral("*.bmp;*.jpg;*.gif;*.jpeg;*.jpe");
  // In tab order: (JPG, GIF, BMP: resize tabs), About, Help, GIF->JPG, JPG->GIF, BMP->JPG,
  // BMP->GIF, Rotate, JPEG quality, Greyscale, Options (none), JPG->BMP, GIF->BMP, (PNG, WebP:
  // resize tabs), Convert to.
  const std::array<QString, 18> masks = {QString(), QString(), QString(),     all,  all,
                                         gif,       jpeg,      bmp,           bmp,  RotateMask(all),
                                         jpeg,      jpeg,      QString(),     jpeg, gif,
                                         QString(), QString(), ReadableMask()};
  if (index < 0 || index >= static_cast<int>(masks.size()) || masks[index].isEmpty()) {
    return std::nullopt;
  }
  return masks[static_cast<std::size_t>(index)];
}

}  // namespace pixtrel
