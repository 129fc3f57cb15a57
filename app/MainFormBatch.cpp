// The command buttons: each runs one command of the core's registry over the selection,
// through the same batch frame as pixtrel-batch, on a thread of its own so the window stays
// free. While it runs, everything that could start a second command or change the folder or the
// list under it is locked; Stop (or Esc) ends the run after the file in hand.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QToolTip>

#include "app/BatchNote.h"
#include "app/DriveComboBox.h"
#include "app/FileListBox.h"
#include "app/FolderTree.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/WindowBatchHost.h"
#include "app/WindowProcessRun.h"
#include "batch/BatchRunner.h"
#include "batch/CommandId.h"
#include "batch/SaveMode.h"
#include "languages/LanguageTable.h"

namespace pixtrel {

QPushButton* TForm1::CommandButton(CommandId command) const {
  // Every command has its button: a command without a case here fails the build. The resize
  // commands' buttons are their tabs' (ResizeTabs).
  switch (command) {
    case CommandId::GifToJpg:
      return Button4;
    case CommandId::JpgToGif:
      return Button5;
    case CommandId::BmpToJpg:
      return Button6;
    case CommandId::BmpToGif:
      return Button7;
    case CommandId::JpgToBmp:
      return Button9;
    case CommandId::GifToBmp:
      return Button14;
    case CommandId::Convert:
      // Its tab became "Resize & convert", whose button runs the one-pass command instead.
      return nullptr;
    case CommandId::Rotate:
      return Button8;
    case CommandId::Quality:
      return Button10;
    case CommandId::Greyscale:
      return Button13;
  }
  return nullptr;  // only for a value outside the enum
}

void TForm1::ConnectCommandButtons() {
  for (const CommandId command : kAllCommandIds) {
    QPushButton* button = CommandButton(command);
    if (!button) continue;
    button->setProperty("command", QString::fromStdString(CommandFor(command).name));
    connect(button, &QPushButton::clicked, this, [this, command] { RunCommand(command); });
  }
  for (const ResizeTab& tab : resizeTabs_) {
    const BatchCommand& command = ResizeCommandFor(*tab.row);
    tab.button->setProperty("command", QString::fromStdString(command.name));
    connect(tab.button, &QPushButton::clicked, this, [this, &command] {
      if (!busy_) StartBatch(command);
    });
  }
  StopShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  StopShortcut->setObjectName(QStringLiteral("StopShortcut"));
  StopShortcut->setEnabled(false);
  connect(StopShortcut, &QShortcut::activated, this, &TForm1::RequestStop);
  // The "Resize & convert" tab's line follows the focused file and the selection.
  connect(FileListBox10, &QListWidget::currentItemChanged, this, &TForm1::UpdateProcessLine);
  connect(FileListBox10, &QListWidget::itemSelectionChanged, this, &TForm1::UpdateProcessLine);
}

void TForm1::RunCommand(const QString& commandName) {
  if (busy_) return;
  const BatchCommand* command = FindCommand(commandName.toStdString());
  if (!command) {
    ShowInformationBox(this, WindowText(kTextNotAvailable).arg(commandName));
    return;
  }
  StartBatch(*command);
}

void TForm1::RunCommand(CommandId command) {
  if (busy_) return;
  StartBatch(CommandFor(command));
}

void TForm1::StartBatch(const BatchCommand& command) {
  // A command with nothing to work on says so where the user looks, instead of doing nothing.
  QWidget* near = FileListBox10;
  for (const CommandId id : kAllCommandIds) {
    QPushButton* button = CommandButton(id);
    if (CommandFor(id).name == command.name && button && button->isVisible()) near = button;
  }
  for (const ResizeTab& tab : resizeTabs_) {
    if (ResizeCommandFor(*tab.row).name == command.name && tab.button->isVisible())
      near = tab.button;
  }
  if (NothingSelected(near)) return;
  // The list's bare names resolve in the shown folder.
  if (!QDir::setCurrent(Folder())) {
    ShowWindowError(this,
                    WindowText(kTextCannotOpenFolder).arg(QDir::toNativeSeparators(Folder())));
    return;
  }
  SetBatchLock(true);
  if (batchNote_) batchNote_->close();
  StatusPanel3->clear();
  batchClock_.start();
  batchRun_.reset(new WindowBatchRun(*this, command));
}

void TForm1::EndRunLock() {
  SetBatchLock(false);
  StopButton->hide();
  ProgressBar1->hide();
  // A tab picked during the run shows its files now.
  if (pendingMask_) {
    FileListBox10->setMask(*pendingMask_);
    pendingMask_.reset();
  }
}

void TForm1::BatchThreadEnded() {
  if (!batchRun_ || !batchRun_->finished()) return;
  const std::unique_ptr<WindowBatchRun, EndBatchRun> run = std::move(batchRun_);
  run->join();
  const qint64 took = batchClock_.elapsed();
  EndRunLock();
  if (!run->completed) {
    ShowErrorBox(this, QString::fromLocal8Bit(run->error));
  } else if (run->result.outcome != BatchOutcome::Declined) {
    // A folder goes into the recent list once a command has worked on files in it.
    const BatchResult& result = run->result;
    if (run->recordFolder() && (result.processed > 0 || !result.skipped.empty() ||
                                result.outcome == BatchOutcome::Failed)) {
      AddFolderToRecent();
    }
    QString output = Folder();
    if (run->saveMode() == SaveMode::Subfolder)
      output = QDir(output).filePath(QString::fromLatin1(kSubfolderName));
    ShowBatchEnd(result, QDir::toNativeSeparators(output), took);
  }
  if (closePending_) {
    closePending_ = false;
    close();
  }
  emit batchFinished();
}

void TForm1::EndBatchRun::operator()(WindowBatchRun* run) const {
  delete run;
}

void TForm1::WaitForBatch() {
  if (!busy_) return;
  QEventLoop loop;
  connect(this, &TForm1::batchFinished, &loop, &QEventLoop::quit);
  loop.exec();
}

void TForm1::RequestStop() {
  if (!busy_) return;
  stop_ = true;
  if (processRun_) processRun_->requestStop();
  StopButton->setEnabled(false);
}

FailureChoice TForm1::AskAboutFailure(const QString& name, const QString& message) {
  const auto text = [this](int offset) { return LanguageTexts.value(offset, EnglishText(offset)); };
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Pixtrel"),
                  WithFullStop(name + QStringLiteral(": ") + message), QMessageBox::NoButton, this);
  box.setObjectName(QStringLiteral("FailureBox"));
  QPushButton* stop = box.addButton(text(kTextStop), QMessageBox::RejectRole);
  stop->setObjectName(QStringLiteral("FailureStop"));
  QPushButton* skip = box.addButton(text(kTextSkipFile), QMessageBox::AcceptRole);
  skip->setObjectName(QStringLiteral("FailureSkip"));
  QPushButton* skipAll = box.addButton(text(kTextSkipAll), QMessageBox::AcceptRole);
  skipAll->setObjectName(QStringLiteral("FailureSkipAll"));
  // Stop is what Enter and Esc do, as the box did when it had only "OK".
  box.setDefaultButton(stop);
  box.setEscapeButton(stop);
  box.exec();
  if (box.clickedButton() == skip) return FailureChoice::Skip;
  if (box.clickedButton() == skipAll) return FailureChoice::SkipAll;
  return FailureChoice::Stop;
}

void TForm1::ShowBatchEnd(const BatchResult& result, const QString& outputFolder,
                          qint64 milliseconds) {
  const auto text = [this](int offset) { return LanguageTexts.value(offset, EnglishText(offset)); };
  const BatchEndText end = DescribeBatchEnd(result, outputFolder, text);
  StatusPanel3->setText(end.statusLine);
  StatusPanel3->setToolTip(end.statusLine);
  const bool eventful = result.outcome != BatchOutcome::Done || !result.skipped.empty();
  if (!eventful && milliseconds <= kNoteAfterMilliseconds) return;
  if (batchNote_) batchNote_->close();
  batchNote_ = new BatchNote(this, end, outputFolder, text(kTextOpenFolder), text(kTextClose));
  batchNote_->show();
}

BatchNote* TForm1::LastBatchNote() const {
  return batchNote_;
}

void TForm1::SetBatchLock(bool locked) {
  if (!locked) {
    for (auto& restore : unlock_)
      restore();
    unlock_.clear();
    busy_ = false;
    StopShortcut->setEnabled(false);
    return;
  }
  busy_ = true;
  stop_ = false;
  auto lock = [this](auto* control) {
    unlock_.push_back([control, was = control->isEnabled()] { control->setEnabled(was); });
    control->setEnabled(false);
  };
  for (const CommandId command : kAllCommandIds) {
    if (QPushButton* button = CommandButton(command)) lock(button);
  }
  for (const ResizeTab& tab : resizeTabs_)
    lock(tab.button);
  lock(Button17);
  lock(static_cast<QWidget*>(DriveComboBox10));
  lock(static_cast<QWidget*>(DirectoryListBox10));
  for (QAction* action : {P1, M15->menuAction(), M16->menuAction()})
    lock(action);
  StopButton->setEnabled(true);
  StopShortcut->setEnabled(true);
}

}  // namespace pixtrel
