#include "app/WindowBatchHost.h"
#include "app/ThreadWork.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <new>
#include <type_traits>

#include "app/FileListBox.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/MetadataChoices.h"
#include "app/RadioGroup.h"
#include "batch/PeakEstimate.h"
#include "codecs/Registry.h"
#include "windows/LocalPath.h"

namespace pixtrel {

WindowBatchHost::WindowBatchHost(TForm1& form) : form_(form) {}

template <class F>
auto WindowBatchHost::OnWindow(F f) -> decltype(f()) {
  using Result = decltype(f());
  if (QThread::currentThread() == form_.thread()) return f();
  if (abandoned_) return Result();
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(&form_, f, Qt::BlockingQueuedConnection);
  } else {
    Result result{};
    QMetaObject::invokeMethod(
        &form_, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

int WindowBatchHost::itemCount() {
  return OnWindow([this] { return form_.FileListBox10->count(); });
}

bool WindowBatchHost::itemSelected(int index) {
  return OnWindow([this, index] {
    const QListWidgetItem* item = form_.FileListBox10->item(index);
    return item && item->isSelected();
  });
}

std::string WindowBatchHost::itemName(int index) {
  return OnWindow([this, index] {
    const QListWidgetItem* item = form_.FileListBox10->item(index);
    return item ? QFile::encodeName(item->text()).toStdString() : std::string();
  });
}

int WindowBatchHost::selectedCount() {
  return OnWindow([this] { return static_cast<int>(form_.FileListBox10->selectedItems().size()); });
}

SaveMode WindowBatchHost::saveMode() {
  saveModeGiven_ = OnWindow([this] {
    switch (form_.Radio1->itemIndex()) {
      case 1:
        return SaveMode::Subfolder;
      case 2:
        return SaveMode::Overwrite;
      default:
        return SaveMode::AddPrefix;
    }
  });
  return saveModeGiven_;
}

bool WindowBatchHost::keepDate() {
  return OnWindow([this] { return form_.CheckBox1->isChecked(); });
}

BatchOptions WindowBatchHost::options() {
  return OnWindow([this] {
    BatchOptions o;
    o.saveQuality = form_.TrackBar10->value();
    o.qualityCommandValue = form_.TrackBar7->value();
    // Each resize tab's pixel box and method slider.
    for (const TForm1::ResizeTab& tab : form_.ResizeTabs()) {
      ResizeControls& controls = o.resizeOf(*tab.row);
      controls.pixelText = tab.pixels->text().toStdString();
      controls.method = tab.method->value() == 0 ? ResizeMethod::Normal : ResizeMethod::Better;
    }
    switch (form_.Radio2->itemIndex()) {
      case 1:
        o.turn = TurnChoice::Left;
        break;
      case 2:
        o.turn = TurnChoice::UpsideDown;
        break;
      default:
        o.turn = TurnChoice::Right;
    }
    o.losslessTurn = !form_.CheckBox4->isChecked()  ? LosslessTurn::Off
                     : form_.CheckBox5->isChecked() ? LosslessTurn::Trim
                                                    : LosslessTurn::Whole;
    o.upright = !form_.CheckBox3->isChecked();
    o.shrinkOnly = form_.CheckBox2->isChecked();
    o.metadata = MetadataChoices().at(std::max(0, form_.ComboBox2->currentIndex())).mode;
    const FormatRow* target = RowForKey(form_.ComboBox1->currentData().toString().toStdString());
    if (target && target->writable()) o.convertTarget = target;
    return o;
  });
}

int WindowBatchHost::jobs() {
  return OnWindow([this] { return form_.BatchJobs(); });
}

std::uint64_t WindowBatchHost::memoryBudget() {
  return BatchMemoryBudget(std::getenv("PIXTREL_BATCH_MEMORY_MB"));
}

bool WindowBatchHost::confirmOverwrite() {
  return OnWindow([this] { return AskOverwrite(&form_); });
}

void WindowBatchHost::recordFolder() {
  // Recorded at the end, once the batch has worked on files: a question declined leaves the
  // list as it was.
  recordAsked_ = true;
}

void WindowBatchHost::showProgress(int maximum) {
  OnWindow([this, maximum] {
    form_.ProgressBar1->setRange(0, maximum);
    form_.ProgressBar1->setValue(0);
    form_.ProgressBar1->show();
    form_.StopButton->show();
  });
}

void WindowBatchHost::advanceProgress() {
  OnWindow([this] { form_.ProgressBar1->setValue(form_.ProgressBar1->value() + 1); });
}

void WindowBatchHost::hideProgress() {
  OnWindow([this] {
    form_.ProgressBar1->hide();
    form_.StopButton->hide();
  });
}

void WindowBatchHost::refresh() {
  // The refresh keeps the selection by name, so the files worked on stay selected.
  OnWindow([this] { form_.Osvezi(); });
}

FailureChoice WindowBatchHost::fileFailed(const std::string& name, const std::string& message) {
  if (abandoned_) return FailureChoice::Stop;
  return OnWindow([&] {
    return form_.AskAboutFailure(QFile::decodeName(QByteArray::fromStdString(name)),
                                 QString::fromLocal8Bit(message));
  });
}

bool WindowBatchHost::stopRequested() {
  if (abandoned_) return true;
  return OnWindow([this] { return form_.StopRequested(); });
}

WindowBatchRun::WindowBatchRun(TForm1& form, const BatchCommand& command)
    : host_(form), folder_(LocalPath(QDir(form.Folder()).absolutePath())) {
  thread_ = std::thread([this, &form, &command] {
    // The list's names are bare names in the shown folder, and messages name them so.
    const std::optional<std::string> failure =
        FailureOf([&] { result = RunBatch(command, FilePath(folder_, std::string()), host_); });
    completed = !failure;
    if (failure) error = *failure;
    finished_ = true;
    if (!host_.abandoned()) {
      QMetaObject::invokeMethod(
          &form, [&form] { form.BatchThreadEnded(); }, Qt::QueuedConnection);
    }
  });
}

void WindowBatchRun::join() {
  if (thread_.joinable()) thread_.join();
}

WindowBatchRun::~WindowBatchRun() {
  host_.abandon();
  // A call already on its way to the window is answered here, then the thread ends.
  while (!finished_) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!finished_) QThread::msleep(1);
  }
  join();
}

}  // namespace pixtrel
