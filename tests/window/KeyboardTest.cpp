// The keyboard in the main window: Enter presses the focused button and, in a Pixels box, the
// tab's command button; Alt alone and F10 open the menu bar, Alt and a menu's letter opens that
// menu without typing the letter into the field in use.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "app/FileListBox.h"
#include "app/PageControl.h"
#include "app/WindowKeys.h"
#include "codecs/jpeg/JpegImage.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    WriteTestJpeg(folder / "a.jpg", 48, 32, 1);
    Store("Start", Q(folder));
    Store("preview", "0");
    window = StartWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 2000));
  }

  int LongerSide(const fs::path& file) {
    TJPEGImage picture = ReadJpegFile(file);
    DecodeJpeg(picture);
    return std::max(picture.width(), picture.height());
  }

  void Focus(QWidget* widget) {
    widget->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), widget);
  }

  // The menu that is open, closed again; null when none is.
  QMenu* TakeOpenMenu() {
    QApplication::processEvents();
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu) {
      menu->close();
      QApplication::processEvents();
    }
    return menu;
  }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
};

TEST_F(KeyboardTest, EnterPressesTheFocusedButton) {
  ClickTab(*window, TForm1::TabJpegQuality);
  SelectNames(*window, {"a.jpg"});
  BoxAnswerer boxes({});
  Focus(window->Button10);
  QTest::keyClick(window->Button10, Qt::Key_Return);
  window->WaitForBatch();
  EXPECT_TRUE(fs::exists(folder / "q-a.jpg"));
  EXPECT_TRUE(boxes.seen.empty());

  // The keypad's Enter too, on another tab's button.
  ClickTab(*window, TForm1::TabRotate);
  SelectNames(*window, {"a.jpg"});
  Focus(window->Button8);
  QTest::keyClick(window->Button8, Qt::Key_Enter, Qt::KeypadModifier);
  window->WaitForBatch();
  ASSERT_TRUE(fs::exists(folder / "right-a.jpg"));
  TJPEGImage turned = ReadJpegFile(folder / "right-a.jpg");
  DecodeJpeg(turned);
  EXPECT_EQ(turned.width(), 32);
  EXPECT_EQ(turned.height(), 48);
}

TEST_F(KeyboardTest, EnterInAPixelsBoxRunsTheTabsCommand) {
  ClickTab(*window, TForm1::TabJpg);
  SelectNames(*window, {"a.jpg"});
  BoxAnswerer boxes({});
  window->Edit2->setText("20");
  Focus(window->Edit2);
  QTest::keyClick(window->Edit2, Qt::Key_Return);
  window->WaitForBatch();
  ASSERT_TRUE(fs::exists(folder / "mini-a.jpg"));
  EXPECT_EQ(LongerSide(folder / "mini-a.jpg"), 20);
  EXPECT_TRUE(boxes.seen.empty());
  EXPECT_EQ(window->Edit2->text(), "20");

  // Another size, typed and entered in the box as the user does.
  fs::remove(folder / "mini-a.jpg");
  window->Osvezi();
  SelectNames(*window, {"a.jpg"});
  Focus(window->Edit2);
  window->Edit2->selectAll();
  QTest::keyClicks(window->Edit2, "30");
  QTest::keyClick(window->Edit2, Qt::Key_Enter, Qt::KeypadModifier);
  window->WaitForBatch();
  ASSERT_TRUE(fs::exists(folder / "mini-a.jpg"));
  EXPECT_EQ(LongerSide(folder / "mini-a.jpg"), 30);
}

TEST_F(KeyboardTest, AltAloneAndF10OpenTheMenuBar) {
  ClickTab(*window, TForm1::TabJpg);
  Focus(window->Edit2);
  QTest::keyClick(window->Edit2, Qt::Key_Alt);
  EXPECT_EQ(TakeOpenMenu(), window->M1);

  Focus(window->Edit2);
  QTest::keyClick(window->Edit2, Qt::Key_F10);
  EXPECT_EQ(TakeOpenMenu(), window->M1);

  // Alt used with another key is not Alt alone.
  Focus(window->FileListBox10);
  QTest::keyPress(window->FileListBox10, Qt::Key_Alt);
  QTest::keyClick(window->FileListBox10, Qt::Key_Down, Qt::AltModifier);
  QTest::keyRelease(window->FileListBox10, Qt::Key_Alt);
  EXPECT_EQ(TakeOpenMenu(), nullptr);
}

TEST_F(KeyboardTest, AltAndAMenusLetterOpensItAndTypesNothing) {
  ClickTab(*window, TForm1::TabJpg);
  window->Edit2->setText("800");
  const struct {
    Qt::Key key;
    QMenu* menu;
  } letters[] = {{Qt::Key_F, window->M1},
                 {Qt::Key_R, window->M2},
                 {Qt::Key_C, window->M3},
                 {Qt::Key_L, window->M7},
                 {Qt::Key_H, window->M9}};
  for (const auto& letter : letters) {
    Focus(window->Edit2);
    window->Edit2->end(false);
    QTest::keyClick(window->Edit2, letter.key, Qt::AltModifier);
    EXPECT_EQ(TakeOpenMenu(), letter.menu) << letter.menu->title().toStdString();
    EXPECT_EQ(window->Edit2->text(), "800");
  }
  // A menu's letter opens its entries to the keyboard: Alt+R, then Down and Enter runs "JPG".
  ClickTab(*window, TForm1::TabGif);
  Focus(window->Edit1);
  QTest::keyClick(window->Edit1, Qt::Key_R, Qt::AltModifier);
  QApplication::processEvents();
  QWidget* popup = QApplication::activePopupWidget();
  ASSERT_EQ(popup, window->M2);
  QTest::keyClick(popup, Qt::Key_Down);
  QTest::keyClick(popup, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabJpg);
}

TEST_F(KeyboardTest, MenuLettersAreTheFirstFreeLettersOfTheTitles) {
  auto* keys = window->findChild<WindowKeys*>();
  ASSERT_NE(keys, nullptr);
  EXPECT_EQ(keys->MenuLetter(window->M1), u'f');
  EXPECT_EQ(keys->MenuLetter(window->M9), u'h');
  // Titles that start alike get the next free letter.
  window->M3->setTitle("Resample");
  EXPECT_EQ(keys->MenuLetter(window->M2), u'r');
  EXPECT_EQ(keys->MenuLetter(window->M3), u'e');
  window->M3->setTitle("C&onvert");  // a marked letter is taken as it is
  EXPECT_EQ(keys->MenuLetter(window->M3), u'o');
}

}  // namespace
}  // namespace pixtrel::test
