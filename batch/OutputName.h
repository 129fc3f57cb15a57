#pragma once
// How the one-pass command names a file's output: the folder the job sends it to and the name
// template's name with the format's extension. The run and the window's line that tells, before
// a run, what the focused file becomes both name files here, so they cannot disagree.
#include <filesystem>
#include <optional>

#include "batch/NameTemplate.h"
#include "batch/OutputPlan.h"
#include "batch/ProcessRunner.h"
#include "metadata/CaptureDate.h"

namespace pixtrel {

// The sizes a name may use: the source's as seen (upright) and the output's.
struct NamedSizes {
  int sourceWidth = 0, sourceHeight = 0;
  int width = 0, height = 0;
};

// Beside the source when the job names no folder; a relative folder is taken from the source's
// folder; below an absolute one the file keeps the place it had below the folder it was found in.
std::filesystem::path OutputFolder(const ProcessJob& job, const InputFile& input);

// The tokens' values for one file; {date} is the capture date, else the file's own date.
NameValues NameValuesFor(const ProcessJob& job, const ListedInput& listed, const NamedSizes& sizes,
                         const std::optional<CaptureDate>& captured);

// Where the output goes by its name alone, before an existing file or another source's output
// has it numbered or skipped. Throws for a format that cannot be written.
std::filesystem::path WishedOutput(const ProcessJob& job, const NameTemplate& names,
                                   const ListedInput& listed, const NameValues& values);

// The planner's rule for an output that exists already, as the job chose it.
ExistingOutput ExistingPolicy(const ProcessJob& job);

// Whether something (a file, a folder, a link) is at the path.
bool PathTaken(const std::filesystem::path& path);

}  // namespace pixtrel
