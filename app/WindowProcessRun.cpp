#include "app/WindowProcessRun.h"

#include <QMetaObject>
#include <QProgressBar>
#include <cstdlib>
#include <new>

#include "app/MainForm.h"
#include "app/ThreadWork.h"
#include "batch/PeakEstimate.h"

namespace pixtrel {

WindowProcessRun::WindowProcessRun(TForm1& form, ProcessJob job, std::vector<ListedInput> inputs,
                                   bool allowReplacing)
    : form_(form),
      job_(std::move(job)),
      inputs_(std::move(inputs)),
      allowReplacing_(allowReplacing),
      jobs_(form.BatchJobs()) {
  thread_ = std::thread([this] {
    const std::optional<std::string> failure =
        FailureOf([this] { summary = RunProcess(job_, inputs_, allowReplacing_, *this); });
    completed = !failure;
    if (failure) error = *failure;
    finished_ = true;
    if (!abandoned_) {
      TForm1* form = &form_;
      QMetaObject::invokeMethod(
          form, [form] { form->ProcessThreadEnded(); }, Qt::QueuedConnection);
    }
  });
}

void WindowProcessRun::fileFinished(const FileReport&, int index, int) {
  if (abandoned_) return;
  // Queued to the window, which may be gone by then: Qt drops a call whose object is.
  TForm1* form = &form_;
  QMetaObject::invokeMethod(
      form, [form, index] { form->ProgressBar1->setValue(index + 1); }, Qt::QueuedConnection);
}

std::uint64_t WindowProcessRun::memoryBudget() {
  return BatchMemoryBudget(std::getenv("PIXTREL_BATCH_MEMORY_MB"));
}

void WindowProcessRun::join() {
  if (thread_.joinable()) thread_.join();
}

WindowProcessRun::~WindowProcessRun() {
  abandoned_ = true;
  stop_ = true;
  join();
}

}  // namespace pixtrel
