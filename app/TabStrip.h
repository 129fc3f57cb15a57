#pragma once
// A tab strip that wraps its tabs onto as many rows as the width needs, so that many tabs stay
// visible at once. Tabs highlight under the mouse. A tab keeps the index it was added with, but
// may be shown elsewhere in the row order, so tabs added later can stand beside their kin.
#include <QStringList>
#include <QVector>
#include <QWidget>

namespace pixtrel {

class TabStrip : public QWidget {
  Q_OBJECT
 public:
  explicit TabStrip(QWidget* parent = nullptr);

  // Adds a tab with the next index, shown at position in the strip's order (at the end when
  // position is negative or past the end).
  int addTab(const QString& text, int position = -1);
  int count() const { return static_cast<int>(texts_.size()); }
  QString tabText(int index) const { return texts_.value(index); }
  void setTabText(int index, const QString& text);

  int currentIndex() const { return current_; }
  // Changes the current tab without counting as the user's choice.
  void setCurrentIndex(int index);

  // The tab shown step places after (before, for a negative step) the current one, wrapping
  // round at the ends; -1 without tabs.
  int stepFrom(int step) const;

  // Where the tab is drawn, in this widget's coordinates.
  QRect tabRect(int index) const;
  int rowCount() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 signals:
  // Any change of the current tab.
  void currentChanged(int index);
  // A change the user made, by mouse or keyboard.
  void tabChosen(int index);
  // The user clicked a tab (also the current one).
  void tabClicked(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QSize tabSizeHint(int index) const;
  int tabHeight() const;
  // Tab rectangles for a given width, rows packed left to right and stretched to the width.
  QVector<QRect> layoutFor(int width) const;
  void relayout();
  int tabAt(const QPoint& point) const;
  void choose(int index);
  // The tab shown step places after (or before, for a negative step) the current one, or -1.
  int neighbour(int step) const;

  QStringList texts_;
  QVector<int> order_;  // tab indexes in the order the strip shows them
  QVector<QRect> rects_;
  int current_ = -1;
  int hover_ = -1;
};

}  // namespace pixtrel
