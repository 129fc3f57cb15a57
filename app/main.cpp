// pixtrel: the main window. "pixtrel [--tab resize|rotate] [FOLDER | FILE...]" opens at the
// folder, or at the files' folder with those files selected (OpenRequest.h).
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/InterruptCleanup.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/OpenRequest.h"
#include "app/PixtrelApplication.h"
#include "app/TestCommandPress.h"
#include "io/WriteObserver.h"

int main(int argc, char** argv) {
  // Asked on a terminal, answered there, before any window (or display) is needed.
  QStringList arguments;
  for (int i = 0; i < argc; ++i)
    arguments.append(QString::fromLocal8Bit(argv[i]));
  if (const auto request = pixtrel::TerminalRequestOf(arguments);
      request != pixtrel::TerminalRequest::None) {
    const QString text =
        request == pixtrel::TerminalRequest::Help ? pixtrel::UsageText() : pixtrel::VersionText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
  }
  pixtrel::PixtrelApplication application(argc, argv);
  pixtrel::InstallInterruptCleanup();
  // Test runs interrupt a batch at a known point of its writes.
  if (const char* hook = std::getenv("PIXTREL_TEST_SIGNAL_AFTER_BYTES"))
    pixtrel::SignalAfterBytes(hook);

  pixtrel::TForm1 form;
  form.show();

  // Once the event loop runs, so the window is up when a message has to be shown.
  const pixtrel::OpenArguments opening = pixtrel::ParseOpenArguments(QApplication::arguments());
  QTimer::singleShot(0, &form, [&form, opening] {
    if (!opening.problems.isEmpty()) pixtrel::ShowErrorBox(&form, opening.problems.join(u'\n'));
    form.OpenPaths(opening.paths, opening.job);
    pixtrel::PressCommandForTests(form);
  });
  return application.exec();
}
