#pragma once
// The viewer: shows one picture, at first fitted to the screen (never enlarged), with scroll
// bars once it is larger than the window. A click on the picture or "1" shows it at 100 %, a
// click again or "F" (or "0") fits it to the window; the wheel zooms around the pointer, "+" and
// "-" around the middle, and dragging the picture scrolls it. A picture shown whole at 100 %
// closes with a click, as does the viewer with Esc. Transparent parts show over a light
// checkerboard. The picture is read on a thread of its own, so the window answers meanwhile.
// It lives for the whole run and is shown and hidden, never destroyed.
#include <QImage>
#include <QPoint>
#include <QScrollArea>
#include <QSize>

namespace pixtrel {

class LatestPicture;
class PictureCanvas;
struct ShownPicture;

// The viewer's outer size for a picture on a screen: each side of the picture plus 9 (width)
// or 28 (height) when the screen is larger in that direction, otherwise the screen's side less
// 9 or 28.
QSize ViewerOuterSize(QSize picture, QSize screen);

// The zoom that shows the whole picture in an inside of the given size, at most 1.
double FitZoom(QSize picture, QSize inside);

// "NAME - CAPTION - WIDTHxHEIGHT", the file's bare name first so that it shows where titles are
// cut short; "CAPTION - WIDTHxHEIGHT" without a name. A zoom other than 100 % follows in
// brackets: "... - 8000x6000 (16 %)".
QString ViewerTitle(const QString& caption, QSize picture, const QString& name = QString(),
                    double zoom = 1.0);

class TSlikca : public QScrollArea {
  Q_OBJECT
 public:
  // Created hidden, owned by the main window.
  explicit TSlikca(QWidget* owner);
  ~TSlikca() override;

  PictureCanvas* Image1 = nullptr;  // the picture at the zoom shown, centred in the window

  // Reads the picture on the viewer's own thread; once read, shows it (ShowDecoded). A picture
  // that cannot be read changes nothing and reports nothing. Only the newest request counts.
  void RequestPicture(const QString& path, const QString& caption);
  // True while a requested picture is still on its way.
  bool Loading() const;
  // Shows the picture at once, read on the calling thread; false when it cannot be read.
  bool ShowPicture(const QString& path, const QString& caption);
  // A new caption (another language); the title keeps the name and size of the picture shown.
  void Retitle(const QString& caption);
  QSize pictureSize() const { return pictureSize_; }

  double zoom() const;
  bool fitted() const { return fit_; }
  // 100 %, or the zoom that fits the window, keeping the point `anchor` of the viewport (its
  // middle by default) over the same spot of the picture.
  void ShowActualSize(QPoint anchor = QPoint(-1, -1));
  void ShowFitted();
  void ZoomBy(double factor, QPoint anchor = QPoint(-1, -1));

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QScreen* Screen() const;
  void Show(const QString& path, const ShownPicture& picture, const QString& caption);
  void SetZoom(double zoom, QPoint anchor);
  void UpdateTitle();

  LatestPicture* loader_;
  QString caption_;
  QString name_;
  QSize pictureSize_;
  bool fit_ = true;
  QPoint pressAt_;  // where the left button went down on the picture, in the viewport
  QPoint scrollAtPress_;
  bool dragged_ = false;
};

}  // namespace pixtrel
