#pragma once
// One run of the "Resize & convert" tab on a thread of its own: the one-pass command over the
// files selected when it started, every file tried, the progress bar moved as each one ends and
// Stop heard between files. It never waits for the window, so the window stays free; its end is
// handed to the window's ProcessThreadEnded on the window's thread.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "batch/ProcessRunner.h"

namespace pixtrel {

class TForm1;

class WindowProcessRun : public ProcessHost {
 public:
  WindowProcessRun(TForm1& form, ProcessJob job, std::vector<ListedInput> inputs,
                   bool allowReplacing);
  // Stops a run still going (the window is being destroyed) and waits for its thread.
  ~WindowProcessRun() override;
  WindowProcessRun(const WindowProcessRun&) = delete;
  WindowProcessRun& operator=(const WindowProcessRun&) = delete;

  bool finished() const { return finished_; }
  void join();
  void requestStop() { stop_ = true; }
  std::size_t fileCount() const { return inputs_.size(); }

  // Once finished: what became of every file, or the message of an error that ended the run
  // before any file (a name template that cannot be used).
  bool completed = false;
  ProcessSummary summary;
  std::string error;

  void fileFinished(const FileReport& report, int index, int count) override;
  bool stopRequested() override { return stop_; }
  int jobs() override { return jobs_; }
  std::uint64_t memoryBudget() override;

 private:
  TForm1& form_;
  ProcessJob job_;
  std::vector<ListedInput> inputs_;
  bool allowReplacing_;
  int jobs_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> abandoned_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace pixtrel
