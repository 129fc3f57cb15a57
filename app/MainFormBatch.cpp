// The command buttons: each runs one command of the core's registry over the selection,
// through the same batch frame as pixtrel-batch. While it runs, everything that could start a
// second command or change the folder or the list under it is locked; Stop (or Esc) ends the
// run after the file in hand.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

#include "app/DriveComboBox.h"
#include "app/FileListBox.h"
#include "app/FolderTree.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/WindowBatchHost.h"
#include "batch/BatchRunner.h"

namespace pixtrel {
namespace {

// Takes the lock for one run and gives it back on every path.
class BatchLock {
 public:
  explicit BatchLock(std::function<void(bool)> set) : set_(std::move(set)) { set_(true); }
  ~BatchLock() { set_(false); }
  BatchLock(const BatchLock&) = delete;
  BatchLock& operator=(const BatchLock&) = delete;

 private:
  std::function<void(bool)> set_;
};

}  // namespace

void TForm1::ConnectCommandButtons() {
  const std::pair<QPushButton*, const char*> buttons[] = {
      {Button2, "resize-jpg"}, {Button1, "resize-gif"}, {Button3, "resize-bmp"},
      {Button4, "gif2jpg"},    {Button5, "jpg2gif"},    {Button6, "bmp2jpg"},
      {Button7, "bmp2gif"},    {Button9, "jpg2bmp"},    {Button14, "gif2bmp"},
      {Button8, "rotate"},     {Button10, "quality"},   {Button13, "greyscale"}};
  for (const auto& [button, command] : buttons) {
    const QString name = QString::fromLatin1(command);
    button->setProperty("command", name);
    connect(button, &QPushButton::clicked, this, [this, name] { RunCommand(name); });
  }
  StopShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  StopShortcut->setObjectName(QStringLiteral("StopShortcut"));
  StopShortcut->setEnabled(false);
  connect(StopShortcut, &QShortcut::activated, this, &TForm1::RequestStop);
}

void TForm1::RunCommand(const QString& commandName) {
  if (busy_) return;
  const BatchCommand* command = FindCommand(commandName.toStdString());
  if (!command) {
    ShowNotAvailable(this, commandName);
    return;
  }
  // The list's bare names resolve in the shown folder.
  if (!QDir::setCurrent(Folder())) {
    ShowErrorBox(this, QStringLiteral("Cannot open %1").arg(QDir::toNativeSeparators(Folder())));
    return;
  }
  WindowBatchHost host(*this);
  BatchResult result;
  bool finished = false;
  {
    BatchLock lock([this](bool locked) { SetBatchLock(locked); });
    Guarded([&] {
      result = RunBatch(*command, std::filesystem::path(), host);
      finished = true;
    });
  }
  StopButton->hide();
  if (pendingMask_) {
    FileListBox10->setMask(*pendingMask_);
    pendingMask_.reset();
  }
  if (finished && result.outcome == BatchOutcome::Failed) {
    ShowErrorBox(this, QString::fromLocal8Bit(result.message));
  }
  if (closePending_) {
    closePending_ = false;
    close();
  }
}

void TForm1::RequestStop() {
  if (!busy_) return;
  stop_ = true;
  StopButton->setEnabled(false);
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
  for (QPushButton* button : {Button1, Button2, Button3, Button4, Button5, Button6, Button7,
                              Button8, Button9, Button10, Button13, Button14}) {
    lock(button);
  }
  lock(static_cast<QWidget*>(DriveComboBox10));
  lock(static_cast<QWidget*>(DirectoryListBox10));
  for (QAction* action : {P1, M15->menuAction(), M16->menuAction()})
    lock(action);
  StopButton->setEnabled(true);
  StopShortcut->setEnabled(true);
}

}  // namespace pixtrel
