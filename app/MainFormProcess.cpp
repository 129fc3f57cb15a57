// The "Resize & convert" tab in the window: made in the place of the "Convert to…" tab, its
// button running the one-pass command over the selected files on a thread of its own, locked
// and stopped as the other commands' batches are, and its summary at the end.
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QToolTip>

#include "app/BatchNote.h"
#include "app/FileListBox.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/PresetBox.h"
#include "app/ProcessPage.h"
#include "app/SummaryDialog.h"
#include "app/WindowProcessRun.h"
#include "batch/BatchRunner.h"
#include "batch/NameTemplate.h"
#include "batch/OutputPreview.h"
#include "languages/LanguageTable.h"
#include "windows/LocalPath.h"

namespace pixtrel {
namespace {

namespace fs = std::filesystem;

// The same file, however named.
bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

}  // namespace

QWidget* TForm1::BuildProcessPage() {
  ProcessTab = new ProcessPage(WindowPresetFolder());
  ComboBox1 = ProcessTab->format;
  Button17 = ProcessTab->run;
  Button17->setProperty("command", QStringLiteral("process"));
  connect(Button17, &QPushButton::clicked, this, &TForm1::RunProcessTab);
  return ProcessTab;
}

void TForm1::UpdateProcessLine() {
  if (!ProcessTab) return;
  const QListWidgetItem* focused = FileListBox10->currentItem();
  if (!focused) {
    ProcessTab->showFocusedFile(QString(), 0);
    return;
  }
  // Its place among the files a run would get, for {n}: the selected ones, in list order.
  std::size_t position = 0;
  for (int i = 0; i < FileListBox10->count() && FileListBox10->item(i) != focused; ++i) {
    if (FileListBox10->item(i)->isSelected()) ++position;
  }
  ProcessTab->showFocusedFile(QDir(Folder()).filePath(focused->text()), position);
}

bool TForm1::NothingSelected(QWidget* button) {
  if (!FileListBox10->selectedItems().isEmpty()) return false;
  const QString text = WindowText(kTextSelectFirst);
  StatusPanel3->setText(text);
  QWidget* near = button->isVisible() ? button : FileListBox10;
  QToolTip::showText(near->mapToGlobal(QPoint(0, near->height())), text, near);
  return true;
}

void TForm1::RunProcessTab() {
  if (busy_ || NothingSelected(Button17)) return;
  const QString folder = Folder();
  if (!QDir::setCurrent(folder)) {
    ShowWindowError(this, WindowText(kTextCannotOpenFolder).arg(QDir::toNativeSeparators(folder)));
    return;
  }
  ProcessJob job;
  std::vector<ListedInput> inputs;
  bool replacesSource = false;
  try {
    job = ProcessTab->job();
    const NameTemplate names(job.name);  // a template that cannot be used stops here
    const fs::path shown = LocalPath(QDir(folder).absolutePath());
    for (int i = 0; i < FileListBox10->count(); ++i) {
      const QListWidgetItem* item = FileListBox10->item(i);
      if (!item->isSelected()) continue;
      const fs::path name = LocalPath(item->text());
      inputs.push_back({InputFile{shown / name, name}, inputs.size()});
    }
    // Writing over a source is asked about first, as the other commands do; the names are
    // known from the headers (a name with the output's size in it, too).
    if (job.existing == ExistingChoice::Overwrite) {
      for (const ListedInput& input : inputs) {
        const std::optional<OutputPreview> made = PreviewOutput(job, input);
        if (made && SameFile(made->path, input.file.path)) replacesSource = true;
      }
    }
  } catch (const std::exception& error) {
    ShowErrorBox(this, QString::fromLocal8Bit(error.what()));
    return;
  }
  if (replacesSource && !AskOverwrite(this)) return;
  SetBatchLock(true);
  if (batchNote_) batchNote_->close();
  if (summary_) summary_->close();
  StatusPanel3->clear();
  ProgressBar1->setRange(0, static_cast<int>(inputs.size()));
  ProgressBar1->setValue(0);
  ProgressBar1->show();
  StopButton->show();
  batchClock_.start();
  processRun_.reset(new WindowProcessRun(*this, std::move(job), std::move(inputs), replacesSource));
}

void TForm1::ProcessThreadEnded() {
  if (!processRun_ || !processRun_->finished()) return;
  const std::unique_ptr<WindowProcessRun, EndProcessRun> run = std::move(processRun_);
  run->join();
  EndRunLock();
  // The list shows what was written, the same files still selected.
  Osvezi();
  if (!run->completed) {
    ShowErrorBox(this, QString::fromLocal8Bit(run->error));
  } else {
    const ProcessSummary& summary = run->summary;
    if (summary.done > 0 || summary.failed > 0) AddFolderToRecent();
    const QString output = QDir::toNativeSeparators(ProcessTab->outputFolderFor(Folder()));
    const auto text = [this](int offset) { return WindowText(offset); };
    // The status bar's line as the other commands give it: stopped, failed files, written.
    BatchResult result;
    result.selected = static_cast<int>(run->fileCount());
    result.processed = summary.done;
    if (summary.files.size() < run->fileCount()) result.outcome = BatchOutcome::Stopped;
    for (const FileReport& file : summary.files) {
      if (file.status == FileReport::Status::Failed)
        result.skipped.push_back({fs::path(file.source).filename().string(), file.message});
    }
    const QString status = DescribeBatchEnd(result, output, text).statusLine;
    StatusPanel3->setText(status);
    StatusPanel3->setToolTip(status);
    const QChar point = LocaleOf(CurrentLanguage).decimalPoint().front();
    summary_ = new SummaryDialog(
        this, DescribeSummary(summary, static_cast<int>(run->fileCount()), text, point), output,
        WindowText(kTextProcessTab), text);
    summary_->show();
  }
  if (closePending_) {
    closePending_ = false;
    close();
  }
  emit batchFinished();
}

SummaryDialog* TForm1::LastSummary() const {
  return summary_;
}

void TForm1::EndProcessRun::operator()(WindowProcessRun* run) const {
  delete run;
}

}  // namespace pixtrel
