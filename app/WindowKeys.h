#pragma once
// The main window's keyboard: Enter presses the focused button; Alt pressed and released alone,
// or F10, opens the menu bar; Alt and a menu's letter opens that menu, and the letter is not
// typed into the field that has the focus.
#include <QObject>

class QMainWindow;
class QMenu;

namespace pixtrel {

class WindowKeys : public QObject {
  Q_OBJECT
 public:
  // Watches the keys that reach the window's own widgets (not its menus or other windows).
  explicit WindowKeys(QMainWindow* window);

  // The letter Alt opens each menu of the bar with: the first letter of its title that no menu
  // before it took. Menus without a free letter get none (a null QChar).
  QChar MenuLetter(const QMenu* menu) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OpenMenu(QMenu* menu);
  bool OpenFirstMenu();
  QMenu* MenuForLetter(QChar letter) const;

  QMainWindow* window_;
  bool altAlone_ = false;  // Alt went down and nothing else happened since
};

}  // namespace pixtrel
