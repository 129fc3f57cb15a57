// pixtrel: the main window.
#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <exception>

#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/PageControl.h"
#include "app/Pictures.h"

namespace {

// The last line of defence: an error that escapes a handler is shown, not fatal.
class PixtrelApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      pixtrel::ShowErrorBox(activeWindow(), QString::fromLocal8Bit(error.what()));
    }
    return false;
  }
};

// For scripts/screenshot: "--screenshot FILE --tab N" shows tab N as if the user picked it,
// saves a picture of the window and ends.
struct Screenshot {
  QString file;
  int tab = -1;
};

Screenshot ScreenshotRequest(const QStringList& arguments) {
  Screenshot request;
  for (int i = 1; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == QStringLiteral("--screenshot")) request.file = arguments[i + 1];
    if (arguments[i] == QStringLiteral("--tab")) request.tab = arguments[i + 1].toInt();
  }
  return request;
}

}  // namespace

int main(int argc, char** argv) {
  PixtrelApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Pixtrel"));
  QApplication::setOrganizationName(QStringLiteral("Korvane"));
  QGuiApplication::setDesktopFileName(QStringLiteral("pixtrel"));
  QApplication::setWindowIcon(pixtrel::ProgramIcon());

  pixtrel::TForm1 form;
  form.show();

  const Screenshot screenshot = ScreenshotRequest(QApplication::arguments());
  if (!screenshot.file.isEmpty()) {
    // After the start-up timer has run, so the window is in its settled state.
    QTimer::singleShot(900, &form, [&form, screenshot] {
      if (screenshot.tab >= 0 && screenshot.tab < form.PageControl1->count() &&
          screenshot.tab != form.PageControl1->currentIndex()) {
        form.PageControl1->setCurrentIndex(screenshot.tab);
        form.PageControl1Change();
      }
      QApplication::processEvents();
      const bool saved = form.grab().save(screenshot.file, "PNG");
      form.close();
      QCoreApplication::exit(saved ? 0 : 1);
    });
  }
  return application.exec();
}
