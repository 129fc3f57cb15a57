#include "windows/PreviewForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <exception>

#include "windows/LatestPicture.h"
#include "windows/PictureLoader.h"
#include "windows/PreviewFormPlace.h"
#include "windows/PreviewSize.h"
#include "windows/ScreenPlacement.h"

namespace pixtrel {
namespace {

constexpr int kDesignLeft = 717;
constexpr int kDesignTop = 207;
// Wide enough for the title to be read, with room for the hint.
const QSize kDesignSize(240, 135);

// Frame margins as a window manager has really drawn them: while a frame is being put around a
// window its frame geometry can lag behind and be smaller than the window itself.
bool Sound(QSize margins) {
  return margins.width() >= 0 && margins.height() >= 0 && !margins.isNull();
}

}  // namespace

TPreviewForm::TPreviewForm(QWidget* owner, int scaleDivisor)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), scaleDivisor_(scaleDivisor) {
  setObjectName(QStringLiteral("PreviewForm"));
  setWindowTitle(QStringLiteral("Preview"));
  setAttribute(Qt::WA_QuitOnClose, false);
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setScaledContents(true);
  Image1->setAlignment(Qt::AlignCenter);
  Image1->setWordWrap(true);
  Image1->setMargin(8);
  hint_ = QStringLiteral("Select a picture in the list to see it here");
  Image1->setText(hint_);
  loader_ = new LatestPicture(this);
  Resize(kDesignSize);
  hiddenSize_ = kDesignSize;
  move(kDesignLeft, kDesignTop);
  // Quitting closes every window before the main one; that close is not the user's.
  QCoreApplication::instance()->installEventFilter(this);
}

namespace {

// The picture at the size the preview keeps: what is shown, never more than the picture itself.
// A large JPEG is decoded straight to about that size, so that it appears at once.
ShownPicture DecodeForPreview(const QString& path, int scaleDivisor) {
  const auto keptOf = [scaleDivisor](QSize full) {
    return ReducedSize(full, scaleDivisor).boundedTo(full).expandedTo(QSize(1, 1));
  };
  const PictureToShow picture = LoadPictureToShow(path, keptOf);
  ShownPicture shown;
  shown.image = picture.image.scaled(keptOf(picture.fullSize), Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation);
  shown.fullSize = picture.fullSize;
  shown.ok = !shown.image.isNull();
  return shown;
}

}  // namespace

QSize TPreviewForm::EmptySize() {
  return kDesignSize;
}

bool TPreviewForm::Holds(const QString& path) const {
  const QFileInfo file(path);
  return !picture_.isNull() && !path.isEmpty() && path == loadedPath_ && file.exists() &&
         file.lastModified() == loadedTime_ && file.size() == loadedBytes_;
}

void TPreviewForm::Take(const QString& path, const ShownPicture& picture) {
  const QFileInfo file(path);
  picture_ = picture.image;
  reduced_ = ReducedSize(picture.fullSize, scaleDivisor_);
  loadedPath_ = path;
  loadedTime_ = file.lastModified();
  loadedBytes_ = file.size();
}

bool TPreviewForm::LoadPicture(const QString& path) {
  // Moving onto a file and clicking it asks for the same picture twice.
  if (Holds(path)) return true;
  try {
    const ShownPicture picture = DecodeForPreview(path, scaleDivisor_);
    if (!picture.ok) return false;
    Take(path, picture);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TPreviewForm::RequestPicture(const QString& path) {
  if (Holds(path)) {
    loader_->cancel();  // an older request must not replace it when it comes
    FitToPicture();
    return;
  }
  const int divisor = scaleDivisor_;
  loader_->request([path, divisor] { return DecodeForPreview(path, divisor); },
                   [this, path](const ShownPicture& picture) {
                     if (!picture.ok) {
                       Clear();
                       return;
                     }
                     Take(path, picture);
                     FitToPicture();
                   });
}

bool TPreviewForm::Loading() const {
  return loader_->busy();
}

void TPreviewForm::SetHint(const QString& hint) {
  hint_ = hint;
  if (picture_.isNull()) Image1->setText(hint_);
}

void TPreviewForm::FitToPicture() {
  FitToPicture(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void TPreviewForm::FitToPicture(QSize limit) {
  if (picture_.isNull()) return;
  const QScreen* where = screen();
  QSize room = (where ? where->availableGeometry().size() / 2 : reduced_).boundedTo(limit);
  const QWidget* owner = parentWidget();
  if (isVisible() && where && owner && owner->isVisible()) {
    // A preview beside the main window that would move back over it as it grows (a small
    // screen) grows only into the room it has towards the screen's edges instead.
    const QSize margins = FrameMargins();
    const QRect before(pos(), size() + margins);
    const QRect area = UsableArea(before);
    const QRect grown(
        KeepGrowthInside(before, QRect(before.topLeft(), FitWithin(reduced_, room) + margins),
                         area),
        FitWithin(reduced_, room) + margins);
    const QRect mainFrame = owner->frameGeometry();
    if (grown.intersects(mainFrame) && !before.intersects(mainFrame)) {
      const QSize towardsEdges(area.right() + 1 - before.left() - margins.width(),
                               area.bottom() + 1 - before.top() - margins.height());
      room = room.boundedTo(towardsEdges.expandedTo(kDesignSize));
    }
  }
  Image1->setPixmap(QPixmap::fromImage(picture_));
  Image1->setMargin(0);
  Resize(FitWithin(reduced_, room));
}

void TPreviewForm::Clear() {
  picture_ = QImage();
  reduced_ = QSize();
  loadedPath_.clear();
  Image1->clear();
  Image1->setMargin(8);
  Image1->setText(hint_);
  Resize(kDesignSize);
}

void TPreviewForm::Resize(QSize size) {
  const QSize margins = FrameMargins();
  const QRect before(pos(), this->size() + margins);
  Image1->setGeometry(QRect(QPoint(0, 0), size));
  setFixedSize(size);
  if (!isVisible()) return;
  // It grows to the right and down from where it stands; what would leave the screen moves back.
  const QRect after(before.topLeft(), size + margins);
  const QPoint place = KeepGrowthInside(before, after, UsableArea(before));
  if (place != before.topLeft()) move(place);
}

QSize TPreviewForm::FrameMargins() const {
  // A window manager may report the decorations only some time after the window appeared;
  // until then the last ones seen, or the owner's, are the best guess.
  const QSize now = frameGeometry().size() - size();
  if (isVisible() && Sound(now)) return now;
  if (margins_ && Sound(*margins_)) return *margins_;
  const QWidget* owner = parentWidget();
  if (owner && owner->isVisible() && Sound(owner->frameGeometry().size() - owner->size())) {
    return owner->frameGeometry().size() - owner->size();
  }
  return Sound(now) ? now : QSize();
}

QSize TPreviewForm::ExpectedFrameSize() const {
  return size() + FrameMargins();
}

QRect TPreviewForm::UsableArea(const QRect& frame) const {
  const QScreen* where = QGuiApplication::screenAt(frame.center());
  if (!where) where = screen();
  return where ? where->availableGeometry() : frame;
}

void TPreviewForm::PlaceAt(int top, int left) {
  PlaceInsideAt(*this, QPoint(left, top));
  placed_ = true;
}

void TPreviewForm::ShowAt(int top, int left) {
  QPoint place(left, top);
  if (size() != hiddenSize_) {
    // It got another picture while closed: as it had grown in view, it keeps clear of the
    // edges. Settled before it shows, so that the window manager gets one place only.
    // The stored place is the inside's corner; the edges are the frame's. Until the window
    // manager has framed it, the side borders count as equal and the rest as the title bar.
    const QSize margins = FrameMargins();
    const int side = margins.width() / 2;
    const QPoint border(side, margins.height() - side);
    const QRect before(place - border, hiddenSize_ + margins);
    QRect after(place - border, size() + margins);
    QPoint moved = KeepGrowthInside(before, after, UsableArea(after));
    // Moving back would put it over the main window beside it: it takes the room it has
    // towards the screen's edges instead, as it would have grown in view.
    const QWidget* owner = parentWidget();
    if (owner && owner->isVisible() && !before.intersects(owner->frameGeometry()) &&
        QRect(moved, after.size()).intersects(owner->frameGeometry())) {
      const QRect area = UsableArea(before);
      FitToPicture(QSize(area.right() + 1 - before.left() - margins.width(),
                         area.bottom() + 1 - before.top() - margins.height())
                       .expandedTo(kDesignSize));
      after = QRect(place - border, size() + margins);
      moved = KeepGrowthInside(before, after, UsableArea(after));
    }
    place = moved + border;
  }
  PlaceAt(place.y(), place.x());
  show();
  PlaceAt(place.y(), place.x());
}

void TPreviewForm::showEvent(QShowEvent* event) {
  programEnding_ = false;
  QWidget::showEvent(event);
  if (Sound(frameGeometry().size() - size())) margins_ = frameGeometry().size() - size();
}

void TPreviewForm::hideEvent(QHideEvent* event) {
  hiddenSize_ = size();
  // Known for sure by now, also under a window manager.
  if (Sound(frameGeometry().size() - size())) margins_ = frameGeometry().size() - size();
  QWidget::hideEvent(event);
}

void TPreviewForm::closeEvent(QCloseEvent* event) {
  event->accept();
  if (!programEnding_) emit closedByUser();
}

bool TPreviewForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
    programEnding_ = true;
  }
  return false;
}

}  // namespace pixtrel
