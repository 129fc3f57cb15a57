#include "app/PixtrelApplication.h"

#include <exception>

#include "app/MessageBoxes.h"
#include "app/Pictures.h"

namespace pixtrel {

PixtrelApplication::PixtrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Pixtrel"));
  setOrganizationName(QStringLiteral("Korvane"));
  setDesktopFileName(QStringLiteral("pixtrel"));
  setWindowIcon(ProgramIcon());
}

bool PixtrelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowErrorBox(activeWindow(), QString::fromLocal8Bit(error.what()));
  }
  return false;
}

}  // namespace pixtrel
