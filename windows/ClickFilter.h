#pragma once
// Mouse clicks on widgets that have no click signal of their own: pictures, labels, the status
// bar.
#include <QObject>
#include <functional>

class QWidget;

namespace pixtrel {

// Watches one widget, and lives as long as it does. A left button pressed on the widget runs
// `pressed`; its release runs `released`, and then `clicked` when the pointer is still on the
// widget. A double click clicks once. Any of them may be empty.
class ClickFilter : public QObject {
  Q_OBJECT
 public:
  ClickFilter(QWidget* widget, std::function<void()> clicked);
  std::function<void()> pressed;
  std::function<void()> released;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* widget_;
  std::function<void()> clicked_;
  bool down_ = false;
  bool repeated_ = false;  // the press was a double click's second
};

// Makes clicks on the widget run `clicked`; the widget shows the hand cursor.
ClickFilter* OnClick(QWidget* widget, std::function<void()> clicked);

}  // namespace pixtrel
