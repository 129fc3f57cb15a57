#include "app/TabStrip.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QTabBar>
#include <algorithm>

namespace pixtrel {

TabStrip::TabStrip(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::TabFocus);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

int TabStrip::addTab(const QString& text, int position) {
  texts_.append(text);
  if (position < 0 || position > order_.size()) position = static_cast<int>(order_.size());
  order_.insert(position, count() - 1);
  if (current_ < 0) current_ = 0;
  relayout();
  return count() - 1;
}

void TabStrip::setTabText(int index, const QString& text) {
  if (index < 0 || index >= count()) return;
  texts_[index] = text;
  relayout();
}

void TabStrip::setCurrentIndex(int index) {
  if (index < 0 || index >= count() || index == current_) return;
  current_ = index;
  relayout();
  emit currentChanged(index);
}

QRect TabStrip::tabRect(int index) const {
  return rects_.value(index);
}

int TabStrip::rowCount() const {
  // The lowest tab, which need not be the last one: tabs of later formats are shown before
  // tabs that come earlier in the index order.
  int bottom = -1;
  for (const QRect& rect : layoutFor(width()))
    bottom = std::max(bottom, rect.bottom());
  return bottom < 0 ? 0 : bottom / tabHeight() + 1;
}

QSize TabStrip::tabSizeHint(int index) const {
  QStyleOptionTab option;
  option.initFrom(this);
  option.shape = QTabBar::RoundedNorth;
  option.text = texts_[index];
  const QFontMetrics metrics(font());
  const QSize content(metrics.horizontalAdvance(texts_[index]), metrics.height());
  QSize size = style()->sizeFromContents(QStyle::CT_TabBarTab, &option, content, this);
  const int padding = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &option, this);
  size.rwidth() = std::max(size.width(), content.width() + padding);
  size.rheight() = std::max(size.height(), metrics.height() + 8);
  return size;
}

int TabStrip::tabHeight() const {
  int height = 0;
  for (int i = 0; i < count(); ++i)
    height = std::max(height, tabSizeHint(i).height());
  return height;
}

QVector<QRect> TabStrip::layoutFor(int width) const {
  QVector<QRect> rects(count());
  if (count() == 0) return rects;
  const int height = tabHeight();
  // Pack tabs into rows greedily; every row holds at least one tab.
  QVector<QVector<int>> rows(1);
  int used = 0;
  for (int i : order_) {
    const int w = tabSizeHint(i).width();
    if (!rows.back().isEmpty() && used + w > width) {
      rows.append(QVector<int>());
      used = 0;
    }
    rows.back().append(i);
    used += w;
  }
  // The rows stay in their order whichever tab is chosen: a tab never moves away from under
  // the mouse that chose it.
  // Stretch each row over the whole width, sharing the rest among its tabs.
  for (int r = 0; r < rows.size(); ++r) {
    int natural = 0;
    for (int i : rows[r])
      natural += tabSizeHint(i).width();
    const int extra = std::max(0, width - natural);
    int x = 0;
    for (int k = 0; k < rows[r].size(); ++k) {
      const int i = rows[r][k];
      const int share = extra * (k + 1) / rows[r].size() - extra * k / rows[r].size();
      const int w = tabSizeHint(i).width() + share;
      rects[i] = QRect(x, r * height, w, height);
      x += w;
    }
  }
  return rects;
}

QSize TabStrip::sizeHint() const {
  int total = 0;
  for (int i = 0; i < count(); ++i)
    total += tabSizeHint(i).width();
  const int width = std::min(total, 480);
  return QSize(width, heightForWidth(width));
}

QSize TabStrip::minimumSizeHint() const {
  int widest = 0;
  for (int i = 0; i < count(); ++i)
    widest = std::max(widest, tabSizeHint(i).width());
  return QSize(widest, tabHeight());
}

int TabStrip::heightForWidth(int width) const {
  const QVector<QRect> rects = layoutFor(width);
  int bottom = 0;
  for (const QRect& rect : rects)
    bottom = std::max(bottom, rect.bottom() + 1);
  return bottom;
}

void TabStrip::relayout() {
  rects_ = layoutFor(width());
  // Right to left, the first tab sits at the right edge and rows fill towards the left.
  if (layoutDirection() == Qt::RightToLeft) {
    for (QRect& rect : rects_)
      rect.moveLeft(width() - rect.left() - rect.width());
  }
  updateGeometry();
  update();
}

void TabStrip::resizeEvent(QResizeEvent*) {
  relayout();
}

void TabStrip::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
      event->type() == QEvent::LayoutDirectionChange) {
    relayout();
  }
  QWidget::changeEvent(event);
}

void TabStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  for (int i = 0; i < count(); ++i) {
    QStyleOptionTab option;
    option.initFrom(this);
    option.shape = QTabBar::RoundedNorth;
    option.text = texts_[i];
    option.rect = rects_.value(i);
    option.position = QStyleOptionTab::Middle;
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    if (i == current_) {
      option.state |= QStyle::State_Selected;
      if (hasFocus()) option.state |= QStyle::State_HasFocus;
    }
    if (i == hover_ && isEnabled()) option.state |= QStyle::State_MouseOver;
    style()->drawControl(QStyle::CE_TabBarTab, &option, &painter, this);
  }
}

int TabStrip::tabAt(const QPoint& point) const {
  for (int i = 0; i < rects_.size(); ++i) {
    if (rects_[i].contains(point)) return i;
  }
  return -1;
}

void TabStrip::choose(int index) {
  if (index < 0 || index >= count() || index == current_) return;
  setCurrentIndex(index);
  emit tabChosen(index);
}

void TabStrip::mouseMoveEvent(QMouseEvent* event) {
  const int at = tabAt(event->position().toPoint());
  if (at != hover_) {
    hover_ = at;
    update();
  }
}

void TabStrip::leaveEvent(QEvent*) {
  hover_ = -1;
  update();
}

void TabStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int at = tabAt(event->position().toPoint());
  if (at < 0) return;
  choose(at);
  emit tabClicked(at);
}

int TabStrip::stepFrom(int step) const {
  const int n = static_cast<int>(order_.size());
  if (n == 0) return -1;
  const int at = static_cast<int>(order_.indexOf(current_));
  return order_[((at + step) % n + n) % n];
}

int TabStrip::neighbour(int step) const {
  const int at = static_cast<int>(order_.indexOf(current_)) + step;
  return at >= 0 && at < order_.size() ? order_[at] : -1;
}

void TabStrip::keyPressEvent(QKeyEvent* event) {
  const int forward = layoutDirection() == Qt::RightToLeft ? -1 : 1;
  switch (event->key()) {
    case Qt::Key_Left:
      choose(neighbour(-forward));
      break;
    case Qt::Key_Right:
      choose(neighbour(forward));
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace pixtrel
