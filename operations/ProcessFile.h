#pragma once
// One file through the one-pass command: decoded once, turned, sized, framed and encoded once
// in the format asked for.
#include <cstdint>
#include <filesystem>
#include <optional>

#include "metadata/CaptureDate.h"

#include "io/OutputSink.h"
#include "operations/ProcessJob.h"

namespace pixtrel {

struct ProcessedFile {
  int sourceWidth = 0, sourceHeight = 0;  // upright, as the user sees it
  int width = 0, height = 0;              // the output's
  std::int64_t bytes = 0;                 // the output's size
  std::optional<CaptureDate> captured;    // when the photo was taken, as its EXIF says
  // With a target file size: the quality it got and its sides against the planned size (below
  // 1 when it was made smaller to fit).
  int quality = 0;
  double scale = 1.0;
};

// The key of the format a file of this name is written in: the job's format, or the source's
// own for "keep". Throws for a format that cannot be written or is unknown.
std::string OutputFormatKey(const ProcessJob& job, const std::filesystem::path& source);

// Reads source, does the job's work and puts the result to output through the sink. A job that
// is exactly a resize tab's (the longer side, the tab's method, the format kept, nothing else
// asked) goes through the resize command's own routine and gives its bytes.
ProcessedFile ProcessFile(const std::filesystem::path& source, const std::filesystem::path& output,
                          const ProcessJob& job, OutputSink& sink = WriteAtOnce());

}  // namespace pixtrel
