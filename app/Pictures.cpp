#include "app/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace pixtrel {
namespace {

// The icon in its 64-unit design space.
void DrawIcon(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1d, 0x4f, 0x91));
  p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(12, 14, 34, 28));
  p.setBrush(QColor(0x9f, 0xd3, 0xf7));
  p.drawRect(QRectF(15, 17, 28, 22));
  p.setBrush(QColor(0xff, 0xd2, 0x3f));
  p.drawEllipse(QPointF(36, 24), 4, 4);
  p.setBrush(QColor(0x3a, 0x9d, 0x4f));
  p.drawPolygon(QPolygonF({{15, 39}, {24, 26}, {31, 35}, {35, 30}, {43, 39}}));
  const QColor orange(0xff, 0x8c, 0x1a);
  p.setPen(QPen(orange, 4));
  p.drawLine(QPointF(38, 38), QPointF(50, 50));
  p.setPen(Qt::NoPen);
  p.setBrush(orange);
  p.drawPolygon(QPolygonF({{55, 55}, {55, 43}, {43, 55}}));
}

}  // namespace

QPixmap IconPicture(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.scale(size / 64.0, size / 64.0);
  DrawIcon(p);
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(IconPicture(size));
  return icon;
}

QPixmap BannerPicture(const QString& line) {
  QPixmap pixmap(468, 60);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 468, 0);
  sky.setColorAt(0, QColor(0x12, 0x36, 0x6a));
  sky.setColorAt(1, QColor(0x3d, 0x7c, 0xc4));
  p.fillRect(pixmap.rect(), sky);
  p.drawPixmap(8, 6, IconPicture(48));
  QFont title(QStringLiteral("Sans Serif"));
  title.setPixelSize(26);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRect(66, 4, 200, 32), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pixtrel"));
  QFont small(QStringLiteral("Sans Serif"));
  small.setPixelSize(12);
  p.setFont(small);
  p.setPen(QColor(0xe4, 0xee, 0xfa));
  // A long translation is cut with an ellipsis rather than drawn past the banner's edge.
  const QRect lineArea(66, 34, 396, 20);
  p.drawText(lineArea, Qt::AlignLeading | Qt::AlignVCenter,
             p.fontMetrics().elidedText(line, Qt::ElideRight, lineArea.width()));
  p.setPen(QColor(0xff, 0xd2, 0x3f));
  p.drawText(QRect(300, 6, 160, 24), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("by Korvane"));
  p.setPen(QColor(0x0b, 0x24, 0x48));
  p.setBrush(Qt::NoBrush);
  p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
  return pixmap;
}

QPixmap DonatePicture(const QString& word) {
  QPixmap pixmap(92, 26);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient gold(0, 0, 0, 26);
  gold.setColorAt(0, QColor(0xff, 0xe0, 0x7a));
  gold.setColorAt(1, QColor(0xf5, 0xb3, 0x1b));
  p.setPen(QColor(0xb8, 0x7a, 0x00));
  p.setBrush(gold);
  p.drawRoundedRect(QRectF(0.5, 0.5, 91, 25), 12, 12);
  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(13);
  font.setBold(true);
  // Longer words get a smaller type, so that they still fit the button.
  while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(word) > 84)
    font.setPixelSize(font.pixelSize() - 1);
  p.setFont(font);
  p.setPen(QColor(0x1d, 0x2d, 0x50));
  p.drawText(pixmap.rect(), Qt::AlignCenter, word);
  return pixmap;
}

}  // namespace pixtrel
