// The "Resize & convert" tab: every control stored as it changes and back at the next start,
// presets saved, loaded and deleted (the built-in ones refused) in the folder pixtrel-batch reads,
// the line that tells what the focused file becomes, a run over three files with one damaged and
// its summary, the question before writing over the sources, every control reached by the
// keyboard, and the tab in another language.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <map>
#include <set>

#include "app/FileListBox.h"
#include "app/PageControl.h"
#include "app/PresetBox.h"
#include "app/ProcessPage.h"
#include "app/SummaryDialog.h"
#include "batch/Preset.h"
#include "cli/ProcessLine.h"
#include "codecs/Registry.h"
#include "io/FileBytes.h"
#include "languages/LanguageTable.h"
#include "tests/window/FormatPictures.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/Links.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

const QString kOverwriteQuestion =
    "All the original files will be overwritten!! Are you sure you want to do this?";

void Choose(QComboBox* box, const QString& key) {
  const int index = box->findData(key);
  ASSERT_GE(index, 0) << key.toStdString();
  box->setCurrentIndex(index);
}

// Every file under folder, by its path relative to it.
std::map<std::string, Bytes> FilesUnder(const fs::path& folder) {
  std::map<std::string, Bytes> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file())
      files[fs::relative(entry.path(), folder).string()] = ReadFileBytes(entry.path());
  }
  return files;
}

// The page's options as pixtrel-batch process takes them.
std::vector<std::string> CommandLine(const ProcessPage& page) {
  std::vector<std::string> args = {"process", "-q"};
  for (const auto& [name, value] : page.options())
    args.push_back("--" + name + "=" + value);
  return args;
}

class ProcessTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = environment.makeFolder("pictures");
    Store("Start", Q(folder));
    Store("preview", "0");
  }

  std::unique_ptr<TForm1> Start() {
    auto window = StartWindow();
    ClickTab(*window, TForm1::TabConvertTo);
    return window;
  }

  static void ChoosePreset(ProcessPage& page, const QString& name) {
    QComboBox* box = page.presets->choice;
    const int index = box->findData(name);
    ASSERT_GE(index, 0) << name.toStdString();
    box->setCurrentIndex(index);
    emit box->activated(index);  // as the user's pick
  }

  WindowEnvironment environment;
  fs::path folder;
};

TEST_F(ProcessTabTest, EveryControlIsStoredAsItChangesAndComesBackAtTheNextStart) {
  const ProcessPage::Options chosen = {
      {"size", "fit:640x480"},   {"shrink-only", "yes"},        {"method", "better"},
      {"turn", "flip-h"},        {"ignore-orientation", "yes"}, {"to", "webp"},
      {"quality", "70"},         {"lossless", "yes"},           {"progressive", "yes"},
      {"optimise", "yes"},       {"background", "#336699"},     {"sharpen", "light"},
      {"metadata", "strip-gps"}, {"keep-date", "yes"},          {"out", "small"},
      {"name", "{name}-{w}"},    {"existing", "skip"}};
  {
    auto window = Start();
    ProcessPage& page = *window->ProcessTab;
    ChoosePreset(page, "Web");  // then changed: the preset stays named, for {preset}
    EXPECT_EQ(Stored("Process/preset"), "Web");
    // Each control set as the user sets it.
    page.sizeMode->setCurrentIndex(5);  // fit in a box
    page.sizeFirst->setValue(640);
    page.sizeSecond->setValue(480);
    page.shrinkOnly->setChecked(true);
    Choose(page.method, "better");
    Choose(page.turn, "flip-h");
    page.ignoreTag->setChecked(true);
    Choose(page.format, "webp");
    page.quality->setValue(70);
    page.lossless->setChecked(true);
    page.progressive->setChecked(true);
    page.optimise->setChecked(true);
    page.setOption("background", "#336699");  // the colour dialog's answer
    Choose(page.sharpen, "light");
    Choose(page.metadata, "strip-gps");
    page.keepDate->setChecked(true);
    page.outFolder->setText("small");
    page.nameTemplate->setText("{name}-{w}");
    Choose(page.existing, "skip");
    // Stored at once, not only when the window closes.
    for (const auto& [name, value] : chosen) {
      EXPECT_EQ(Stored(QStringLiteral("Process/") + QString::fromStdString(name)),
                QString::fromStdString(value))
          << name;
    }
    EXPECT_EQ(page.options(), chosen);
    // The job the run gets reads them as pixtrel-batch does.
    const ProcessJob job = page.job();
    EXPECT_EQ(job.size.kind, SizeRule::Kind::Fit);
    EXPECT_EQ(job.size.a, 640);
    EXPECT_EQ(job.size.b, 480);
    EXPECT_EQ(job.turn, TurnStep::FlipH);
    EXPECT_FALSE(job.upright);
    EXPECT_EQ(job.to, "webp");
    EXPECT_EQ(job.background, 0x336699u);
    EXPECT_EQ(job.existing, ExistingChoice::Skip);
    EXPECT_EQ(job.metadata, MetadataMode::StripGps);
    window->close();
  }
  auto window = Start();
  ProcessPage& page = *window->ProcessTab;
  EXPECT_EQ(page.options(), chosen);  // the preset's own options not applied again
  EXPECT_EQ(page.presets->current(), "Web");
  EXPECT_EQ(page.job().preset, "Web");
  EXPECT_EQ(page.sizeMode->currentIndex(), 5);
  EXPECT_TRUE(page.sizeSecond->isVisible());
  EXPECT_EQ(page.format->currentText(), "WebP");
  EXPECT_EQ(page.metadata->currentText(), "Remove GPS and location only");
  EXPECT_EQ(page.nameTemplate->text(), "{name}-{w}");
  EXPECT_TRUE(page.background->toolTip().contains("#336699"));
}

TEST_F(ProcessTabTest, TheFormatStartsAtTheConvertToChoiceAndTextsThatCannotBeReadAreLeftOut) {
  {
    // Before the tab stored a format of its own: the one the "Convert to" tab kept.
    Store("convert.to", "png");
    auto window = Start();
    EXPECT_EQ(window->ProcessTab->format->currentData().toString(), "png");
  }
  {
    WindowEnvironment fresh;
    Store("convert.to", "png");
    Store("Process/to", "bmp");
    Store("Process/size", "long:1200");
    auto window = Start();
    EXPECT_EQ(window->ProcessTab->format->currentData().toString(), "bmp");
    EXPECT_EQ(window->ProcessTab->sizeFirst->value(), 1200);
  }
  WindowEnvironment fresh;
  Store("convert.to", "png");
  Store("Process/to", "tiff");  // not a format
  Store("Process/size", "huge:3");
  Store("Process/quality", "101");
  Store("Process/lossless", "maybe");
  Store("Process/background", "#12345");
  Store("Process/existing", "");
  auto window = Start();
  const ProcessPage::Options options = window->ProcessTab->options();
  const std::map<std::string, std::string> read(options.begin(), options.end());
  EXPECT_EQ(read.at("to"), "jpg");
  EXPECT_EQ(read.at("size"), "none");
  EXPECT_EQ(read.at("quality"), "89");
  EXPECT_EQ(read.at("lossless"), "no");
  EXPECT_EQ(read.at("background"), "#FFFFFF");
  EXPECT_EQ(read.at("existing"), "number");
}

TEST_F(ProcessTabTest, PresetsAreSavedLoadedAndDeletedWhereWindowAndPixtrelBatchKeepThem) {
  // The same folder as pixtrel-batch's, with and without XDG_CONFIG_HOME.
  EXPECT_EQ(WindowPresetFolder(), cli::PresetFolder());
  EXPECT_EQ(WindowPresetFolder(), environment.config() / "pixtrel" / "presets");
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(WindowPresetFolder(), cli::PresetFolder());
  EXPECT_EQ(WindowPresetFolder(),
            fs::canonical(environment.home()) / ".config" / "pixtrel" / "presets");
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(environment.config().string()));
  const fs::path twin = environment.makeFolder("twin");
  WriteFormatPicture(folder / "a.jpg", 64, 48, 1);
  fs::copy_file(folder / "a.jpg", twin / "a.jpg");

  auto window = Start();
  ProcessPage& page = *window->ProcessTab;
  PresetBox& presets = *page.presets;
  EXPECT_EQ(presets.current(), "");
  EXPECT_FALSE(presets.remove->isEnabled());
  page.sizeMode->setCurrentIndex(1);  // the longer side
  page.sizeFirst->setValue(1000);
  Choose(page.format, "png");

  // Saved under the name typed into the question Save asks.
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->objectName(), "PresetNameDialog");
    EXPECT_EQ(dialog->labelText(), "Name of the preset:");
    dialog->setTextValue("My web");
    dialog->accept();
  });
  QTest::mouseClick(presets.save, Qt::LeftButton);
  EXPECT_EQ(presets.current(), "My web");
  EXPECT_TRUE(presets.remove->isEnabled());
  EXPECT_TRUE(fs::exists(PresetStore(cli::PresetFolder()).fileOf("My web")));
  EXPECT_EQ(page.job().preset, "My web");  // for {preset}
  RunResult listed = RunBatchTool({"presets"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_NE(listed.out.find("My web: --size=long:1000 --shrink-only=no --method=fast"),
            std::string::npos)
      << listed.out;
  EXPECT_NE(listed.out.find("--to=png"), std::string::npos) << listed.out;
  // pixtrel-batch process --preset with it writes what the window writes.
  SelectNames(*window, {"a.jpg"});
  QTest::mouseClick(window->Button17, Qt::LeftButton);
  window->WaitForBatch();
  const RunResult tool = RunBatchTool({"process", "-q", "--preset", "My web", "a.jpg"}, twin);
  ASSERT_EQ(tool.exitCode, 0) << tool.err;
  ASSERT_TRUE(fs::exists(folder / "a.png"));
  EXPECT_EQ(ReadFileBytes(folder / "a.png"), ReadFileBytes(twin / "a.png"));

  // A built-in preset sets what it names, the rest back at the first values.
  page.keepDate->setChecked(true);
  ChoosePreset(page, "Email");
  EXPECT_EQ(presets.choice->currentText(), "Email");
  std::map<std::string, std::string> now;
  for (const auto& [name, value] : page.options())
    now[name] = value;
  EXPECT_EQ(now["size"], "long:1600");
  EXPECT_EQ(now["to"], "jpg");
  EXPECT_EQ(now["quality"], "85");
  EXPECT_EQ(now["metadata"], "strip-gps");
  EXPECT_EQ(now["keep-date"], "no");
  EXPECT_EQ(Stored("Process/quality"), "85");
  EXPECT_FALSE(presets.remove->isEnabled());  // built-in presets cannot be deleted...
  {
    BoxAnswerer answers({QMessageBox::Ok});
    EXPECT_FALSE(presets.deleteCurrent());
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text,
              "The preset Email comes with Pixtrel and cannot be changed or deleted.");
  }
  {
    BoxAnswerer answers({QMessageBox::Ok});  // ...nor overwritten
    EXPECT_FALSE(presets.saveAs("Email"));
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_FALSE(fs::exists(PresetStore(cli::PresetFolder()).fileOf("Email")));
  }

  // The saved one comes back.
  ChoosePreset(page, "My web");
  EXPECT_EQ(page.sizeMode->currentIndex(), 1);
  EXPECT_EQ(page.sizeFirst->value(), 1000);
  EXPECT_EQ(page.format->currentData().toString(), "png");
  EXPECT_EQ(page.quality->value(), 89);

  // Deleted after asking: No keeps it, Yes deletes it.
  {
    BoxAnswerer answers({QMessageBox::No});
    QTest::mouseClick(presets.remove, Qt::LeftButton);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, "Delete the preset My web?");
    EXPECT_TRUE(fs::exists(PresetStore(cli::PresetFolder()).fileOf("My web")));
  }
  {
    BoxAnswerer answers({QMessageBox::Yes});
    QTest::mouseClick(presets.remove, Qt::LeftButton);
    ASSERT_EQ(answers.seen.size(), 1u);
  }
  EXPECT_FALSE(fs::exists(PresetStore(cli::PresetFolder()).fileOf("My web")));
  EXPECT_EQ(presets.current(), "");
  EXPECT_EQ(Stored("Process/preset"), "");
  EXPECT_EQ(presets.choice->findData("My web"), -1);
  listed = RunBatchTool({"presets"});
  EXPECT_EQ(listed.out.find("My web"), std::string::npos) << listed.out;

  // A preset written for pixtrel-batch by hand is offered too, and read the same way.
  PresetStore(cli::PresetFolder()).save({"Tiny", {{"size", "percent:10"}, {"turn", "left"}}});
  presets.reload();
  ChoosePreset(page, "Tiny");
  EXPECT_EQ(page.sizePercent->value(), 10);
  EXPECT_TRUE(page.sizePercent->isVisible());
  EXPECT_FALSE(page.sizeFirst->isVisible());
  EXPECT_EQ(page.turn->currentData().toString(), "left");
}

TEST_F(ProcessTabTest, TheLineTellsWhatTheFocusedFileBecomesFromItsHeader) {
  WriteFormatPicture(folder / "a.jpg", 64, 48, 1, true);  // to be turned right: 48 x 64 upright
  WriteFormatPicture(folder / "b.png", 40, 30, 2);
  auto window = Start();
  ProcessPage& page = *window->ProcessTab;
  const auto line = [&] { return page.focusedLine->text(); };
  SelectNames(*window, {"a.jpg"});
  // JPEG to JPEG beside the source: "a.jpg" is there already, so the run numbers it.
  EXPECT_EQ(line(), "→ a (2).jpg, 48 × 64 pixels");
  page.sizeMode->setCurrentIndex(1);
  page.sizeFirst->setValue(32);
  EXPECT_EQ(line(), "→ a (2).jpg, 24 × 32 pixels");
  Choose(page.format, "png");
  EXPECT_EQ(line(), "→ a.png, 24 × 32 pixels");
  page.outFolder->setText("web");
  page.nameTemplate->setText("{name}-{w}x{h}-from-{W}x{H}");
  EXPECT_EQ(line(), "→ web/a-24x32-from-48x64.png, 24 × 32 pixels");
  Choose(page.turn, "right");
  EXPECT_EQ(line(), "→ web/a-32x24-from-48x64.png, 32 × 24 pixels");
  page.ignoreTag->setChecked(true);  // as stored, then turned
  EXPECT_EQ(line(), "→ web/a-24x32-from-64x48.png, 24 × 32 pixels");
  page.sizeMode->setCurrentIndex(8);  // fit on a canvas of 100 x 50
  page.sizeFirst->setValue(100);
  page.sizeSecond->setValue(50);
  EXPECT_EQ(line(), "→ web/a-100x50-from-64x48.png, 100 × 50 pixels");

  // Its number among the selected files, for {n}.
  page.sizeMode->setCurrentIndex(0);
  page.nameTemplate->setText("{n:2}-{name}");
  SelectNames(*window, {"a.jpg", "b.png"});
  EXPECT_EQ(line(), "→ web/02-b.png, 30 × 40 pixels");  // turned right
  // In another folder named in full; one that is there already is numbered.
  const fs::path elsewhere = environment.makeFolder("elsewhere");
  WriteBytes(elsewhere / "02-b.png", Bytes{1});
  page.outFolder->setText(Q(elsewhere));
  EXPECT_EQ(line(), "→ " + Q(elsewhere / "02-b (2).png") + ", 30 × 40 pixels");

  // What the run would refuse is said here first.
  page.nameTemplate->setText("{nope}");
  EXPECT_TRUE(line().contains("name template")) << line().toStdString();
  page.nameTemplate->setText("../{name}");
  EXPECT_TRUE(line().contains("leaves the output folder")) << line().toStdString();
  window->FileListBox10->clearSelection();
  window->FileListBox10->setCurrentItem(nullptr);
  EXPECT_EQ(line(), "");
}

TEST_F(ProcessTabTest, ARunOverThreeFilesWithOneDamagedWritesTheOthersAndSumsUp) {
  const fs::path twin = environment.makeFolder("twin");
  WriteFormatPicture(folder / "a.jpg", 64, 48, 1, true);
  WriteBytes(folder / "b.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00});  // cut off after its start
  WriteFormatPicture(folder / "c.png", 40, 30, 2);
  for (const char* name : {"a.jpg", "b.jpg", "c.png"})
    fs::copy_file(folder / name, twin / name);
  std::vector<QUrl> opened;
  SetUrlOpener([&](const QUrl& url) {
    opened.push_back(url);
    return true;
  });

  auto window = Start();
  ProcessPage& page = *window->ProcessTab;
  page.sizeMode->setCurrentIndex(1);
  page.sizeFirst->setValue(20);
  Choose(page.format, "png");
  Choose(page.sharpen, "medium");
  page.outFolder->setText("small");
  page.nameTemplate->setText("{n}-{name}-{w}");
  SelectNames(*window, {"a.jpg", "b.jpg", "c.png"});
  BoxAnswerer answers({});
  QTest::mouseClick(window->Button17, Qt::LeftButton);
  EXPECT_TRUE(window->IsBusy());
  EXPECT_FALSE(window->Button17->isEnabled());  // locked as for the other commands
  window->WaitForBatch();
  QApplication::processEvents();
  EXPECT_TRUE(answers.seen.empty());  // a failing file does not stop the run to ask
  EXPECT_TRUE(window->Button17->isEnabled());
  EXPECT_FALSE(window->ProgressBar1->isVisible());

  const std::map<std::string, Bytes> written = FilesUnder(folder / "small");
  EXPECT_EQ(written.size(), 2u);
  EXPECT_TRUE(written.count("1-a-15.png"));  // 48 x 64 upright: 15 x 20
  EXPECT_TRUE(written.count("3-c-20.png"));
  // The same bytes as pixtrel-batch writes with the same options.
  std::vector<std::string> args = CommandLine(page);
  args.insert(args.end(), {"a.jpg", "b.jpg", "c.png"});
  const RunResult tool = RunBatchTool(args, twin);
  EXPECT_EQ(tool.exitCode, 1) << tool.err;  // one file failed
  EXPECT_TRUE(written == FilesUnder(twin / "small")) << "the window and pixtrel-batch differ";

  // The summary: counts, bytes, time, the failure with its message, the folder to open.
  SummaryDialog* summary = window->LastSummary();
  ASSERT_NE(summary, nullptr);
  EXPECT_TRUE(summary->isVisible());
  EXPECT_FALSE(summary->isModal());
  const QString lines = summary->lines()->text();
  EXPECT_TRUE(lines.startsWith("2 written, 0 skipped, 1 failed\n")) << lines.toStdString();
  EXPECT_TRUE(lines.contains(" read, ")) << lines.toStdString();
  EXPECT_TRUE(lines.contains("Time: ")) << lines.toStdString();
  const QString files = summary->files()->toPlainText();
  EXPECT_TRUE(files.startsWith("Failed:\n  b.jpg: ")) << files.toStdString();
  EXPECT_FALSE(files.contains("a.jpg")) << files.toStdString();
  EXPECT_EQ(summary->folder(), Q(folder / "small"));
  QTest::mouseClick(summary->openFolderButton(), Qt::LeftButton);
  SetUrlOpener(nullptr);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(Q(folder / "small")));
  // The status bar as after the other commands; the same files still selected.
  EXPECT_TRUE(window->StatusPanel3->text().contains("1 of 3 pictures failed: b.jpg"))
      << window->StatusPanel3->text().toStdString();
  EXPECT_EQ(SelectedNames(*window), QStringList({"a.jpg", "b.jpg", "c.png"}));

  // A second run with the files there already: numbered, then skipped when asked.
  QTest::mouseClick(window->Button17, Qt::LeftButton);
  window->WaitForBatch();
  EXPECT_TRUE(fs::exists(folder / "small" / "1-a-15 (2).png"));
  Choose(page.existing, "skip");
  QTest::mouseClick(window->Button17, Qt::LeftButton);
  window->WaitForBatch();
  ASSERT_NE(window->LastSummary(), nullptr);
  EXPECT_TRUE(window->LastSummary()->lines()->text().startsWith("0 written, 2 skipped, 1 failed"));
  EXPECT_TRUE(window->LastSummary()->files()->toPlainText().contains("Skipped:\n  a.jpg: "));
}

TEST_F(ProcessTabTest, WritingOverTheSourcesIsAskedFirst) {
  WriteFormatPicture(folder / "a.jpg", 64, 48, 1);
  const Bytes before = ReadFileBytes(folder / "a.jpg");
  auto window = Start();
  ProcessPage& page = *window->ProcessTab;
  page.sizeMode->setCurrentIndex(1);
  page.sizeFirst->setValue(16);
  Choose(page.format, "keep");
  Choose(page.existing, "overwrite");
  SelectNames(*window, {"a.jpg"});
  {
    BoxAnswerer answers({QMessageBox::Cancel});
    QTest::mouseClick(window->Button17, Qt::LeftButton);
    window->WaitForBatch();
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].text, kOverwriteQuestion);
  }
  EXPECT_EQ(ReadFileBytes(folder / "a.jpg"), before);
  EXPECT_EQ(window->LastSummary(), nullptr);
  {
    BoxAnswerer answers({QMessageBox::Ok});
    QTest::mouseClick(window->Button17, Qt::LeftButton);
    window->WaitForBatch();
    ASSERT_EQ(answers.seen.size(), 1u);
  }
  EXPECT_NE(ReadFileBytes(folder / "a.jpg"), before);
  ASSERT_NE(window->LastSummary(), nullptr);
  EXPECT_TRUE(window->LastSummary()->lines()->text().startsWith("1 written, 0 skipped, 0 failed"));
  // Into another folder nothing is overwritten, so nothing is asked.
  page.outFolder->setText("copies");
  BoxAnswerer none({});
  QTest::mouseClick(window->Button17, Qt::LeftButton);
  window->WaitForBatch();
  EXPECT_TRUE(none.seen.empty());
  EXPECT_TRUE(fs::exists(folder / "copies" / "a.jpg"));
}

TEST_F(ProcessTabTest, StopEndsTheRunAfterTheFilesInHandAndClosingWaitsForIt) {
  QStringList names;
  for (int i = 0; i < 20; ++i) {
    const QString name = QStringLiteral("p%1.jpg").arg(10 + i);
    WriteFormatPicture(folder / name.toStdString(), 320, 240, static_cast<unsigned>(i + 1));
    names.append(name);
  }
  auto window = Start();
  window->SetBatchJobs(1);
  Choose(window->ProcessTab->format, "png");
  Choose(window->ProcessTab->sharpen, "medium");
  SelectNames(*window, names);
  QTest::mouseClick(window->Button17, Qt::LeftButton);
  ASSERT_TRUE(window->StopButton->isVisible());
  QTest::mouseClick(window->StopButton, Qt::LeftButton);
  window->WaitForBatch();
  int written = 0;
  for (const QString& name : names)
    written += fs::exists(folder / (QFileInfo(name).completeBaseName() + ".png").toStdString());
  EXPECT_LT(written, 20);
  ASSERT_NE(window->LastSummary(), nullptr);
  const QString lines = window->LastSummary()->lines()->text();
  EXPECT_TRUE(lines.startsWith(
      QStringLiteral("Stopped after %1 of 20 pictures\n%1 written, ").arg(written)))
      << lines.toStdString();
  EXPECT_TRUE(window->StatusPanel3->text().startsWith("Stopped after")) << written;
  EXPECT_FALSE(window->StopButton->isVisible());

  // Closed while running: the run stops, then the window closes.
  QTest::mouseClick(window->Button17, Qt::LeftButton);
  EXPECT_TRUE(window->IsBusy());
  window->close();
  EXPECT_TRUE(window->isVisible());
  window->WaitForBatch();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(ProcessTabTest, EveryControlIsReachedByTheKeyboardAndScrolledIntoView) {
  auto window = Start();
  ProcessPage& page = *window->ProcessTab;
  ChoosePreset(page, "Web");          // WebP: lossless shown
  page.sizeMode->setCurrentIndex(5);  // a box: both numbers shown
  page.presets->saveAs("Mine");       // a preset of the user's: Delete enabled
  ASSERT_TRUE(page.lossless->isVisible());
  window->FocusTabStart();
  QApplication::processEvents();
  // The named control a focused widget belongs to (a spin box's line edit is part of it).
  const auto owner = [](QWidget* widget) -> QString {
    for (; widget; widget = widget->parentWidget()) {
      const QString name = widget->objectName();
      if (name.startsWith("Process") || name == "ComboBox1" || name == "Button17") return name;
    }
    return QString();
  };
  auto* scroll = page.findChild<QScrollArea*>("ProcessScroll");
  ASSERT_NE(scroll, nullptr);
  std::set<QString> reached;
  QStringList order;  // as first reached
  for (int i = 0; i < 60; ++i) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    const QString name = owner(focused);
    if (!name.isEmpty()) {
      if (reached.insert(name).second) order.append(name);
      if (scroll->widget()->isAncestorOf(focused)) {
        // The control the keys are in is in view.
        const QRect at(focused->mapTo(scroll->viewport(), QPoint(0, 0)), focused->size());
        EXPECT_TRUE(scroll->viewport()->rect().contains(at))
            << name.toStdString() << " at " << at.top() << ".." << at.bottom() << " of "
            << scroll->viewport()->height();
      }
    }
    QTest::keyClick(focused, Qt::Key_Tab);
  }
  // Every control shown, in the order they stand on the page, top to bottom.
  EXPECT_EQ(order, QStringList({"ProcessPreset",       "ProcessPresetSave",
                                "ProcessPresetDelete", "ProcessSize",
                                "ProcessSizeA",        "ProcessSizeB",
                                "ProcessShrinkOnly",   "ProcessMethod",
                                "ProcessTurn",         "ProcessIgnoreOrientation",
                                "ComboBox1",           "ProcessQuality",
                                "ProcessLossless",     "ProcessBackground",
                                "ProcessSharpen",      "ProcessMetadata",
                                "ProcessKeepDate",     "ProcessOut",
                                "ProcessBrowse",       "ProcessName",
                                "ProcessExisting",     "Button17"}))
      << order.join(", ").toStdString();
  // Each label leads to its control.
  for (QLabel* label : page.findChildren<QLabel*>()) {
    if (label->objectName().endsWith("Label") && label->objectName() != "ProcessPresetLabel") {
      EXPECT_NE(label->buddy(), nullptr) << label->objectName().toStdString();
    }
  }
}

TEST_F(ProcessTabTest, TheTabSpeaksTheWindowsLanguage) {
  WriteFormatPicture(folder / "a.jpg", 64, 48, 1);
  auto window = Start();
  ProcessPage& page = *window->ProcessTab;
  const int german = 3;
  window->ChooseLanguage(german);
  EXPECT_EQ(window->PageControl1->tabText(TForm1::TabConvertTo), "Größe ändern und konvertieren");
  EXPECT_EQ(window->Button17->text(), "Größe ändern und konvertieren");
  EXPECT_EQ(Control<QLabel>(page, "ProcessSizeLabel")->text(), "Größe:");
  EXPECT_EQ(page.sizeMode->itemText(1), "Längere Seite");
  EXPECT_EQ(page.method->itemText(0), "Glatt (schnell)");
  EXPECT_EQ(page.method->itemText(1), LanguageText(german, 102));  // the resize tabs' words
  EXPECT_EQ(page.turn->itemText(1), LanguageText(german, 441));
  EXPECT_EQ(page.format->itemText(0), "Wie das Original");
  EXPECT_EQ(page.shrinkOnly->text(), LanguageText(german, kTextShrinkOnly));
  EXPECT_EQ(page.presets->choice->itemText(0), "Keine Voreinstellung");
  EXPECT_EQ(page.presets->choice->itemText(page.presets->choice->findData("Phone photos to JPEG")),
            "Handyfotos als JPEG");
  EXPECT_EQ(page.outFolder->placeholderText(), "Neben den Bildern");
  EXPECT_TRUE(page.background->toolTip().startsWith("Farbe unter transparenten Stellen"));
  SelectNames(*window, {"a.jpg"});
  EXPECT_EQ(page.focusedLine->text(), "→ a (2).jpg, 64 × 48 Pixel")
      << page.focusedLine->text().toStdString();
  QTest::mouseClick(window->Button17, Qt::LeftButton);
  window->WaitForBatch();
  ASSERT_NE(window->LastSummary(), nullptr);
  EXPECT_TRUE(window->LastSummary()->lines()->text().startsWith(
      "1 gespeichert, 0 übersprungen, 0 fehlgeschlagen\n"));
  EXPECT_TRUE(window->LastSummary()->lines()->text().contains("Dauer: "));
  EXPECT_EQ(window->LastSummary()->openFolderButton()->text(), LanguageText(german, 538));
  EXPECT_EQ(window->LastSummary()->windowTitle(), "Größe ändern und konvertieren");
  // Right to left in Hebrew, its "&" free title shown as written.
  window->ChooseLanguage(58);
  EXPECT_EQ(window->PageControl1->tabText(TForm1::TabConvertTo), LanguageText(58, kTextProcessTab));
  EXPECT_EQ(page.presets->save->text(), LanguageText(58, kTextSavePreset));
  // The arrow points the way the line reads; "a (2).jpg" is the run's.
  EXPECT_TRUE(page.focusedLine->text().startsWith(QStringLiteral("\u200F← a (3).jpg, ")))
      << page.focusedLine->text().toStdString();
  window->ChooseLanguage(kEnglish);
  EXPECT_EQ(page.format->itemText(0), "Same as the source");
  EXPECT_EQ(page.presets->choice->itemText(0), "No preset");
}

}  // namespace
}  // namespace pixtrel::test
