#include "windows/Slikca.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <exception>

#include "windows/ClickFilter.h"
#include "windows/PictureLoader.h"
#include "windows/ScreenPlacement.h"

namespace pixtrel {
namespace {

const QSize kDesignSize(182, 143);
constexpr int kExtraWidth = 9;
constexpr int kExtraHeight = 28;

int OuterSide(int picture, int screen, int extra) {
  return screen > picture ? picture + extra : screen - extra;
}

QPoint Centred(QSize outer, const QRect& screen) {
  return QPoint(screen.x() + (screen.width() - outer.width()) / 2,
                screen.y() + (screen.height() - outer.height()) / 2);
}

}  // namespace

QSize ViewerOuterSize(QSize picture, QSize screen) {
  return QSize(OuterSide(picture.width(), screen.width(), kExtraWidth),
               OuterSide(picture.height(), screen.height(), kExtraHeight));
}

QString ViewerTitle(const QString& caption, QSize picture, const QString& name) {
  const QString title =
      QStringLiteral("%1 - %2x%3").arg(caption).arg(picture.width()).arg(picture.height());
  return name.isEmpty() ? title : name + QStringLiteral(" - ") + title;
}

TSlikca::TSlikca(QWidget* owner) : QScrollArea(owner) {
  setWindowFlags(Qt::Window);
  setObjectName(QStringLiteral("Slikca"));
  setAttribute(Qt::WA_QuitOnClose, false);
  caption_ = QStringLiteral("View image");
  setWindowTitle(caption_);
  setFrameShape(QFrame::NoFrame);
  setAlignment(Qt::AlignCenter);
  setWidgetResizable(false);
  Image1 = new QLabel;
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setAlignment(Qt::AlignCenter);
  setWidget(Image1);
  OnClick(Image1, [this] { hide(); });
  Image1->unsetCursor();  // a plain picture, though a click closes it
  resize(kDesignSize);
  move(Centred(kDesignSize, Screen()->geometry()));
}

QScreen* TSlikca::Screen() const {
  if (parentWidget() && parentWidget()->screen()) return parentWidget()->screen();
  return screen() ? screen() : QGuiApplication::primaryScreen();
}

bool TSlikca::ShowPicture(const QString& path, const QString& caption) {
  QPixmap pixmap;
  try {
    // Shown at full size: decoded for display, with the faster transform.
    pixmap = QPixmap::fromImage(LoadPictureToShow(path, [](QSize full) { return full; }).image);
  } catch (const std::exception&) {
    return false;
  }
  if (pixmap.isNull()) return false;

  Image1->setPixmap(pixmap);
  Image1->resize(pixmap.size());
  pictureSize_ = pixmap.size();
  caption_ = caption;
  name_ = QFileInfo(QDir::fromNativeSeparators(path)).fileName();
  setWindowTitle(ViewerTitle(caption_, pictureSize_, name_));

  const bool appearing = !isVisible();
  // An open viewer the user moved to another screen stays on that one.
  const QScreen* where = appearing || !screen() ? Screen() : screen();
  const QRect screenArea = where->geometry();
  const QSize outer = ViewerOuterSize(pictureSize_, screenArea.size());
  // The frame is known once the window shows; until then the whole size goes to the inside.
  auto resizeFrame = [&] { resize(outer - (frameGeometry().size() - size())); };
  resizeFrame();
  if (appearing) show();
  resizeFrame();
  // A viewer that appears is centred; one already open stays put, as far as the screen allows.
  move(appearing ? Centred(outer, screenArea) : PlaceInside(QRect(pos(), outer), screenArea));
  return true;
}

void TSlikca::Retitle(const QString& caption) {
  caption_ = caption;
  setWindowTitle(pictureSize_.isEmpty() ? caption_ : ViewerTitle(caption_, pictureSize_, name_));
}

void TSlikca::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && (event->modifiers() & ~Qt::KeypadModifier) == 0) {
    hide();
    event->accept();
    return;
  }
  QScrollArea::keyPressEvent(event);
}

}  // namespace pixtrel
