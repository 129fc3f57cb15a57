#pragma once
// What the one-pass command will make of a file, told before the run from the file's first bytes
// only: the output's name and its pixel size, for the window's line under the tab.
#include <filesystem>
#include <optional>

#include "batch/ProcessRunner.h"

namespace pixtrel {

struct OutputPreview {
  std::filesystem::path path;  // numbered when a file is there already and the job numbers
  int width = 0, height = 0;
  bool skipped = false;  // a file is there already and the job skips it
};

// From the header probe and, for a JPEG, the orientation and capture date in its EXIF block, as
// the run itself tells them; placed as the run would place it alone (other files of a batch may
// take a name first). Nothing when the file is of no format Pixtrel reads or its header
// cannot be read; throws what the run would refuse before writing anything (the name template,
// a format that cannot be written).
std::optional<OutputPreview> PreviewOutput(const ProcessJob& job, const ListedInput& listed);

}  // namespace pixtrel
