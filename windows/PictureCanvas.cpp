#include "windows/PictureCanvas.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace pixtrel {
namespace {

// Light grey and white squares of 8 pixels, as image viewers show transparency.
const QBrush& Checkerboard() {
  static const QBrush brush = [] {
    QPixmap tile(16, 16);
    tile.fill(Qt::white);
    QPainter p(&tile);
    p.fillRect(0, 0, 8, 8, QColor(0xcc, 0xcc, 0xcc));
    p.fillRect(8, 8, 8, 8, QColor(0xcc, 0xcc, 0xcc));
    return QBrush(tile);
  }();
  return brush;
}

}  // namespace

PictureCanvas::PictureCanvas(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureCanvas::setPicture(const QImage& picture, const QImage& reduced) {
  picture_ = picture;
  reduced_ = reduced;
  resize(zoomedSize(zoom_));
  update();
}

QSize PictureCanvas::zoomedSize(double zoom) const {
  if (picture_.isNull()) return QSize(1, 1);
  return QSize(std::max(1, static_cast<int>(std::lround(picture_.width() * zoom))),
               std::max(1, static_cast<int>(std::lround(picture_.height() * zoom))));
}

void PictureCanvas::setZoom(double zoom) {
  zoom_ = zoom;
  resize(zoomedSize(zoom_));
  update();
}

void PictureCanvas::paintEvent(QPaintEvent* event) {
  if (picture_.isNull()) return;
  QPainter p(this);
  const QRect exposed = event->rect();
  if (picture_.hasAlphaChannel()) p.fillRect(exposed, Checkerboard());
  if (zoom_ == 1.0) {
    p.drawImage(exposed, picture_, exposed);
    return;
  }
  // Well below 100 % the reduced copy, made with an area filter, looks better than the picture
  // scaled on the fly, as long as it has at least the pixels shown.
  const QImage& from =
      !reduced_.isNull() && reduced_.width() >= width() && reduced_.width() < picture_.width()
          ? reduced_
          : picture_;
  const double scale = static_cast<double>(from.width()) / picture_.width() / zoom_;
  // Only the part under the exposed rectangle is scaled.
  p.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ < 1.0);
  const QRectF source(exposed.x() * scale, exposed.y() * scale, exposed.width() * scale,
                      exposed.height() * scale);
  p.drawImage(QRectF(exposed), from, source);
}

}  // namespace pixtrel
