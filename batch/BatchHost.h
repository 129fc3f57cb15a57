#pragma once
// What a batch needs from its surroundings: the selection, the option controls (read at the
// moments the commands read them, so a window can hand over live values) and the window hooks.
// The defaults are those of a headless run. The batch calls its host from one thread only (the
// one that runs RunBatch); per-file work never calls it.
#include <cstdint>
#include <string>

#include "batch/BatchOptions.h"
#include "batch/PeakEstimate.h"
#include "batch/SaveMode.h"

namespace pixtrel {

// What becomes of the batch when a file fails.
enum class FailureChoice {
  Stop,     // end the batch at this file (the default)
  Skip,     // leave this file out and go on with the next
  SkipAll,  // leave out this file and every later one that fails, without asking again
};

class BatchHost {
 public:
  virtual ~BatchHost() = default;

  // The list: item count, and per item its selected flag and bare name, read when the walk
  // reaches the item.
  virtual int itemCount() = 0;
  virtual bool itemSelected(int index) = 0;
  virtual std::string itemName(int index) = 0;
  virtual int selectedCount() = 0;

  // Options: the save mode, read once at the start; the keep-date box, read when a file's
  // outputs have been written; the rest as a snapshot taken when a file is started.
  virtual SaveMode saveMode() = 0;
  virtual bool keepDate() = 0;
  virtual BatchOptions options() = 0;

  // Files worked on at once: 1 works strictly one file after the other; 0 means one per core.
  virtual int jobs() { return 1; }
  // The memory the files in flight may take together (BatchMemoryBudget).
  virtual std::uint64_t memoryBudget() { return BatchMemoryBudget(nullptr); }

  // Hooks.
  virtual bool confirmOverwrite() { return false; }
  virtual void recordFolder() {}
  virtual void showProgress(int /*maximum*/) {}
  virtual void advanceProgress() {}
  virtual void hideProgress() {}
  virtual void refresh() {}
  // Polled between files: true ends the batch after the file in hand.
  virtual bool stopRequested() { return false; }
  // A file failed with the message: nothing of it is written. Asked in list order, before any
  // later file's outputs are written; not asked again after SkipAll.
  virtual FailureChoice fileFailed(const std::string& /*name*/, const std::string& /*message*/) {
    return FailureChoice::Stop;
  }
};

}  // namespace pixtrel
