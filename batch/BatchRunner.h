#pragma once
#include <filesystem>
#include <string>

#include "batch/BatchCommand.h"

namespace pixtrel {

enum class BatchOutcome {
  Done,      // every selected file processed
  Declined,  // the overwrite question was not answered OK: nothing read or written
  Failed,    // stopped at a failing file
  Stopped,   // the host asked to stop between files
};

struct BatchResult {
  BatchOutcome outcome = BatchOutcome::Done;
  int processed = 0;
  // Failed: the item's bare name and the error's text, as shown: each on one line, with control
  // characters escaped (OnOneLine).
  std::string failedName;
  std::string message;
};

// Runs a command over the host's selection in the working folder. A failing file ends the run:
// files written before stay, the list is not refreshed and the progress stays where it was.
BatchResult RunBatch(const BatchCommand& command, const std::filesystem::path& folder,
                     BatchHost& host);

}  // namespace pixtrel
