#pragma once
// The batch frame's view of the main window: the selection read live from the file list, the
// option controls read whenever a command asks, and the window's hooks (overwrite question,
// recent folders, progress bar, refresh, stop request). The batch runs on a thread of its own:
// every call that touches the window is carried to the window's thread and waits there for its
// answer, so the window stays free between the calls and its boxes open at the usual moments.
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "batch/BatchHost.h"
#include "batch/BatchRunner.h"

namespace pixtrel {

class TForm1;

class WindowBatchHost : public BatchHost {
 public:
  explicit WindowBatchHost(TForm1& form);

  int itemCount() override;
  bool itemSelected(int index) override;
  std::string itemName(int index) override;
  int selectedCount() override;

  SaveMode saveMode() override;
  bool keepDate() override;
  BatchOptions options() override;
  int jobs() override;
  std::uint64_t memoryBudget() override;

  bool confirmOverwrite() override;
  void recordFolder() override;
  void showProgress(int maximum) override;
  void advanceProgress() override;
  void hideProgress() override;
  void refresh() override;
  bool stopRequested() override;
  FailureChoice fileFailed(const std::string& name, const std::string& message) override;

  // Whether the batch asked to record its folder, and the save mode it was given (AddPrefix
  // when it asked for none). Read once the batch has ended.
  bool recordFolderAsked() const { return recordAsked_; }
  SaveMode saveModeGiven() const { return saveModeGiven_; }

  // The window is going away: from now on no call reaches it and the batch is told to stop.
  void abandon() { abandoned_ = true; }
  bool abandoned() const { return abandoned_; }

 private:
  // Runs f on the window's thread and gives its result (at once when already there); once the
  // window is abandoned, a default value without running f.
  template <class F>
  auto OnWindow(F f) -> decltype(f());

  TForm1& form_;
  std::atomic<bool> abandoned_{false};
  bool recordAsked_ = false;
  SaveMode saveModeGiven_ = SaveMode::AddPrefix;
};

// One batch of the window on its own thread, from the button press to the end of the run.
class WindowBatchRun {
 public:
  // Starts the command; when it ends, the window's BatchThreadEnded runs on the window's thread.
  WindowBatchRun(TForm1& form, const BatchCommand& command);
  // Stops a run still going (the window is being destroyed) and waits for its thread.
  ~WindowBatchRun();
  WindowBatchRun(const WindowBatchRun&) = delete;
  WindowBatchRun& operator=(const WindowBatchRun&) = delete;

  bool finished() const { return finished_; }
  void join();
  bool recordFolder() const { return host_.recordFolderAsked(); }
  SaveMode saveMode() const { return host_.saveModeGiven(); }
  // Once finished: the run's result, or the message of an error that ended it outside a file.
  bool completed = false;
  BatchResult result;
  std::string error;

 private:
  WindowBatchHost host_;
  std::filesystem::path folder_;  // the shown folder's absolute path, read when the run starts
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace pixtrel
