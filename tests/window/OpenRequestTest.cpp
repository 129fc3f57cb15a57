// Opening from outside: the command line (a folder; files of one format; a mix; a missing file;
// files of two folders; the desktop actions' --tab) and files or a folder dropped on the list.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <fstream>

#include "app/FileListBox.h"
#include "app/OpenRequest.h"
#include "app/PageControl.h"
#include "tests/window/WindowTestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

void Touch(const fs::path& file) {
  std::ofstream out(file);
}

class OpenRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    other = environment.makeFolder("other");
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.gif", "e.gif", "f.bmp", "notes.txt",
                             "h.png", "i.webp", "j.heic", "k.AVIF"})
      Touch(folder / name);
    Touch(other / "g.jpg");
    Store("preview", "0");
    window = StartWindow();
    ASSERT_EQ(window->PageControl1->currentIndex(), TForm1::TabAbout);
  }

  QString Path(const char* name) const { return Q(folder / name); }
  QString Folder() const { return Q(fs::canonical(folder)); }

  WindowEnvironment environment;
  fs::path folder, other;
  std::unique_ptr<TForm1> window;
};

TEST_F(OpenRequestTest, AFolderOpensTheWindowThereWithNothingSelected) {
  BoxAnswerer answers({});
  window->OpenPaths({Q(folder)});
  EXPECT_EQ(window->Folder(), Folder());
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabAbout);
  EXPECT_EQ(ListedNames(*window), QStringList({"a.jpg", "b.JPG", "d.gif", "e.gif", "f.bmp"}));
  EXPECT_TRUE(SelectedNames(*window).isEmpty());
  EXPECT_TRUE(answers.seen.empty());
}

TEST_F(OpenRequestTest, FilesOfOneFormatAreSelectedOnTheirResizeTab) {
  BoxAnswerer answers({});
  window->OpenPaths({Path("e.gif"), Path("d.gif")});
  EXPECT_EQ(window->Folder(), Folder());
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabGif);
  EXPECT_EQ(window->FileListBox10->mask(), "*.gif");
  EXPECT_EQ(SelectedNames(*window), QStringList({"d.gif", "e.gif"}));
  EXPECT_EQ(window->FileListBox10->currentItem()->text(), "d.gif");  // the last one given

  window->OpenPaths({Path("c.jpeg"), Path("b.JPG")});
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabJpg);
  EXPECT_EQ(SelectedNames(*window), QStringList({"b.JPG", "c.jpeg"}));

  window->OpenPaths({Path("f.bmp")});
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabBmp);
  EXPECT_EQ(SelectedNames(*window), QStringList({"f.bmp"}));
  EXPECT_TRUE(answers.seen.empty());
}

TEST_F(OpenRequestTest, AMixOfFormatsOpensTheRotateTab) {
  window->OpenPaths({Path("a.jpg"), Path("f.bmp"), Path("d.gif")});
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabRotate);
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg", "d.gif", "f.bmp"}));
}

TEST_F(OpenRequestTest, PngWebpHeicAndAvifOpenOnTheTabThatTakesThem) {
  const struct {
    QStringList given;
    int tab;
    QStringList selected;
  } cases[] = {
      {{"h.png"}, TForm1::TabPng, {"h.png"}},
      {{"i.webp"}, TForm1::TabWebp, {"i.webp"}},
      // Written too: on their own resize tabs, or turned on the Rotate tab.
      {{"k.AVIF"}, TForm1::TabConvertTo + 2, {"k.AVIF"}},
      {{"j.heic"}, TForm1::TabConvertTo + 3, {"j.heic"}},
      {{"a.jpg", "j.heic"}, TForm1::TabRotate, {"a.jpg", "j.heic"}},
      // Formats Pixtrel also writes: turned on the Rotate tab.
      {{"h.png", "a.jpg", "i.webp"}, TForm1::TabRotate, {"a.jpg", "h.png", "i.webp"}},
  };
  BoxAnswerer answers({});
  for (const auto& c : cases) {
    QStringList paths;
    for (const QString& name : c.given)
      paths.append(Path(name.toUtf8().constData()));
    window->OpenPaths(paths);
    EXPECT_EQ(window->PageControl1->currentIndex(), c.tab) << c.given.join(' ').toStdString();
    EXPECT_EQ(SelectedNames(*window), c.selected) << c.given.join(' ').toStdString();
  }
  EXPECT_TRUE(answers.seen.empty());
}

TEST_F(OpenRequestTest, DesktopActionsLeaveOutWhatTheirTabCannotTake) {
  // Resize: the first file's format; the others are not listed there.
  window->OpenPaths({Path("j.heic"), Path("h.png"), Path("a.jpg")}, OpenJob::Resize);
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabConvertTo + 3);
  EXPECT_EQ(SelectedNames(*window), QStringList({"j.heic"}));

  window->OpenPaths({Path("j.heic"), Path("i.webp"), Path("d.gif")}, OpenJob::Rotate);
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabRotate);
  EXPECT_EQ(SelectedNames(*window), QStringList({"d.gif", "i.webp", "j.heic"}));
}

TEST_F(OpenRequestTest, AMissingFileIsToldAndTheRestStillOpens) {
  BoxAnswerer answers({QMessageBox::Ok});
  window->OpenPaths({Path("gone.jpg"), Path("a.jpg"), Path("notes.txt")});
  ASSERT_EQ(answers.seen.size(), 1u);
  EXPECT_EQ(answers.seen[0].title, "Pixtrel");
  EXPECT_EQ(answers.seen[0].icon, QMessageBox::Critical);
  EXPECT_EQ(answers.seen[0].text,
            "Cannot open file " + Path("gone.jpg") +
                ": No such file or directory\nCannot open file " + Path("notes.txt") +
                ": not a JPG, PNG, WebP, GIF, BMP, HEIC, AVIF or JPEG XL picture.");
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->Folder(), Folder());
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabJpg);
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg"}));
}

TEST_F(OpenRequestTest, OnlyMissingFilesLeaveTheWindowWhereItWas) {
  const QString before = window->Folder();
  BoxAnswerer answers({QMessageBox::Ok});
  window->OpenPaths({Path("gone.jpg")});
  ASSERT_EQ(answers.seen.size(), 1u);
  EXPECT_EQ(window->Folder(), before);
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabAbout);
}

TEST_F(OpenRequestTest, FilesOfTwoFoldersOpenTheFirstFileFolderAndTellTheOthers) {
  BoxAnswerer answers({QMessageBox::Ok});
  window->OpenPaths({Path("a.jpg"), Q(other / "g.jpg"), Path("b.JPG")});
  EXPECT_EQ(window->Folder(), Folder());
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg", "b.JPG"}));
  ASSERT_EQ(answers.seen.size(), 1u);
  EXPECT_TRUE(answers.seen[0].text.contains("g.jpg")) << answers.seen[0].text.toStdString();
}

TEST_F(OpenRequestTest, DesktopActionsChooseTheTab) {
  window->OpenPaths({Path("a.jpg"), Path("d.gif")}, OpenJob::Rotate);
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabRotate);
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg", "d.gif"}));

  // Resize: the first file's format; the GIF tab does not list the JPEG.
  window->OpenPaths({Path("d.gif"), Path("a.jpg"), Path("e.gif")}, OpenJob::Resize);
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabGif);
  EXPECT_EQ(SelectedNames(*window), QStringList({"d.gif", "e.gif"}));
}

TEST(OpenArguments, HelpAndVersionAreForTheTerminal) {
  EXPECT_EQ(TerminalRequestOf({"pixtrel"}), TerminalRequest::None);
  EXPECT_EQ(TerminalRequestOf({"pixtrel", "a.jpg"}), TerminalRequest::None);
  EXPECT_EQ(TerminalRequestOf({"pixtrel", "--help"}), TerminalRequest::Help);
  EXPECT_EQ(TerminalRequestOf({"pixtrel", "a.jpg", "-h"}), TerminalRequest::Help);
  EXPECT_EQ(TerminalRequestOf({"pixtrel", "--version"}), TerminalRequest::Version);
  // A tab named "--help", or names after "--", are no options.
  EXPECT_EQ(TerminalRequestOf({"pixtrel", "--tab", "--help"}), TerminalRequest::None);
  EXPECT_EQ(TerminalRequestOf({"pixtrel", "--", "--version"}), TerminalRequest::None);
  EXPECT_TRUE(UsageText().startsWith("Usage: pixtrel "));
}

TEST(OpenArguments, TheCommandLineGivesPathsAndTheTabOption) {
  const OpenArguments plain = ParseOpenArguments({"pixtrel"});
  EXPECT_TRUE(plain.paths.isEmpty());
  EXPECT_EQ(plain.job, OpenJob::Any);
  EXPECT_TRUE(plain.problems.isEmpty());

  const OpenArguments resize = ParseOpenArguments({"pixtrel", "--tab", "resize", "a.jpg", "b"});
  EXPECT_EQ(resize.paths, QStringList({"a.jpg", "b"}));
  EXPECT_EQ(resize.job, OpenJob::Resize);
  EXPECT_EQ(ParseOpenArguments({"pixtrel", "--tab", "rotate"}).job, OpenJob::Rotate);

  // After "--" everything is a path, also a name that starts with dashes.
  const OpenArguments dashes = ParseOpenArguments({"pixtrel", "--", "--tab", "-x.jpg"});
  EXPECT_EQ(dashes.paths, QStringList({"--tab", "-x.jpg"}));
  EXPECT_EQ(dashes.job, OpenJob::Any);

  const OpenArguments wrong = ParseOpenArguments({"pixtrel", "--tab", "blur", "--zoom", "a.jpg"});
  EXPECT_EQ(wrong.paths, QStringList({"a.jpg"}));
  EXPECT_EQ(wrong.job, OpenJob::Any);
  EXPECT_EQ(wrong.problems,
            QStringList({"Unknown tab \"blur\" (resize or rotate); the window opens as usual",
                         "Unknown option --zoom"}));
}

// A drop as the file manager gives it: local file addresses, copy proposed.
QMimeData* Dragged(const QStringList& paths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& path : paths)
    urls.append(QUrl::fromLocalFile(path));
  data->setUrls(urls);
  return data;
}

TEST_F(OpenRequestTest, DroppedFilesOrAFolderOpenAsFromTheCommandLine) {
  QWidget* target = window->FileListBox10->viewport();
  const QPoint at = target->rect().center();
  {
    std::unique_ptr<QMimeData> data(Dragged({Path("a.jpg"), Path("c.jpeg")}));
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);  // never a move: the files stay put
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
  }
  EXPECT_EQ(window->Folder(), Folder());
  EXPECT_EQ(window->PageControl1->currentIndex(), TForm1::TabJpg);
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg", "c.jpeg"}));
  EXPECT_TRUE(fs::exists(folder / "a.jpg"));

  {
    std::unique_ptr<QMimeData> data(Dragged({Q(other)}));
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
  }
  EXPECT_EQ(window->Folder(), Q(fs::canonical(other)));
  EXPECT_EQ(ListedNames(*window), QStringList({"g.jpg"}));
}

TEST_F(OpenRequestTest, TextAndWebAddressesAreNotTakenByTheList) {
  const QString before = window->Folder();
  QWidget* target = window->FileListBox10->viewport();
  QMimeData text;
  text.setText(Path("a.jpg"));
  QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &text, Qt::LeftButton,
                        Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  EXPECT_FALSE(enter.isAccepted());

  QMimeData web;
  web.setUrls({QUrl("https://pixtrel.example/a.jpg")});
  QDropEvent drop(target->rect().center(), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  EXPECT_FALSE(drop.isAccepted());
  EXPECT_EQ(window->Folder(), before);
}

}  // namespace
}  // namespace pixtrel::test
