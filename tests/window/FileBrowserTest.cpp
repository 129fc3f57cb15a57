// The folder browser: masks set by tab clicks and menu choices alike, letter case ignored,
// hidden files and folders left out, Ctrl+A, refresh, and Delete moving a file to the trash.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTest>
#include <fstream>

#include "app/DriveComboBox.h"
#include "app/FileListBox.h"
#include "app/FolderTree.h"
#include "app/MessageBoxes.h"
#include "app/PageControl.h"
#include "languages/LanguageTable.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

void Touch(const fs::path& file) {
  std::ofstream out(file);
}

class FileBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    for (const char* name : {"a.jpg", "B.JPEG", "c.jpe", "d.gif", "e.bmp", "PHOTO.JPG",
                             ".hidden.jpg", "notes.txt", "f.jpg.txt"}) {
      Touch(folder / name);
    }
    fs::create_directory(folder / "album.jpg");  // a folder, not a file
    fs::create_directory(folder / "Holiday");
    fs::create_directory(folder / ".cache");
    Store("Start", Q(folder));
    window = StartWindow();
  }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
};

TEST_F(FileBrowserTest, TabClicksAndMenuChoicesSetMasks) {
  auto* list = Control<FileListBox>(*window, "FileListBox10");
  EXPECT_EQ(list->mask(), "*.jpg;*.bmp;*.gif");
  EXPECT_EQ(ListedNames(*window), QStringList({"a.jpg", "d.gif", "e.bmp", "PHOTO.JPG"}));

  ClickTab(*window, TForm1::TabGif);
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabGif);
  EXPECT_EQ(list->mask(), "*.gif");
  EXPECT_EQ(ListedNames(*window), QStringList({"d.gif"}));

  // Resize > JPG shows the JPG tab and lists its JPEG files, as a click on the tab does.
  Control<QAction>(*window, "M21")->trigger();
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabJpg);
  EXPECT_EQ(list->mask(), "*.jpg;*.jpeg;*.jpe");
  EXPECT_EQ(ListedNames(*window), QStringList({"a.jpg", "B.JPEG", "c.jpe", "PHOTO.JPG"}));
  Control<QAction>(*window, "M37")->trigger();
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabGifToBmp);
  EXPECT_EQ(list->mask(), "*.gif");

  ClickTab(*window, TForm1::TabGreyscale);
  EXPECT_EQ(list->mask(), "*.jpg;*.jpeg;*.jpe");
  EXPECT_EQ(ListedNames(*window), QStringList({"a.jpg", "B.JPEG", "c.jpe", "PHOTO.JPG"}));

  // The Options tab keeps the mask in force.
  ClickTab(*window, TForm1::TabOptions);
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabOptions);
  EXPECT_EQ(list->mask(), "*.jpg;*.jpeg;*.jpe");

  ClickTab(*window, TForm1::TabRotate);
  EXPECT_EQ(ListedNames(*window),
            QStringList({"a.jpg", "B.JPEG", "c.jpe", "d.gif", "e.bmp", "PHOTO.JPG"}));
  ClickTab(*window, TForm1::TabBmpToGif);
  EXPECT_EQ(ListedNames(*window), QStringList({"e.bmp"}));
}

TEST_F(FileBrowserTest, EveryTabSetsItsMask) {
  const QString jpeg = "*.jpg;*.jpeg;*.jpe", all = "*.bmp;*.jpg;*.gif;*.jpeg;*.jpe";
  const QString rotate = all + ";*.png;*.webp;*.heic;*.heif;*.avif;*.jxl";
  const QString readable = "*.jpg;*.jpeg;*.jpe;*.png;*.webp;*.gif;*.bmp;*.heic;*.heif;*.avif;*.jxl";
  const QStringList masks = {jpeg,    "*.gif",  "*.bmp",        all,     all,      "*.gif",
                             jpeg,    "*.bmp",  "*.bmp",        rotate,  jpeg,     jpeg,
                             "",      jpeg,     "*.gif",        "*.png", "*.webp", readable,
                             "*.jxl", "*.avif", "*.heic;*.heif"};
  ClickTab(*window, TForm1::TabBmp);  // a mask that differs from the next tab's
  for (int tab = 0; tab < masks.size(); ++tab) {
    const QString before = window->FileListBox10->mask();
    ClickTab(*window, tab);
    ASSERT_EQ(window->PageControl1->currentIndex(), tab);
    EXPECT_EQ(window->FileListBox10->mask(), masks[tab].isEmpty() ? before : masks[tab])
        << "tab " << tab;
  }
}

TEST_F(FileBrowserTest, TheTreeShowsTheFolderAndItsVisibleSubfolders) {
  auto* tree = Control<FolderTree>(*window, "DirectoryListBox10");
  QTreeWidgetItem* current = tree->currentItem();
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(FolderTree::PathOf(current), Q(folder));
  QStringList children;
  for (int i = 0; i < current->childCount(); ++i)
    children.append(current->child(i)->text(0));
  EXPECT_EQ(children, QStringList({"album.jpg", "Holiday"}));

  // Clicking a subfolder opens it; the list and the current directory follow.
  Touch(folder / "Holiday" / "sea.jpg");
  QTreeWidgetItem* holiday = current->child(1);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                    tree->visualItemRect(holiday).center());
  EXPECT_EQ(window->Folder(), Q(folder / "Holiday"));
  EXPECT_EQ(QDir::currentPath(), Q(folder / "Holiday"));
  EXPECT_EQ(ListedNames(*window), QStringList({"sea.jpg"}));
}

TEST_F(FileBrowserTest, CtrlAAloneSelectsEverything) {
  auto* list = Control<FileListBox>(*window, "FileListBox10");
  list->clearSelection();
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(SelectedNames(*window).isEmpty());
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
  EXPECT_TRUE(SelectedNames(*window).isEmpty());
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(SelectedNames(*window), ListedNames(*window));
  EXPECT_EQ(SelectedNames(*window).size(), 4);
}

TEST_F(FileBrowserTest, RefreshShowsNewFilesAndKeepsTheSelectionByName) {
  SelectNames(*window, {"a.jpg", "e.bmp", "d.gif"});  // d.gif focused, at index 1
  Touch(folder / "b.gif");
  Control<QAction>(*window, "P1")->trigger();
  EXPECT_EQ(ListedNames(*window), QStringList({"a.jpg", "b.gif", "d.gif", "e.bmp", "PHOTO.JPG"}));
  // The same files, not the same rows: b.gif, new at d.gif's old row, is not chosen.
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg", "d.gif", "e.bmp"}));
  EXPECT_EQ(window->FileListBox10->currentItem()->text(), "d.gif");
}

TEST_F(FileBrowserTest, DeleteAsksAndThenMovesTheFileToTheTrash) {
  SelectNames(*window, {"e.bmp"});
  {
    BoxAnswerer answers({QMessageBox::No});
    QTest::keyClick(window->FileListBox10, Qt::Key_Delete);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, "Move e.bmp to the trash?");
    EXPECT_EQ(answers.seen[0].icon, QMessageBox::Question);
  }
  EXPECT_TRUE(fs::exists(folder / "e.bmp"));
  EXPECT_EQ(SelectedNames(*window), QStringList({"e.bmp"}));  // refreshed all the same

  {
    BoxAnswerer answers({QMessageBox::Yes});
    QTest::keyClick(window->FileListBox10, Qt::Key_Delete);
    ASSERT_EQ(answers.seen.size(), 1u);  // no error box follows
  }
  EXPECT_FALSE(fs::exists(folder / "e.bmp"));
  EXPECT_TRUE(fs::exists(environment.home() / ".local/share/Trash/files/e.bmp"));
  EXPECT_EQ(ListedNames(*window), QStringList({"a.jpg", "d.gif", "PHOTO.JPG"}));
  // The focus stays at its place in the shorter list.
  EXPECT_EQ(SelectedNames(*window), QStringList({"PHOTO.JPG"}));
}

TEST_F(FileBrowserTest, TheTrashQuestionAndItsFailureAreInTheWindowsLanguage) {
  window->ChooseLanguage(3);  // German, formal and concise
  SelectNames(*window, {"e.bmp"});
  {
    BoxAnswerer answers({QMessageBox::No});
    QTest::keyClick(window->FileListBox10, Qt::Key_Delete);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, "e.bmp in den Papierkorb verschieben?");
    EXPECT_EQ(answers.seen[0].captions[QMessageBox::Yes], "Ja");
    EXPECT_EQ(answers.seen[0].captions[QMessageBox::No], "Nein");
    EXPECT_EQ(answers.seen[0].defaultButton, QMessageBox::Yes);
  }
  EXPECT_TRUE(fs::exists(folder / "e.bmp"));

  // A trash that cannot be made (a file where its folder belongs) leaves the file where it was
  // and says so in German, ending as German does, with no second full stop.
  const fs::path trash = environment.home() / ".local/share/Trash";
  fs::remove_all(trash);  // the question above made it already
  Touch(trash);
  ASSERT_TRUE(fs::is_regular_file(trash));
  SelectNames(*window, {"e.bmp"});
  {
    BoxAnswerer answers({QMessageBox::Yes, QMessageBox::Ok});
    QTest::keyClick(window->FileListBox10, Qt::Key_Delete);
    ASSERT_EQ(answers.seen.size(), 2u);
    EXPECT_EQ(answers.seen[1].text, "e.bmp konnte nicht in den Papierkorb verschoben werden.");
    EXPECT_EQ(answers.seen[1].icon, QMessageBox::Critical);
  }
  EXPECT_TRUE(fs::exists(folder / "e.bmp"));
  // Qt's own fallback, a "files" folder beside the pictures, is not taken.
  EXPECT_FALSE(fs::exists(folder / "files"));
  EXPECT_FALSE(fs::exists(folder / "info"));

  // Every language asks in its own words; a language without texts asks in English rather
  // than with an empty box.
  for (int code : kLanguageCodes) {
    window->ChooseLanguage(code);
    SelectNames(*window, {"e.bmp"});
    BoxAnswerer answers({QMessageBox::No});
    QTest::keyClick(window->FileListBox10, Qt::Key_Delete);
    ASSERT_EQ(answers.seen.size(), 1u) << code;
    EXPECT_TRUE(answers.seen[0].text.contains("e.bmp")) << code;
    EXPECT_EQ(answers.seen[0].text == "Move e.bmp to the trash?", code == kEnglish) << code;
    EXPECT_EQ(answers.seen[0].captions[QMessageBox::Yes] == "Yes", code == kEnglish) << code;
  }
  window->ChooseLanguage(99);
  SelectNames(*window, {"e.bmp"});
  BoxAnswerer answers({QMessageBox::No});
  QTest::keyClick(window->FileListBox10, Qt::Key_Delete);
  ASSERT_EQ(answers.seen.size(), 1u);
  EXPECT_EQ(answers.seen[0].text, "Move e.bmp to the trash?");
  EXPECT_EQ(answers.seen[0].captions[QMessageBox::No], "No");
  EXPECT_TRUE(fs::exists(folder / "e.bmp"));
}

TEST_F(FileBrowserTest, DeleteWithoutASelectedFocusedEntryOnlyRefreshes) {
  SelectNames(*window, {"a.jpg"});
  window->FileListBox10->currentItem()->setSelected(false);
  Touch(folder / "z.gif");
  BoxAnswerer answers({});
  QTest::keyClick(window->FileListBox10, Qt::Key_Delete);
  EXPECT_TRUE(answers.seen.empty());
  EXPECT_TRUE(fs::exists(folder / "a.jpg"));
  EXPECT_TRUE(ListedNames(*window).contains("z.gif"));
}

TEST(DriveComboBox, APathBelongsToTheVolumeWithTheLongestMatchingRoot) {
  const QStringList roots = {"/", "/media/usb", "/media/usb2"};
  EXPECT_EQ(DriveComboBox::RootOf(roots, "/media/usb2/holiday"), "/media/usb2");
  EXPECT_EQ(DriveComboBox::RootOf(roots, "/media/usb"), "/media/usb");
  EXPECT_EQ(DriveComboBox::RootOf(roots, "/media/usbx"), "/");
  EXPECT_EQ(DriveComboBox::RootOf(roots, "/home/ana"), "/");
}

TEST(ErrorText, AppendsAFullStopAfterCharactersThatSortAfterIt) {
  EXPECT_EQ(WithFullStop("JPEG error #53"), "JPEG error #53.");
  EXPECT_EQ(WithFullStop("Cannot open file a.jpg"), "Cannot open file a.jpg.");
  EXPECT_EQ(WithFullStop("Bitmap image is not valid."), "Bitmap image is not valid.");
  EXPECT_EQ(WithFullStop("Out of memory!"), "Out of memory!");
  EXPECT_EQ(WithFullStop("(a)"), "(a)");
  EXPECT_EQ(WithFullStop("x -"), "x -");
  EXPECT_EQ(WithFullStop("ends in /"), "ends in /.");
  EXPECT_EQ(WithFullStop(""), "");
}

}  // namespace
}  // namespace pixtrel::test
