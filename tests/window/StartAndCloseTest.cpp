// Start-up, first activation and closing: what the window reads from the settings store, in
// which order, how it places itself, and what closing writes back.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "app/FileListBox.h"
#include "app/PageControl.h"
#include "app/RadioGroup.h"
#include "tests/window/WindowTestSupport.h"

namespace pixtrel::test {
namespace {

class StartAndCloseTest : public ::testing::Test {
 protected:
  WindowEnvironment environment;
};

TEST_F(StartAndCloseTest, AnEmptyStoreGivesTheFirstRunState) {
  StoreTraffic traffic;
  auto window = StartWindow();
  // Half a second after start the preview's state and place are read.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->Timer2->isActive(); }, 5000));
  std::vector<QString> start = {"write prisoten",
                                "write verzija",
                                "read jezik",
                                "read x",
                                "read y",
                                "read w",
                                "read h",
                                "read jpg.px",
                                "read gif.px",
                                "read bmp.px",
                                "read png.px",
                                "read webp.px",
                                "read jxl.px",
                                "read avif.px",
                                "read heic.px",
                                "read jpg.q",
                                "read shrinkonly",
                                "read ignoreorientation",
                                "read losslessturn",
                                "read losslesstrim",
                                "read metadata"};
  // The "Resize & convert" tab's choices; its format starts at the "Convert to" choice of the
  // tab it replaced while none of its own is stored.
  for (const char* option : {"size", "shrink-only", "method", "turn", "ignore-orientation", "to"})
    start.push_back(QStringLiteral("read Process/") + QLatin1String(option));
  start.push_back("read convert.to");
  for (const char* option :
       {"quality", "lossless", "progressive", "optimise", "background", "sharpen", "metadata",
        "keep-date", "out", "name", "existing", "preset"})
    start.push_back(QStringLiteral("read Process/") + QLatin1String(option));
  for (const char* name : {"Start", "Recent1", "Recent2", "Recent3", "Recent4", "Recent5",
                           "preview", "preview_x", "preview_y"})
    start.push_back(QStringLiteral("read ") + QLatin1String(name));
  EXPECT_EQ(traffic.all, start);
  EXPECT_EQ(Stored("prisoten"), "ja");
  EXPECT_EQ(Stored("verzija"), "1.2");
  EXPECT_EQ(window->CurrentLanguage, 2);

  EXPECT_EQ(window->windowTitle(), "Pixtrel");
  EXPECT_EQ(window->geometry().topLeft(), QPoint(153, 104));  // left from "y", top from "x"
  EXPECT_EQ(window->size(), QSize(745, 549));                 // 713 x 523 raised to the minimum
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit1")->text(), "800");
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit2")->text(), "800");
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit3")->text(), "800");
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit15")->text(), "800");
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit16")->text(), "800");
  EXPECT_EQ(Control<QSlider>(*window, "TrackBar7")->value(), 85);
  EXPECT_EQ(Control<QSlider>(*window, "TrackBar7")->toolTip(), "85");
  EXPECT_EQ(Control<QComboBox>(*window, "ComboBox1")->currentData().toString(), "jpg");
  EXPECT_FALSE(Control<QCheckBox>(*window, "CheckBox2")->isChecked());
  EXPECT_FALSE(Control<QCheckBox>(*window, "CheckBox3")->isChecked());
  EXPECT_EQ(Control<QComboBox>(*window, "ComboBox2")->currentData().toString(), "keep");
  EXPECT_EQ(window->Folder(), QDir::homePath());
  EXPECT_EQ(QDir::currentPath(), QDir::homePath());

  // Controls that are not stored start at their design values.
  EXPECT_EQ(Control<QSlider>(*window, "TrackBar10")->value(), 89);
  EXPECT_EQ(Control<RadioGroup>(*window, "Radio1")->itemIndex(), 0);
  EXPECT_EQ(Control<RadioGroup>(*window, "Radio2")->itemIndex(), 0);
  EXPECT_FALSE(Control<QCheckBox>(*window, "CheckBox1")->isChecked());
  for (const char* slider : {"TrackBar1", "TrackBar2", "TrackBar3", "TrackBar15", "TrackBar16"}) {
    EXPECT_EQ(Control<QSlider>(*window, slider)->value(), 1) << slider;
  }
  EXPECT_FALSE(Control<QProgressBar>(*window, "ProgressBar1")->isVisible());

  // English captions, the About tab and the start mask.
  EXPECT_EQ(Control<QLabel>(*window, "Label3")->text(), "Pixtrel version 1.2");
  EXPECT_EQ(Control<QPushButton>(*window, "Button2")->text(), "Resize");
  EXPECT_EQ(Control<QPushButton>(*window, "Button10")->text(), "Change");
  auto* pages = Control<PageControl>(*window, "PageControl1");
  ASSERT_EQ(pages->count(), 21);
  EXPECT_EQ(pages->currentIndex(), 3);
  EXPECT_EQ(pages->tabText(3), "About Pixtrel");
  EXPECT_EQ(pages->page(3)->objectName(), "TabSheet3");
  EXPECT_TRUE(pages->page(3)->isVisible());
  EXPECT_EQ(Control<FileListBox>(*window, "FileListBox10")->mask(), "*.jpg;*.bmp;*.gif");
}

TEST_F(StartAndCloseTest, StoredValuesComeBackAndCloseWritesThemInOrder) {
  const std::filesystem::path pictures = environment.makeFolder("pictures");
  Store("x", "300");
  Store("y", "50");
  Store("w", "abc");
  Store("jpg.px", "");
  Store("gif.px", "12px");
  Store("jpg.q", "70");
  Store("Start", Q(pictures));
  Store("prisoten", "nein");
  Store("verzija", "0.9");
  Store("jezik", "2");

  auto window = StartWindow();
  EXPECT_EQ(Stored("prisoten"), "ja");  // rewritten at every start
  EXPECT_EQ(Stored("verzija"), "1.2");
  EXPECT_EQ(window->geometry().topLeft(), QPoint(50, 300));  // 300 from the top, 50 from the left
  EXPECT_EQ(window->width(), 745);  // "abc" gives 713, raised to the minimum
  EXPECT_EQ(window->height(), 549);
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit2")->text(), "");
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit1")->text(), "12px");
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit3")->text(), "800");
  EXPECT_EQ(Control<QSlider>(*window, "TrackBar7")->value(), 70);
  EXPECT_EQ(window->Folder(), Q(pictures));
  EXPECT_EQ(QDir::currentPath(), Q(pictures));

  // Once the start-up step has placed the preview, closing stores its place too.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window->Timer2->isActive(); }, 5000));
  StoreTraffic traffic;
  window->close();
  // The "Resize & convert" tab's choices were stored as they changed.
  const std::vector<QString> order = {"preview_x",
                                      "preview_y",
                                      "x",
                                      "y",
                                      "w",
                                      "h",
                                      "jpg.px",
                                      "bmp.px",
                                      "gif.px",
                                      "png.px",
                                      "webp.px",
                                      "jxl.px",
                                      "avif.px",
                                      "heic.px",
                                      "jpg.q",
                                      "shrinkonly",
                                      "ignoreorientation",
                                      "losslessturn",
                                      "losslesstrim",
                                      "metadata",
                                      "Start"};
  EXPECT_EQ(traffic.writes, order);
  EXPECT_TRUE(traffic.reads.empty());
  // Closed where it opened: the same place goes back, nothing creeps.
  EXPECT_EQ(Stored("x"), "300");
  EXPECT_EQ(Stored("y"), "50");
  EXPECT_EQ(Stored("w"), "745");
  EXPECT_EQ(Stored("h"), "549");
  EXPECT_EQ(Stored("jpg.px"), "");
  EXPECT_EQ(Stored("gif.px"), "12px");
  EXPECT_EQ(Stored("bmp.px"), "800");
  EXPECT_EQ(Stored("jpg.q"), "70");
  EXPECT_EQ(Stored("Start"), Q(pictures));
}

TEST_F(StartAndCloseTest, ChangesMadeInTheWindowOutliveIt) {
  {
    auto window = StartWindow();
    window->move(20, 30);
    window->resize(760, 560);  // with its frame, within the 800 x 600 screen of the test runs
    Control<QLineEdit>(*window, "Edit3")->setText("1024");
    Control<QSlider>(*window, "TrackBar7")->setValue(40);
    EXPECT_EQ(Control<QSlider>(*window, "TrackBar7")->toolTip(), "40");
    window->close();
  }
  auto window = StartWindow();
  EXPECT_EQ(window->pos(), QPoint(20, 30));
  EXPECT_EQ(window->size(), QSize(760, 560));
  EXPECT_EQ(Control<QLineEdit>(*window, "Edit3")->text(), "1024");
  EXPECT_EQ(Control<QSlider>(*window, "TrackBar7")->value(), 40);
}

TEST_F(StartAndCloseTest, AFolderThatCannotBeEnteredFallsBackToHome) {
  Store("Start", Q(environment.home() / "gone"));
  auto window = StartWindow();
  EXPECT_EQ(window->Folder(), QDir::homePath());
}

TEST_F(StartAndCloseTest, AnEmptyStartFolderStaysWhereTheProgramStarted) {
  Store("Start", "");
  auto window = StartWindow();
  EXPECT_EQ(window->Folder(), Q(std::filesystem::canonical(environment.start())));
}

TEST_F(StartAndCloseTest, APlaceOffEveryScreenFallsBackToTheDefaultPlace) {
  Store("x", "30000");
  Store("y", "-30000");
  auto window = StartWindow();
  EXPECT_EQ(window->geometry().topLeft(), QPoint(153, 104));
}

TEST_F(StartAndCloseTest, MenusHoldEveryEntryInOrder) {
  auto window = StartWindow();
  auto captions = [&](const char* menu) {
    QStringList list;
    for (QAction* action : Control<QMenu>(*window, menu)->actions()) {
      list.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return list;
  };
  EXPECT_EQ(captions("M1"), QStringList({"Preview images", "View image", "Options", "-",
                                         "Recent folders", "Special folders", "-", "Exit"}));
  EXPECT_EQ(captions("M2"),
            QStringList({"JPG", "BMP", "GIF", "PNG", "WebP", "JPEG XL", "AVIF", "HEIC"}));
  EXPECT_EQ(captions("M3"), QStringList({"BMP -> JPG", "BMP -> GIF", "JPG -> BMP", "JPG -> GIF",
                                         "GIF -> BMP", "GIF -> JPG", "-", "Resize && convert"}));
  EXPECT_EQ(captions("M9"),
            QStringList({"Help", "-", "More help", "Online help...", "-", "Forum...",
                         "Check the internet for a new version...", "-", "Order CD online...",
                         "Donate $5 online...", "-", "About..."}));
  EXPECT_EQ(captions("M15").size(), 5);
  EXPECT_EQ(captions("M16"),
            QStringList({"Pictures", "Documents", "Recently used files", "Desktop"}));
  const QStringList language = captions("M7");
  EXPECT_EQ(language.mid(0, 3), QStringList({"Slovenian", "English", "-"}));
  EXPECT_EQ(language.back(), "Add your language online");
  EXPECT_EQ(language.size(), 2 + 1 + 21 + 1 + 1);

  Control<QAction>(*window, "M91")->trigger();
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabHelp);
  Control<QAction>(*window, "M99")->trigger();
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabAbout);
  Control<QAction>(*window, "M19")->trigger();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(Stored("x"), "104");  // Exit closes the window the usual way
}

}  // namespace
}  // namespace pixtrel::test
