// The File menu's folder entries: the recent-folder list as batches feed it, and the special
// folders from the desktop's standard locations.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/FileListBox.h"
#include "languages/LanguageTable.h"
#include "tests/window/ViewsTestSupport.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class FolderEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Store("preview", "0");
    window = StartWindow();
    ClickTab(*window, TForm1::TabJpegQuality);
  }

  // A JPEG quality batch on one picture in a folder of that name.
  QString BatchIn(const std::string& name) {
    const fs::path folder = environment.makeFolder(name);
    if (!fs::exists(folder / "a.jpg")) WriteTestJpeg(folder / "a.jpg", 8, 8);
    EXPECT_TRUE(window->SetFolder(Q(folder)));
    SelectNames(*window, {"a.jpg"});
    QTest::mouseClick(Control<QPushButton>(*window, "Button10"), Qt::LeftButton);
    window->WaitForBatch();  // the batch runs on its own thread
    QApplication::processEvents();
    EXPECT_TRUE(fs::exists(folder / "q-a.jpg")) << name;
    return Q(folder);
  }

  QStringList Shown() const {
    QStringList texts;
    for (QAction* entry : window->M15->actions())
      texts.append(entry->text());
    return texts;
  }

  WindowEnvironment environment;
  std::unique_ptr<TForm1> window;
};

TEST_F(FolderEntriesTest, AFreshStoreShowsTheDefaultFolderOnce) {
  const QString home = QDir::homePath();
  const QStringList fresh = {home};
  EXPECT_EQ(window->RecentCaptions(), fresh);
  EXPECT_EQ(Shown().value(0), home);
  int visible = 0;
  for (QAction* entry : window->M15->actions())
    visible += entry->isVisible();
  EXPECT_EQ(visible, 1);
  EXPECT_TRUE(window->M15->menuAction()->isEnabled());
  EXPECT_EQ(Stored("Recent1"), "<absent>");  // reading writes nothing
}

TEST_F(FolderEntriesTest, ABatchPutsItsFolderFirstAndARepeatChangesNothing) {
  const QString home = QDir::homePath();
  const QString pics = BatchIn("pics");
  EXPECT_EQ(window->RecentCaptions(), QStringList({pics, home}));
  EXPECT_EQ(Stored("Recent1"), pics);
  EXPECT_EQ(Stored("Recent2"), home);
  EXPECT_EQ(Stored("Recent3"), "");

  StoreTraffic traffic;
  BatchIn("pics");
  EXPECT_TRUE(traffic.writes.empty());
  EXPECT_EQ(window->RecentCaptions(), QStringList({pics, home}));

  // A folder already third stays third.
  const QString second = BatchIn("second");
  const QString third = BatchIn("third");
  EXPECT_EQ(window->RecentCaptions(), QStringList({third, second, pics, home}));
  BatchIn("pics");
  EXPECT_EQ(window->RecentCaptions(), QStringList({third, second, pics, home}));
  // A list stored with a folder twice (by an older version) shows it once.
  Store("Recent5", pics);
  window->NaloziRecent();
  EXPECT_EQ(window->RecentCaptions(), QStringList({third, second, pics, home}));
}

TEST_F(FolderEntriesTest, SixFoldersLeaveTheNewestFiveNewestFirst) {
  QStringList folders;
  for (int i = 1; i <= 6; ++i)
    folders.prepend(BatchIn("folder" + std::to_string(i)));
  EXPECT_EQ(window->RecentCaptions(), folders.mid(0, 5));
  for (int i = 1; i <= 5; ++i)
    EXPECT_EQ(Stored(QStringLiteral("Recent%1").arg(i)), folders[i - 1]);
  // The next start shows the same list.
  window.reset();
  window = StartWindow();
  EXPECT_EQ(window->RecentCaptions(), folders.mid(0, 5));
}

TEST_F(FolderEntriesTest, FolderNamesDifferingOnlyInCaseAreTwoFolders) {
  const QString upper = BatchIn("Pics");
  const QString lower = BatchIn("pics");
  ASSERT_NE(upper, lower);
  EXPECT_EQ(window->RecentCaptions().mid(0, 2), QStringList({lower, upper}));
}

TEST_F(FolderEntriesTest, AnEntryMovesTheBrowserAndAGoneFolderIsReported) {
  const QString first = BatchIn("first");
  const QString second = BatchIn("second & more");
  // The caption shows the name as it is: "&" marks no accelerator.
  EXPECT_EQ(window->M151->text(), QString(second).replace("&", "&&"));
  window->M152->trigger();
  EXPECT_EQ(window->Folder(), first);
  window->M151->trigger();
  EXPECT_EQ(window->Folder(), second);

  fs::remove_all(first.toStdString());
  {
    BoxAnswerer boxes({QMessageBox::Ok});
    window->M152->trigger();
    QApplication::processEvents();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "Cannot open " + first + ".");
    EXPECT_EQ(window->Folder(), second);
  }
  {
    // The same in Slovenian, which says what cannot be opened.
    window->ChooseLanguage(kSlovenian);
    BoxAnswerer boxes({QMessageBox::Ok});
    window->M152->trigger();
    QApplication::processEvents();
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "Imenika " + first + " ni mogoče odpreti.");
    EXPECT_EQ(window->Folder(), second);
    window->ChooseLanguage(kEnglish);
  }

  // An empty stored entry cannot be chosen and changes nothing.
  Store("Recent3", "");
  window->NaloziRecent();
  EXPECT_FALSE(window->M153->isEnabled());
  window->M153Click();
  EXPECT_EQ(window->Folder(), second);
}

TEST_F(FolderEntriesTest, SpecialFoldersComeFromTheDesktopsStandardLocations) {
  const fs::path home = environment.home();
  fs::create_directories(home / "Bilder");
  fs::create_directories(home / "Dokumente");
  fs::create_directories(home / "Schreibtisch");
  {
    std::ofstream dirs(environment.config() / "user-dirs.dirs");
    dirs << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n"
         << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
         << "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
  }
  const QString base = QDir::homePath();
  window->M161->trigger();
  EXPECT_EQ(window->Folder(), base + "/Bilder");
  window->M162->trigger();
  EXPECT_EQ(window->Folder(), base + "/Dokumente");
  window->M164->trigger();
  EXPECT_EQ(window->Folder(), base + "/Schreibtisch");

  // No folder of recently used files: the entry cannot be chosen, and does nothing.
  BoxAnswerer boxes({});
  emit window->M16->aboutToShow();
  EXPECT_FALSE(window->M163->isEnabled());
  EXPECT_TRUE(window->M161->isEnabled());
  window->M163Click();
  QApplication::processEvents();
  EXPECT_EQ(window->Folder(), base + "/Schreibtisch");
  EXPECT_TRUE(boxes.seen.empty());

  // Where the desktop keeps one, it is there.
  fs::create_directories(home / ".local/share/RecentDocuments");
  emit window->M16->aboutToShow();
  EXPECT_TRUE(window->M163->isEnabled());
  window->M163->trigger();
  EXPECT_EQ(window->Folder(), base + "/.local/share/RecentDocuments");

  // A standard folder that does not exist is none.
  fs::remove_all(home / "Dokumente");
  emit window->M16->aboutToShow();
  EXPECT_FALSE(window->M162->isEnabled());
}

}  // namespace
}  // namespace pixtrel::test
