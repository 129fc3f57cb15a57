#include "app/TestCommandPress.h"

#include <QCoreApplication>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

namespace pixtrel {

void PressCommandForTests(QWidget& window) {
  const char* name = std::getenv("PIXTREL_TEST_PRESS_COMMAND");
  if (!name) return;
  for (QPushButton* button : window.findChildren<QPushButton*>()) {
    if (button->property("command").toString() == QLatin1String(name)) {
      button->click();
      return;
    }
  }
  std::fprintf(stderr, "pixtrel: no command button \"%s\"\n", name);
  QCoreApplication::exit(2);
}

}  // namespace pixtrel
