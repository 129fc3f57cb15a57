#include "windows/Slikca.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <exception>

#include "windows/LatestPicture.h"
#include "windows/PictureCanvas.h"
#include "windows/PictureLoader.h"
#include "windows/ScreenPlacement.h"

namespace pixtrel {
namespace {

const QSize kDesignSize(182, 143);
constexpr int kExtraWidth = 9;
constexpr int kExtraHeight = 28;
constexpr double kMinZoom = 1.0 / 64;
constexpr double kMaxZoom = 32.0;
constexpr int kDragDistance = 4;

int OuterSide(int picture, int screen, int extra) {
  return screen > picture ? picture + extra : screen - extra;
}

QPoint Centred(QSize outer, const QRect& screen) {
  return QPoint(screen.x() + (screen.width() - outer.width()) / 2,
                screen.y() + (screen.height() - outer.height()) / 2);
}

QSize Scaled(QSize size, double zoom) {
  return QSize(std::max(1, static_cast<int>(std::lround(size.width() * zoom))),
               std::max(1, static_cast<int>(std::lround(size.height() * zoom))));
}

// The inside a picture is fitted to when the viewer opens on a screen of this size: the screen
// less the margins on both sides, so the window keeps clear of its edges.
QSize OpeningInside(QSize screen) {
  return QSize(screen.width() - 2 * kExtraWidth, screen.height() - 2 * kExtraHeight);
}

// The picture at full size, transparency kept, with a smoothly reduced copy for the first view.
ShownPicture DecodeForViewer(const QString& path, QSize inside) {
  const PictureToShow decoded = LoadPictureToShow(
      path, [](QSize full) { return full; }, true);
  ShownPicture shown;
  shown.image = decoded.image;
  shown.fullSize = decoded.image.size();
  const double zoom = FitZoom(shown.fullSize, inside);
  if (zoom < 1.0) {
    shown.fitted = shown.image.scaled(Scaled(shown.fullSize, zoom), Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation);
  }
  shown.ok = !shown.image.isNull();
  return shown;
}

}  // namespace

QSize ViewerOuterSize(QSize picture, QSize screen) {
  return QSize(OuterSide(picture.width(), screen.width(), kExtraWidth),
               OuterSide(picture.height(), screen.height(), kExtraHeight));
}

double FitZoom(QSize picture, QSize inside) {
  if (picture.isEmpty() || inside.isEmpty()) return 1.0;
  return std::min({1.0, static_cast<double>(inside.width()) / picture.width(),
                   static_cast<double>(inside.height()) / picture.height()});
}

QString ViewerTitle(const QString& caption, QSize picture, const QString& name, double zoom) {
  QString title =
      QStringLiteral("%1 - %2x%3").arg(caption).arg(picture.width()).arg(picture.height());
  if (std::lround(zoom * 100) != 100)
    title += QStringLiteral(" (%1 %)").arg(std::max(1L, std::lround(zoom * 100)));
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
  Image1 = new PictureCanvas;
  Image1->setObjectName(QStringLiteral("Image1"));
  setWidget(Image1);
  Image1->installEventFilter(this);
  viewport()->installEventFilter(this);
  loader_ = new LatestPicture(this);
  resize(kDesignSize);
  move(Centred(kDesignSize, Screen()->geometry()));
}

TSlikca::~TSlikca() = default;

QScreen* TSlikca::Screen() const {
  if (parentWidget() && parentWidget()->screen()) return parentWidget()->screen();
  return screen() ? screen() : QGuiApplication::primaryScreen();
}

void TSlikca::RequestPicture(const QString& path, const QString& caption) {
  if (path.isEmpty()) return;
  const QSize inside = OpeningInside(Screen()->geometry().size());
  loader_->request([path, inside] { return DecodeForViewer(path, inside); },
                   [this, path, caption](const ShownPicture& picture) {
                     if (picture.ok) Show(path, picture, caption);
                   });
}

bool TSlikca::Loading() const {
  return loader_->busy();
}

bool TSlikca::ShowPicture(const QString& path, const QString& caption) {
  ShownPicture picture;
  try {
    picture = DecodeForViewer(path, OpeningInside(Screen()->geometry().size()));
  } catch (const std::exception&) {
    return false;
  }
  if (!picture.ok) return false;
  loader_->cancel();  // an older request must not replace it
  Show(path, picture, caption);
  return true;
}

void TSlikca::Show(const QString& path, const ShownPicture& picture, const QString& caption) {
  pictureSize_ = picture.image.size();
  caption_ = caption;
  name_ = QFileInfo(QDir::fromNativeSeparators(path)).fileName();
  fit_ = true;
  Image1->setPicture(picture.image, picture.fitted);

  const bool appearing = !isVisible();
  // An open viewer the user moved to another screen stays on that one.
  const QScreen* where = appearing || !screen() ? Screen() : screen();
  const QRect screenArea = where->geometry();
  const QSize shown = Scaled(pictureSize_, FitZoom(pictureSize_, OpeningInside(screenArea.size())));
  const QSize outer = ViewerOuterSize(shown, screenArea.size());
  // The frame is known once the window shows; until then the whole size goes to the inside.
  auto resizeFrame = [&] { resize(outer - (frameGeometry().size() - size())); };
  resizeFrame();
  if (appearing) show();
  resizeFrame();
  // A viewer that appears is centred; one already open stays put, as far as the screen allows.
  move(appearing ? Centred(outer, screenArea) : PlaceInside(QRect(pos(), outer), screenArea));
  ShowFitted();
}

double TSlikca::zoom() const {
  return Image1->zoom();
}

void TSlikca::SetZoom(double zoom, QPoint anchor) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  if (anchor.x() < 0) anchor = QPoint(viewport()->width() / 2, viewport()->height() / 2);
  // The spot of the picture under the anchor stays there.
  const double old = Image1->zoom();
  const QPointF spot = QPointF(anchor - Image1->pos()) / old;
  Image1->setZoom(zoom);
  horizontalScrollBar()->setValue(static_cast<int>(std::lround(spot.x() * zoom - anchor.x())));
  verticalScrollBar()->setValue(static_cast<int>(std::lround(spot.y() * zoom - anchor.y())));
  UpdateTitle();
}

void TSlikca::ShowActualSize(QPoint anchor) {
  fit_ = false;
  SetZoom(1.0, anchor);
}

void TSlikca::ShowFitted() {
  fit_ = true;
  // Without scroll bars, as the fitted picture needs none.
  SetZoom(FitZoom(pictureSize_, maximumViewportSize()), QPoint(-1, -1));
}

void TSlikca::ZoomBy(double factor, QPoint anchor) {
  fit_ = false;
  SetZoom(Image1->zoom() * factor, anchor);
}

void TSlikca::UpdateTitle() {
  setWindowTitle(pictureSize_.isEmpty() ? caption_
                                        : ViewerTitle(caption_, pictureSize_, name_, zoom()));
}

void TSlikca::Retitle(const QString& caption) {
  caption_ = caption;
  UpdateTitle();
}

void TSlikca::resizeEvent(QResizeEvent* event) {
  QScrollArea::resizeEvent(event);
  if (fit_ && !pictureSize_.isEmpty()) ShowFitted();
}

bool TSlikca::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Image1 && watched != viewport()) return QScrollArea::eventFilter(watched, event);
  auto inViewport = [&](QPointF at) {
    const QPoint point = at.toPoint();
    return watched == Image1 ? Image1->mapTo(viewport(), point) : point;
  };
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) break;
      pressAt_ = inViewport(mouse->position());
      scrollAtPress_ = QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
      dragged_ = false;
      return true;
    }
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (!(mouse->buttons() & Qt::LeftButton)) break;
      const QPoint moved = inViewport(mouse->position()) - pressAt_;
      if (!dragged_ && moved.manhattanLength() < kDragDistance) return true;
      dragged_ = true;
      viewport()->setCursor(Qt::ClosedHandCursor);
      horizontalScrollBar()->setValue(scrollAtPress_.x() - moved.x());
      verticalScrollBar()->setValue(scrollAtPress_.y() - moved.y());
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) break;
      viewport()->unsetCursor();
      if (dragged_) return true;
      // A click: between fitted and 100 %, at the spot clicked; a picture that is whole at
      // 100 % has nothing to switch, and the click closes the viewer.
      if (FitZoom(pictureSize_, maximumViewportSize()) >= 1.0 && zoom() == 1.0) {
        hide();
      } else if (fit_) {
        ShowActualSize(inViewport(mouse->position()));
      } else {
        ShowFitted();
      }
      return true;
    }
    case QEvent::Wheel: {
      auto* wheel = static_cast<QWheelEvent*>(event);
      const int delta = wheel->angleDelta().y();
      if (delta == 0) break;
      ZoomBy(std::pow(1.25, delta / 120.0), inViewport(wheel->position()));
      return true;
    }
    default:
      break;
  }
  return QScrollArea::eventFilter(watched, event);
}

void TSlikca::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const bool plain = (modifiers & ~Qt::ShiftModifier) == 0;
  if (event->key() == Qt::Key_Escape && modifiers == 0) {
    hide();
  } else if (event->key() == Qt::Key_1 && plain) {
    ShowActualSize();
  } else if ((event->key() == Qt::Key_F || event->key() == Qt::Key_0) && plain) {
    ShowFitted();
  } else if ((event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal) && plain) {
    ZoomBy(1.25);
  } else if (event->key() == Qt::Key_Minus && plain) {
    ZoomBy(0.8);
  } else {
    QScrollArea::keyPressEvent(event);
    return;
  }
  event->accept();
}

}  // namespace pixtrel
