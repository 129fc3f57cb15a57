#pragma once
// The preview window: a small tool window that stays on top and shows the picture last clicked
// in the file list, reduced by the main window's scale divisor. It lives for the whole run and
// is shown and hidden, never destroyed.
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QWidget>
#include <optional>

class QLabel;

namespace pixtrel {

class LatestPicture;
struct ShownPicture;

class TPreviewForm : public QWidget {
  Q_OBJECT
 public:
  // Created hidden, at its design place and size, owned by the main window.
  TPreviewForm(QWidget* owner, int scaleDivisor);

  QLabel* Image1 = nullptr;  // the picture, stretched to its own size

  // Loads the picture for the next FitToPicture; the file last loaded, unchanged since, is not
  // read again. False when it cannot be read, and the previous picture stays; nothing is
  // reported.
  bool LoadPicture(const QString& path);
  // Image1, and the window with it, take the held picture's size divided by the scale divisor
  // (halves to even), reduced further when that would cover more than half the screen. Without
  // a picture nothing changes. An open window that grows stays inside the screen's usable area.
  void FitToPicture();
  // As FitToPicture, and no larger than room (the inside's size).
  void FitToPicture(QSize room);
  // The window's size while it holds no picture: room for a readable title and the hint.
  static QSize EmptySize();
  // Drops the picture: the window shows the hint, at its design size.
  void Clear();
  // Loads the picture on a thread of its own and fits the window to it once it is there; a file
  // it cannot read empties it. Only the newest request is shown. The file shown, unchanged
  // since, is not read again.
  void RequestPicture(const QString& path);
  // True while a requested picture is still on its way.
  bool Loading() const;
  // The text shown while the window holds no picture.
  void SetHint(const QString& hint);

  // Puts the inside's top-left corner (the window without the window manager's frame) at the
  // place; a place where the window could not be reached moves onto the nearest screen.
  void PlaceAt(int top, int left);
  // Shows the window placed so (PlaceAt); placed again once shown, when its frame is known. A
  // picture that grew while the window was closed does not carry it past the screen's edge.
  void ShowAt(int top, int left);
  // The frame's size once shown: its decorations estimated from the owner's until it was shown.
  QSize ExpectedFrameSize() const;
  // True once the window was placed during this run; before, its position is only the design
  // place, which says nothing about where the user left it.
  bool Placed() const { return placed_; }

  // The program is ending: a close from now on is not the user's (until the window shows
  // again).
  void SetProgramEnding() { programEnding_ = true; }

 signals:
  // The user closed the window (its close box, or the menu that closes it).
  void closedByUser();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Resize(QSize size);
  bool Holds(const QString& path) const;
  void Take(const QString& path, const ShownPicture& picture);
  QRect UsableArea(const QRect& frame) const;
  // The decorations' share of the frame: as now shown, else as last seen, else the owner's.
  QSize FrameMargins() const;

  int scaleDivisor_;
  QImage picture_;  // at the reduced size, to keep memory small for large pictures
  QSize reduced_;
  QString hint_;
  QString loadedPath_;  // the file picture_ came from, and how it was then
  QDateTime loadedTime_;
  qint64 loadedBytes_ = -1;
  QSize hiddenSize_;              // the window's size when it was last hidden
  std::optional<QSize> margins_;  // the decorations' share of the frame, once shown
  LatestPicture* loader_;
  bool placed_ = false;
  bool programEnding_ = false;
};

}  // namespace pixtrel
