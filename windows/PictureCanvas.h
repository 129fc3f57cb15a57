#pragma once
// A picture drawn at a zoom factor: transparent parts over a light checkerboard, the whole
// widget as large as the zoomed picture (a scroll area around it scrolls). Only the part
// exposed is drawn, so a large picture zoomed in costs no more than the window's size.
#include <QImage>
#include <QWidget>

namespace pixtrel {

class PictureCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit PictureCanvas(QWidget* parent = nullptr);

  // The picture at its own size, and optionally a smoothly reduced copy to draw at the zoom
  // the copy's size gives (the first view of a large picture).
  void setPicture(const QImage& picture, const QImage& reduced = QImage());
  const QImage& picture() const { return picture_; }
  // The widget takes the picture's size times the zoom (at least 1 x 1).
  void setZoom(double zoom);
  double zoom() const { return zoom_; }
  QSize zoomedSize(double zoom) const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  QImage reduced_;
  double zoom_ = 1.0;
};

}  // namespace pixtrel
