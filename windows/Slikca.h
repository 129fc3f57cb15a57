#pragma once
// The viewer: shows one picture at its own size, with scroll bars when it is larger than the
// window; a click on the picture hides it. It lives for the whole run and is shown and hidden,
// never destroyed.
#include <QScrollArea>
#include <QSize>

class QLabel;

namespace pixtrel {

// The viewer's outer size for a picture on a screen: each side of the picture plus 9 (width)
// or 28 (height) when the screen is larger in that direction, otherwise the screen's side less
// 9 or 28.
QSize ViewerOuterSize(QSize picture, QSize screen);

// "NAME - CAPTION - WIDTHxHEIGHT", the file's bare name first so that it shows where titles are
// cut short; "CAPTION - WIDTHxHEIGHT" without a name.
QString ViewerTitle(const QString& caption, QSize picture, const QString& name = QString());

class TSlikca : public QScrollArea {
  Q_OBJECT
 public:
  // Created hidden, owned by the main window.
  explicit TSlikca(QWidget* owner);

  QLabel* Image1 = nullptr;  // the picture at its own size, centred in the window

  // Shows the picture: loads it, titles the window with its name, the caption and its size,
  // sizes the window to it (ViewerOuterSize) and shows it, centred on the screen when it was
  // hidden. A picture that cannot be read changes nothing and reports nothing: false.
  bool ShowPicture(const QString& path, const QString& caption);
  // A new caption (another language); the title keeps the name and size of the picture shown.
  void Retitle(const QString& caption);
  QSize pictureSize() const { return pictureSize_; }

 protected:
  // Esc closes the viewer, as a click on the picture does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QScreen* Screen() const;

  QString caption_;
  QString name_;
  QSize pictureSize_;
};

}  // namespace pixtrel
