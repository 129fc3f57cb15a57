// pixtrel-preview-bench PHOTO.jpg [RUNS]: the time from a click on a JPEG to the picture the
// preview shows (a quarter of its size), decoded at full size and shrunk as before against the
// preview's own loading (decoded at the codec's scale); then the viewer's full-size picture
// through the program's decoding against the display decoding. Best of RUNS (default 5) after one
// warm-up, in seconds, one line each. Needs a Qt platform (offscreen is fine).
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "windows/PictureLoader.h"
#include "windows/PreviewForm.h"
#include "windows/PreviewSize.h"

namespace {

double BestSeconds(int runs, const std::function<void()>& work) {
  work();
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer clock;
    clock.start();
    work();
    best = std::min(best, clock.nsecsElapsed() / 1e9);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: pixtrel-preview-bench PHOTO.jpg [RUNS]\n");
    return 2;
  }
  const QString path = QString::fromLocal8Bit(argv[1]);
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  constexpr int kDivisor = 4;  // the main window's PreviewScaleDivisor
  QSize shown;
  const double full = BestSeconds(runs, [&] {
    const QImage picture = pixtrel::LoadPictureFile(path);
    shown = pixtrel::ReducedSize(picture.size(), kDivisor);
    const QImage small = picture.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (small.isNull()) std::exit(1);
  });
  pixtrel::TPreviewForm preview(nullptr, kDivisor);
  const double scaled = BestSeconds(runs, [&] {
    preview.Clear();  // else the same file is not loaded again
    if (!preview.LoadPicture(path)) std::exit(1);
  });
  std::printf("preview %dx%d, full decode and shrink: %.3f s\n", shown.width(), shown.height(),
              full);
  std::printf("preview %dx%d, scaled decode:          %.3f s (goal <= 0.1)\n", shown.width(),
              shown.height(), scaled);
  const double viewerBefore = BestSeconds(runs, [&] { pixtrel::LoadPictureFile(path); });
  const double viewerNow =
      BestSeconds(runs, [&] { pixtrel::LoadPictureToShow(path, [](QSize size) { return size; }); });
  std::printf("viewer, full size: program's decoding %.3f s, display decoding %.3f s\n",
              viewerBefore, viewerNow);
  return 0;
}
