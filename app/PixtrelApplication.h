#pragma once
// The application object of the window programs: named as the settings store and the desktop
// know it, and the last line of defence for errors.
#include <QApplication>

namespace pixtrel {

class PixtrelApplication : public QApplication {
 public:
  // Names the application ("Pixtrel" of "Korvane", desktop file "pixtrel") and sets its icon.
  PixtrelApplication(int& argc, char** argv);
  // An error that escapes a handler is shown in the error box, not fatal.
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace pixtrel
