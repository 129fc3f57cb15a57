// pixtrel-window-bench list FOLDER | resize FOLDER PIXELS | clicks FOLDER [window-thread]: in
// the real main window (any Qt platform, offscreen is fine), the time to list FOLDER in the file
// list, or to select every listed JPEG with Ctrl+A's selectAll and run the JPEG tab's resize
// (Better) over them until the batch has ended. Prints seconds and the number of files on one
// line; for resize also the longest the window's event loop went without turning during the
// batch (ms), which is how long a click on Stop, Esc or a repaint could have waited.
// clicks: with the preview open, a click on every picture the "Convert to" tab lists, one every
// 150 ms as a quick user's, until the last one is shown; prints seconds, the number of files
// and the longest event-loop gap (ms). With "window-thread" the preview decodes on the window's
// thread, as it did before, for comparison. Run it with a throw-away XDG_CONFIG_HOME.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/FileListBox.h"
#include "app/MainForm.h"
#include "app/PageControl.h"
#include "windows/PreviewForm.h"

namespace {

void WaitFor(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: pixtrel-window-bench list|resize FOLDER [PIXELS]\n");
    return 2;
  }
  const QString mode = QString::fromLocal8Bit(argv[1]);
  const QString folder = QString::fromLocal8Bit(argv[2]);
  pixtrel::TForm1 window;
  window.show();
  QApplication::processEvents();
  window.PageControl1->setCurrentIndex(pixtrel::TForm1::TabJpg);
  window.PageControl1Change();
  QApplication::processEvents();
  QElapsedTimer clock;
  if (mode == QStringLiteral("list")) {
    clock.start();
    if (!window.SetFolder(folder)) return 1;
    QApplication::processEvents();
    std::printf("%.3f %d\n", clock.nsecsElapsed() / 1e9, window.FileListBox10->count());
    return 0;
  }
  if (mode == QStringLiteral("clicks")) {
    const bool onWindowThread = argc > 3 && QString::fromLocal8Bit(argv[3]) == "window-thread";
    window.ShowTab(pixtrel::TForm1::TabConvertTo);
    if (!window.SetFolder(folder)) return 1;
    if (!window.PreviewForm->isVisible()) window.M12->trigger();
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticks;
    ticks.setInterval(5);
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    const int count = window.FileListBox10->count();
    clock.start();
    sinceTick.start();
    ticks.start();
    for (int i = 0; i < count; ++i) {
      window.FileListBox10->setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
      if (onWindowThread) {
        // As before: the picture read right in the click's handler.
        if (window.PreviewForm->LoadPicture(window.FocusedFilePath()))
          window.PreviewForm->FitToPicture();
      } else {
        window.FileListBox10Click();
      }
      // The event loop waits as the window's own does; a loop of processEvents would spin and
      // keep a core busy that the decoding could use.
      WaitFor(150);
    }
    while (window.PreviewForm->Loading())
      WaitFor(5);
    ticks.stop();
    std::printf("%.3f %d %lld\n", clock.nsecsElapsed() / 1e9, count,
                static_cast<long long>(longestGap));
    return 0;
  }
  if (!window.SetFolder(folder)) return 1;
  window.Edit2->setText(QString::fromLocal8Bit(argc > 3 ? argv[3] : "800"));
  window.TrackBar2->setValue(1);
  window.FileListBox10->selectAll();
  // A timer due every 5 ms: the gaps between its ticks are the event loop's answer times.
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  QTimer ticks;
  ticks.setInterval(5);
  QObject::connect(&ticks, &QTimer::timeout,
                   [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
  clock.start();
  window.RunCommand(QStringLiteral("resize-jpg"));
  sinceTick.start();
  ticks.start();
  window.WaitForBatch();
  ticks.stop();
  std::printf("%.3f %d %lld\n", clock.nsecsElapsed() / 1e9, window.FileListBox10->count(),
              static_cast<long long>(longestGap));
  return 0;
}
