// Keeping the user's place: the focus starts in the file list, Ctrl+Tab and Ctrl+PgDn step
// through the tabs, a tab chosen hands the focus to its first control, the Options tab has a
// menu entry, tabs stay where they are when one is chosen (in every language), the "Pixels:"
// boxes warn while a text would not be taken, and the status bar tells the focused file's size.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QTest>

#include "app/FileInfoText.h"
#include "app/FileListBox.h"
#include "app/PageControl.h"
#include "languages/LanguageTable.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class TabsAndFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    WriteTestJpeg(folder / "a.jpg", 64, 48, 1);
    WriteTestJpeg(folder / "b.jpg", 30, 20, 2);
    Store("Start", Q(folder));
    Store("preview", "0");
    window = StartWindow();
  }

  int Current() const { return window->PageControl1->currentIndex(); }
  void Keys(int key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    QApplication::processEvents();
  }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
};

TEST_F(TabsAndFocusTest, TheFocusStartsInTheFileList) {
  EXPECT_EQ(window->focusWidget(), static_cast<QWidget*>(window->FileListBox10));
  // Down moves in the list; the folder stays.
  window->activateWindow();
  QTest::keyClick(window->FileListBox10, Qt::Key_Down);
  EXPECT_EQ(window->Folder(), Q(folder));
}

TEST_F(TabsAndFocusTest, CtrlTabAndCtrlPageDownStepThroughTheTabsInTheirOrder) {
  TabStrip* strip = window->PageControl1->tabStrip();
  window->activateWindow();
  window->FileListBox10->setFocus();
  ASSERT_EQ(Current(), TForm1::TabAbout);
  const int next = strip->stepFrom(1);
  Keys(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(Current(), next);
  Keys(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Current(), TForm1::TabAbout);
  Keys(Qt::Key_PageDown, Qt::ControlModifier);
  EXPECT_EQ(Current(), next);
  Keys(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(Current(), TForm1::TabAbout);
  // Round the whole strip and back where it started; before the first tab comes the last.
  window->ShowTab(TForm1::TabJpg);
  const int count = window->PageControl1->count();
  for (int i = 0; i < count; ++i)
    Keys(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(Current(), TForm1::TabJpg);
  Keys(Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(Current(), strip->stepFrom(0));
}

TEST_F(TabsAndFocusTest, ATabChosenByKeysListsItsFilesAndFocusesItsFirstControlVisibly) {
  window->activateWindow();
  window->ShowTab(TForm1::TabOptions);
  window->FileListBox10->setFocus();
  // On to the first conversion tab: it lists GIF files only.
  while (Current() != TForm1::TabGifToJpg)
    Keys(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(window->FileListBox10->mask(), "*.gif");
  QWidget* focused = window->focusWidget();
  ASSERT_NE(focused, nullptr);
  EXPECT_EQ(focused, static_cast<QWidget*>(window->Button4));
  EXPECT_TRUE(window->testAttribute(Qt::WA_KeyboardFocusChange));
  // A click on a tab does the same.
  ClickTab(*window, TForm1::TabJpg);
  EXPECT_EQ(window->focusWidget(), static_cast<QWidget*>(window->TrackBar2));
  EXPECT_EQ(window->FileListBox10->mask(), "*.jpg;*.jpeg;*.jpe");
}

TEST_F(TabsAndFocusTest, TheOptionsTabHasAMenuEntry) {
  ASSERT_NE(window->M14, nullptr);
  EXPECT_EQ(window->M14->text(), "Options");
  EXPECT_TRUE(window->M1->actions().contains(window->M14));
  window->M14->trigger();
  EXPECT_EQ(Current(), TForm1::TabOptions);
  EXPECT_TRUE(window->PageControl1->page(TForm1::TabOptions)->isAncestorOf(window->focusWidget()));
}

// Every tab's place on the strip, by index.
std::vector<QRect> TabPlaces(TForm1& window) {
  std::vector<QRect> places;
  for (int i = 0; i < window.PageControl1->count(); ++i)
    places.push_back(window.PageControl1->tabStrip()->tabRect(i));
  return places;
}

TEST_F(TabsAndFocusTest, TabsStayWhereTheyAreWhenOneIsChosenInEveryLanguage) {
  for (int code : kLanguageCodes) {
    window->ChooseLanguage(code);
    QApplication::processEvents();
    const std::vector<QRect> before = TabPlaces(*window);
    ASSERT_GT(window->PageControl1->tabStrip()->rowCount(), 1) << code;
    for (int i = 0; i < window->PageControl1->count(); ++i) {
      // The click lands on the tab that was under the mouse, and nothing moves.
      ClickTab(*window, i);
      EXPECT_EQ(Current(), i) << "language " << code << " tab " << i;
      EXPECT_EQ(TabPlaces(*window), before) << "language " << code << " tab " << i;
    }
  }
  window->ChooseLanguage(kEnglish);
}

TEST_F(TabsAndFocusTest, PixelsBoxesWarnWhileTheTextWouldNotBeTaken) {
  ClickTab(*window, TForm1::TabJpg);
  auto* warning = Control<QLabel>(*window, "LabelPixelsWarning2");
  ASSERT_NE(warning, nullptr);
  EXPECT_FALSE(warning->isVisible());
  for (const char* bad : {"", "abc", "0", "-5", "12 px", "65501", "3.5"}) {
    window->Edit2->setText(QString::fromLatin1(bad));
    EXPECT_TRUE(warning->isVisible()) << bad;
    EXPECT_EQ(window->Edit2->toolTip(), "Not a number of pixels from 1 to 65500") << bad;
  }
  // What the resize converts is taken, hexadecimal as before.
  for (const char* good : {"800", " 640", "x20", "$10", "65500", "+12"}) {
    window->Edit2->setText(QString::fromLatin1(good));
    EXPECT_FALSE(warning->isVisible()) << good;
  }
  // The text itself stays as typed: the warning changes nothing.
  window->Edit2->setText("abc");
  EXPECT_EQ(window->Edit2->text(), "abc");
  window->ChooseLanguage(3);
  EXPECT_EQ(warning->text(), LanguageText(3, kTextPixelsWarning));
  window->ChooseLanguage(kEnglish);
}

TEST_F(TabsAndFocusTest, TheStatusBarTellsTheFocusedFilesPixelsAndBytes) {
  window->FileListBox10->setCurrentRow(0);
  const qint64 bytes = static_cast<qint64>(fs::file_size(folder / "a.jpg"));
  const QString size = bytes < 1024
                           ? QStringLiteral("%1 bytes").arg(bytes)
                           : QStringLiteral("%1 KB").arg(QString::number(bytes / 1024.0, 'f', 1));
  EXPECT_EQ(window->StatusPanel3->text(), QStringLiteral("a.jpg: 64 × 48 pixels, ") + size);
  window->FileListBox10->setCurrentRow(1);
  EXPECT_TRUE(window->StatusPanel3->text().startsWith("b.jpg: 30 × 20 pixels, "));
  // In another language, in its words and with its decimal comma.
  const auto german = [](int offset) { return LanguageText(3, offset); };
  EXPECT_EQ(FileInfoText("x.png", QSize(4000, 3000), 2516582, german, u','),
            "x.png: 4000 × 3000 Pixel, 2,4 MB");
  EXPECT_EQ(FileInfoText("y.gif", std::nullopt, 88000, german, u','), "y.gif: 86 KB");
  EXPECT_EQ(HeaderPictureSize(Q(folder / "b.jpg")), QSize(30, 20));
  EXPECT_EQ(HeaderPictureSize(Q(folder / "missing.jpg")), std::nullopt);
}

TEST_F(TabsAndFocusTest, TheFileListCanBeWidened) {
  ASSERT_NE(window->Splitter1, nullptr);
  window->resize(1100, 700);
  QApplication::processEvents();
  const int before = window->FileListBox10->width();
  const QList<int> sizes = window->Splitter1->sizes();
  window->Splitter1->setSizes({sizes[0] + 120, sizes[1] - 120});
  QApplication::processEvents();
  EXPECT_GE(window->FileListBox10->width(), before + 100);
  // The tabs keep room for their pages.
  EXPECT_GE(window->PageControl1->width(), window->PageControl1->minimumSizeHint().width());
}

}  // namespace
}  // namespace pixtrel::test
