#include "windows/PreviewForm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <exception>

#include "windows/PictureLoader.h"
#include "windows/PreviewSize.h"
#include "windows/ScreenPlacement.h"

namespace pixtrel {
namespace {

constexpr int kDesignLeft = 717;
constexpr int kDesignTop = 207;
const QSize kDesignSize(137, 85);

}  // namespace

TPreviewForm::TPreviewForm(QWidget* owner, int scaleDivisor)
    : QWidget(owner, Qt::Tool | Qt::WindowStaysOnTopHint), scaleDivisor_(scaleDivisor) {
  setObjectName(QStringLiteral("PreviewForm"));
  setWindowTitle(QStringLiteral("Preview"));
  setAttribute(Qt::WA_QuitOnClose, false);
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setScaledContents(true);
  Resize(kDesignSize);
  move(kDesignLeft, kDesignTop);
  // Quitting closes every window before the main one; that close is not the user's.
  QCoreApplication::instance()->installEventFilter(this);
}

bool TPreviewForm::LoadPicture(const QString& path) {
  try {
    const QImage picture = LoadPictureFile(path);
    const QSize reduced = ReducedSize(picture.size(), scaleDivisor_);
    // Keep what is shown, never more than the picture itself.
    const QSize kept = reduced.boundedTo(picture.size()).expandedTo(QSize(1, 1));
    QImage smaller = picture.scaled(kept, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (smaller.isNull()) return false;
    picture_ = std::move(smaller);
    reduced_ = reduced;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TPreviewForm::FitToPicture() {
  if (picture_.isNull()) return;
  const QScreen* where = screen();
  const QSize half = where ? where->availableGeometry().size() / 2 : reduced_;
  Image1->setPixmap(QPixmap::fromImage(picture_));
  Resize(FitWithin(reduced_, half));
}

void TPreviewForm::Resize(QSize size) {
  Image1->setGeometry(QRect(QPoint(0, 0), size));
  setFixedSize(size);
}

void TPreviewForm::PlaceAt(int top, int left) {
  PlaceInsideAt(*this, QPoint(left, top));
  placed_ = true;
}

void TPreviewForm::ShowAt(int top, int left) {
  PlaceAt(top, left);
  show();
  PlaceAt(top, left);
}

void TPreviewForm::showEvent(QShowEvent* event) {
  programEnding_ = false;
  QWidget::showEvent(event);
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
