#include "windows/ClickFilter.h"

#include <QMouseEvent>
#include <QWidget>

namespace pixtrel {

ClickFilter::ClickFilter(QWidget* widget, std::function<void()> clicked)
    : QObject(widget), widget_(widget), clicked_(std::move(clicked)) {
  widget->installEventFilter(this);
}

bool ClickFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_) return false;
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
      type != QEvent::MouseButtonDblClick) {
    return false;
  }
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() != Qt::LeftButton) return false;
  if (type == QEvent::MouseButtonPress) {
    down_ = true;
    repeated_ = false;
    if (pressed) pressed();
    return true;
  }
  // The second press of a double click comes as a press and then this: that press gives no
  // second click.
  if (type == QEvent::MouseButtonDblClick) {
    repeated_ = true;
    return true;
  }
  if (!down_) return false;
  down_ = false;
  if (released) released();
  // The call may hide the widget or open another window; the widget stays alive.
  if (clicked_ && !repeated_ && widget_->rect().contains(mouse->position().toPoint())) clicked_();
  return true;
}

ClickFilter* OnClick(QWidget* widget, std::function<void()> clicked) {
  widget->setCursor(Qt::PointingHandCursor);
  return new ClickFilter(widget, std::move(clicked));
}

}  // namespace pixtrel
