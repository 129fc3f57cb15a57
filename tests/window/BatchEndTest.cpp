// How a batch tells its end: the status bar, the note with its "open folder" button, the error
// box's Stop / Skip this file / Skip all errors, the list refreshed with the selection kept by
// name, a command pressed with nothing selected, and the recent folders a command adds.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>

#include "app/BatchNote.h"
#include "app/FileListBox.h"
#include "app/RadioGroup.h"
#include "batch/BatchRunner.h"
#include "io/FileBytes.h"
#include "languages/LanguageTable.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/Links.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class BatchEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    for (const char* name : {"a.jpg", "c.jpg", "e.jpg"})
      WriteTestJpeg(folder / name, 40, 30, 3);
    // Cut off after its first bytes: every command fails on it.
    WriteBytes(folder / "b.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00});
    WriteBytes(folder / "d.jpg", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
    Store("Start", Q(folder));
    Store("preview", "0");
    window = StartWindow();
    ClickTab(*window, TForm1::TabJpegQuality);
  }

  void RunQuality(const QStringList& names) {
    SelectNames(*window, names);
    window->Button10->click();
    window->WaitForBatch();
  }

  QString Status() const { return window->StatusPanel3->text(); }

  WindowEnvironment environment;
  fs::path folder;
  std::unique_ptr<TForm1> window;
};

TEST_F(BatchEndTest, AShortBatchThatWentWellSaysSoInTheStatusBarOnly) {
  RunQuality({"a.jpg", "c.jpg"});
  EXPECT_EQ(Status(), QStringLiteral("2 pictures written to %1").arg(Q(folder)));
  EXPECT_EQ(window->LastBatchNote(), nullptr);
  RunQuality({"e.jpg"});
  EXPECT_EQ(Status(), QStringLiteral("1 picture written to %1").arg(Q(folder)));
}

TEST_F(BatchEndTest, SkipThisFileGoesOnAndTheNoteListsWhatFailed) {
  NamedBoxAnswerer boxes({"FailureSkip", "FailureSkip"});
  RunQuality({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
  ASSERT_EQ(boxes.seen.size(), 2u);
  EXPECT_EQ(boxes.seen[0].text, "b.jpg: JPEG file is damaged: data ends early.");
  // Stop stays what Enter and Esc do, as before.
  EXPECT_EQ(boxes.seen[0].defaultButton, "FailureStop");
  QStringList buttons = boxes.seen[0].buttons;  // in the order the desktop puts them
  buttons.sort();
  EXPECT_EQ(buttons, (QStringList{"Skip all errors", "Skip this file", "Stop"}));
  for (const char* out : {"q-a.jpg", "q-c.jpg", "q-e.jpg"})
    EXPECT_TRUE(fs::exists(folder / out)) << out;
  EXPECT_FALSE(fs::exists(folder / "q-b.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-d.jpg"));

  BatchNote* note = window->LastBatchNote();
  ASSERT_NE(note, nullptr);
  EXPECT_TRUE(note->isVisible());
  EXPECT_FALSE(note->isModal());
  EXPECT_EQ(note->summary()->text(),
            QStringLiteral("3 pictures written to %1\n2 of 5 pictures failed:").arg(Q(folder)));
  const QString failures = note->failures()->toPlainText();
  EXPECT_TRUE(failures.startsWith("b.jpg: JPEG file is damaged: data ends early\nd.jpg: "))
      << failures.toStdString();
  EXPECT_EQ(Status(), QStringLiteral("2 of 5 pictures failed: b.jpg, d.jpg; 3 pictures written "
                                     "to %1")
                          .arg(Q(folder)));
  // The window is not held up by the note: the list answers while it is open.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(ListedNames(*window).contains("q-e.jpg"));
}

TEST_F(BatchEndTest, SkipAllErrorsAsksOnce) {
  NamedBoxAnswerer boxes({"FailureSkipAll"});
  RunQuality({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
  EXPECT_EQ(boxes.seen.size(), 1u);
  EXPECT_TRUE(fs::exists(folder / "q-e.jpg"));
  ASSERT_NE(window->LastBatchNote(), nullptr);
  EXPECT_EQ(window->LastBatchNote()->failures()->toPlainText().count(u'\n'), 1);
}

TEST_F(BatchEndTest, StopAtAnErrorRefreshesTheListAndKeepsTheSelection) {
  NamedBoxAnswerer boxes({QString()});  // Enter: the default, Stop
  RunQuality({"a.jpg", "b.jpg", "c.jpg"});
  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_TRUE(fs::exists(folder / "q-a.jpg"));
  EXPECT_FALSE(fs::exists(folder / "q-c.jpg"));
  // The file written shows at once, and the files chosen are still chosen, the bar gone.
  EXPECT_TRUE(ListedNames(*window).contains("q-a.jpg"));
  EXPECT_EQ(SelectedNames(*window), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_FALSE(window->ProgressBar1->isVisible());
  ASSERT_NE(window->LastBatchNote(), nullptr);
  EXPECT_EQ(window->LastBatchNote()->summary()->text(),
            QStringLiteral("Stopped after 1 of 3 pictures\n1 picture written to %1\n1 of 3 "
                           "pictures failed:")
                .arg(Q(folder)));
  EXPECT_TRUE(window->LastBatchNote()->failures()->toPlainText().startsWith("b.jpg: "));
}

TEST_F(BatchEndTest, TheNoteOpensTheFolderThePicturesWentTo) {
  std::vector<QUrl> opened;
  SetUrlOpener([&](const QUrl& url) {
    opened.push_back(url);
    return true;
  });
  window->Radio1->setItemIndex(1);  // into the subfolder
  NamedBoxAnswerer boxes({"FailureSkip"});
  RunQuality({"a.jpg", "b.jpg"});
  ASSERT_NE(window->LastBatchNote(), nullptr);
  EXPECT_EQ(window->LastBatchNote()->folder(), Q(folder / "vantro"));
  QTest::mouseClick(window->LastBatchNote()->openFolderButton(), Qt::LeftButton);
  SetUrlOpener(nullptr);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(Q(folder / "vantro")));
  // Closing it leaves the window as it was; the next batch ends with a note of its own.
  window->LastBatchNote()->closeButton()->click();
  QApplication::processEvents();
  EXPECT_EQ(window->LastBatchNote(), nullptr);
}

TEST_F(BatchEndTest, ACommandWithNothingSelectedSaysSoAndDoesNothing) {
  const QStringList before = window->RecentCaptions();
  window->FileListBox10->clearSelection();
  window->FileListBox10->setCurrentRow(0, QItemSelectionModel::NoUpdate);  // a row looks lit
  window->Button10->click();
  window->WaitForBatch();
  EXPECT_FALSE(window->BatchRunning());
  EXPECT_EQ(Status(), "Select one or more pictures in the list first.");
  EXPECT_EQ(QToolTip::text(), "Select one or more pictures in the list first.");
  EXPECT_FALSE(fs::exists(folder / "q-a.jpg"));
  // It ran on nothing, so its folder is not a recent one.
  EXPECT_EQ(window->RecentCaptions(), before);
  EXPECT_FALSE(window->RecentCaptions().contains(Q(folder)));
}

TEST_F(BatchEndTest, RecentFoldersShowEachFolderOnceAndOnlyWhereACommandWorked) {
  // A fresh profile: the home folder once, not five times.
  EXPECT_EQ(window->RecentCaptions().count(window->RecentCaptions().value(0)), 1);
  EXPECT_EQ(window->RecentCaptions().size(), 1);
  // A declined overwrite wrote nothing: no recent folder either.
  window->Radio1->setItemIndex(2);
  BoxAnswerer no({QMessageBox::Cancel});
  RunQuality({"a.jpg"});
  EXPECT_FALSE(window->RecentCaptions().contains(Q(folder)));
  window->Radio1->setItemIndex(0);
  RunQuality({"a.jpg"});
  EXPECT_EQ(window->RecentCaptions().value(0), Q(folder));
  EXPECT_EQ(window->RecentCaptions().size(), 2);
  RunQuality({"c.jpg"});
  EXPECT_EQ(window->RecentCaptions().size(), 2);
  EXPECT_EQ(Stored("Recent3"), "");
}

TEST_F(BatchEndTest, AfterABatchTheSameFilesStaySelectedByNameAndInView) {
  // Many files, the ones chosen at the end of the list; the outputs sort in before them.
  for (int i = 0; i < 60; ++i)
    WriteTestJpeg(folder / ("p" + std::to_string(100 + i) + ".jpg"), 8, 8, 1);
  WriteTestJpeg(folder / "zz-last.jpg", 20, 10, 2);
  window->Osvezi();
  SelectNames(*window, {"c.jpg", "zz-last.jpg"});
  window->FileListBox10->scrollToBottom();
  window->Button10->click();
  window->WaitForBatch();
  EXPECT_EQ(SelectedNames(*window), (QStringList{"c.jpg", "zz-last.jpg"}));
  ASSERT_NE(window->FileListBox10->currentItem(), nullptr);
  EXPECT_EQ(window->FileListBox10->currentItem()->text(), "zz-last.jpg");
  const QRect shown = window->FileListBox10->visualItemRect(window->FileListBox10->currentItem());
  EXPECT_TRUE(window->FileListBox10->viewport()->rect().contains(shown)) << shown.y();
}

TEST(BatchEndText, EveryEndReadsInTheLanguageGiven) {
  BatchResult result;
  result.selected = 45;
  result.processed = 12;
  result.outcome = BatchOutcome::Stopped;
  const auto english = [](int offset) { return EnglishText(offset); };
  BatchEndText text = DescribeBatchEnd(result, "/p", english);
  EXPECT_EQ(text.line, "Stopped after 12 of 45 pictures\n12 pictures written to /p");
  EXPECT_EQ(text.failures, "");
  result.outcome = BatchOutcome::Done;
  result.processed = 43;
  result.skipped = {{"x.jpg", "Stream read error"}, {"y.gif", "Invalid GIF signature"}};
  text = DescribeBatchEnd(result, "/p", english);
  EXPECT_EQ(text.line, "43 pictures written to /p\n2 of 45 pictures failed:");
  EXPECT_EQ(text.failures, "x.jpg: Stream read error\ny.gif: Invalid GIF signature");
  EXPECT_EQ(text.statusLine, "2 of 45 pictures failed: x.jpg, y.gif; 43 pictures written to /p");
  const auto german = [](int offset) { return LanguageText(3, offset); };
  EXPECT_EQ(DescribeBatchEnd(result, "/p", german).line,
            "43 Bilder gespeichert in /p\n2 von 45 Bildern fehlgeschlagen:");
}

}  // namespace
}  // namespace pixtrel::test
