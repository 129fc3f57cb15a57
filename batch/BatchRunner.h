#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "batch/BatchCommand.h"

namespace pixtrel {

enum class BatchOutcome {
  Done,      // every selected file processed
  Declined,  // the overwrite question was not answered OK: nothing read or written
  Failed,    // stopped at a failing file
  Stopped,   // the host asked to stop between files
};

// A file that failed, by its bare name, with the error's text; each on one line, with control
// characters escaped (OnOneLine), as they are shown.
struct FailedFile {
  std::string name;
  std::string message;
};

struct BatchResult {
  BatchOutcome outcome = BatchOutcome::Done;
  int processed = 0;                // files written
  int selected = 0;                 // files selected when the batch started
  std::string failedName;           // Failed: the item's bare name, on one line
  std::string message;              // Failed: the error's text, on one line
  std::vector<FailedFile> skipped;  // files that failed and were left out, in list order
};

// Runs a command over the host's selection in the working folder: an absolute path (the process's
// current directory plays no part), shown in messages as the user named it (FileTask::folder).
// A failing file ends the run unless the host chooses to skip it (BatchHost::fileFailed): files
// written before stay, and the list is refreshed and the progress hidden, as at every end.
BatchResult RunBatch(const BatchCommand& command, const FilePath& folder, BatchHost& host);

}  // namespace pixtrel
