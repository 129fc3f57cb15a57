#include "app/FileInfoText.h"

#include <QFile>
#include <cstdint>
#include <vector>

#include "codecs/Registry.h"
#include "languages/LanguageTable.h"
#include "windows/LocalPath.h"

namespace pixtrel {

std::optional<QSize> HeaderPictureSize(const QString& path) {
  const FormatRow* format = RowForFileName(LocalPath(path).filename().string());
  if (!format || !format->probe) return std::nullopt;
  const FormatRow& row = *format;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray head = file.read(qint64{256} << 10);
  const std::optional<PictureSize> size = row.probe(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(head.data()), static_cast<std::size_t>(head.size())));
  if (!size || size->width <= 0 || size->height <= 0) return std::nullopt;
  return QSize(size->width, size->height);
}

QString FileSizeText(qint64 bytes, const std::function<QString(int)>& text, QChar decimalPoint) {
  // Tenths below 10 units, whole units above: "4.7 MB", "86 KB".
  auto scaled = [&](qint64 unit) {
    const double value = static_cast<double>(bytes) / static_cast<double>(unit);
    QString number = QString::number(value, 'f', value < 10 ? 1 : 0);
    return number.replace(u'.', decimalPoint);
  };
  if (bytes < 1024) return text(kTextBytes).arg(bytes);
  if (bytes < 1024 * 1024) return text(kTextKilobytes).arg(scaled(1024));
  return text(kTextMegabytes).arg(scaled(1024 * 1024));
}

QString FileInfoText(const QString& name, std::optional<QSize> pixels, qint64 bytes,
                     const std::function<QString(int)>& text, QChar decimalPoint) {
  const QString size = FileSizeText(bytes, text, decimalPoint);
  QString info = name + QStringLiteral(": ");
  if (pixels)
    info += text(kTextPixelSize).arg(pixels->width()).arg(pixels->height()) + QStringLiteral(", ");
  return info + size;
}

}  // namespace pixtrel
