// pixtrel: the main window.
#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <exception>

#include "app/FileListBox.h"
#include "app/InterruptCleanup.h"
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
// saves a picture of the window and ends. "--select NAME" clicks that file in the list (the
// preview shows it), "--view NAME" double-clicks it (the viewer shows it), and "--screen" saves
// the whole screen, with the preview and the viewer, instead of the main window alone.
struct Screenshot {
  QString file;
  int tab = -1;
  QString select;
  QString view;
  bool screen = false;
};

Screenshot ScreenshotRequest(const QStringList& arguments) {
  Screenshot request;
  for (int i = 1; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == QStringLiteral("--screenshot")) request.file = arguments[i + 1];
    if (arguments[i] == QStringLiteral("--tab")) request.tab = arguments[i + 1].toInt();
    if (arguments[i] == QStringLiteral("--select")) request.select = arguments[i + 1];
    if (arguments[i] == QStringLiteral("--view")) request.view = arguments[i + 1];
  }
  request.screen = arguments.contains(QStringLiteral("--screen"));
  return request;
}

}  // namespace

int main(int argc, char** argv) {
  PixtrelApplication application(argc, argv);
  pixtrel::InstallInterruptCleanup();
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
      // A click on the entry, then a double click, as the user gives them.
      for (const QString& name : {screenshot.select, screenshot.view}) {
        const QList<QListWidgetItem*> found = form.FileListBox10->findItems(name, Qt::MatchExactly);
        if (name.isEmpty() || found.isEmpty()) continue;
        form.FileListBox10->setCurrentItem(found.front(), QItemSelectionModel::ClearAndSelect);
        form.FileListBox10Click();
        if (name == screenshot.view) form.FileListBox10DblClick();
      }
      // Time for the other windows to appear on the screen.
      QTimer::singleShot(400, &form, [&form, screenshot] {
        QApplication::processEvents();
        const QPixmap picture =
            screenshot.screen ? QGuiApplication::primaryScreen()->grabWindow(0) : form.grab();
        const bool saved = picture.save(screenshot.file, "PNG");
        form.close();
        QCoreApplication::exit(saved ? 0 : 1);
      });
    });
  }
  return application.exec();
}
