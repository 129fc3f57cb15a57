#include "tests/window/ViewsTestSupport.h"

#include "windows/PreviewForm.h"
#include "windows/Slikca.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/FileListBox.h"
#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifRaster.h"
#include "codecs/gif/GifWriter.h"
#include "tests/support/TestSupport.h"
#include "windows/Links.h"

namespace pixtrel::test {

OpenedLinks::OpenedLinks() {
  SetUrlOpener([this](const QUrl& url) {
    urls.push_back(url);
    return true;
  });
}

OpenedLinks::~OpenedLinks() {
  SetUrlOpener(nullptr);
}

void WriteTestBmp(const std::filesystem::path& file, int width, int height) {
  WriteBmpFile(Raster(TestPattern(width, height, 3)), file);
}

void WriteTestGif(const std::filesystem::path& file, int width, int height) {
  TGIFImage picture;
  SetGifRaster(picture, TestPattern(width, height, 4));
  WriteGifFile(picture, file);
}

namespace {

QPoint EntryCentre(TForm1& window, const QString& name) {
  FileListBox* list = window.FileListBox10;
  const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
  EXPECT_EQ(found.size(), 1) << name.toStdString();
  if (found.isEmpty()) return QPoint();
  list->scrollToItem(found.front());
  return list->visualItemRect(found.front()).center();
}

}  // namespace

void ClickListEntry(TForm1& window, const QString& name) {
  QTest::mouseClick(window.FileListBox10->viewport(), Qt::LeftButton, Qt::NoModifier,
                    EntryCentre(window, name));
  QApplication::processEvents();
  WaitForPictures(window);
}

void DoubleClickListEntry(TForm1& window, const QString& name) {
  const QPoint at = EntryCentre(window, name);
  QTest::mouseClick(window.FileListBox10->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(window.FileListBox10->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QApplication::processEvents();
  WaitForPictures(window);
}

void WaitForPictures(TForm1& window) {
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return !window.PreviewForm->Loading() && !window.Slikca->Loading(); }, 20000));
  QApplication::processEvents();
}

void WaitForStartUp(TForm1& window) {
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.Timer2->isActive(); }, 5000));
  QApplication::processEvents();
}

std::vector<QString> TrafficOf(const std::vector<QString>& all, const QStringList& names) {
  std::vector<QString> picked;
  for (const QString& entry : all) {
    if (names.contains(entry.section(u' ', 1))) picked.push_back(entry);
  }
  return picked;
}

}  // namespace pixtrel::test
