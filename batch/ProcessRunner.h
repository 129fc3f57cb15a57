#pragma once
// The one-pass command over a list of files: each decoded, worked and encoded once, named by the
// template, placed without overwriting what must not be, and written; a file that fails is
// reported and the run goes on. The summary says what became of every file.
#include <cstdint>
#include <string>
#include <vector>

#include "batch/InputList.h"
#include "operations/ProcessJob.h"

namespace pixtrel {

struct FileReport {
  enum class Status { Done, Skipped, Failed };
  std::string source;
  std::string output;  // empty unless written
  int sourceWidth = 0, sourceHeight = 0, width = 0, height = 0;
  std::int64_t bytesIn = 0, bytesOut = 0;
  Status status = Status::Done;
  std::string message;  // why it was skipped or failed
  // With a target file size: the quality the output got (0: none was searched) and its sides
  // against the size asked for (below 1: made smaller to fit).
  int quality = 0;
  double scale = 1.0;
};

struct ProcessSummary {
  std::vector<FileReport> files;
  int done = 0, skipped = 0, failed = 0;
  std::int64_t bytesIn = 0, bytesOut = 0;
  double seconds = 0;
};

struct ListedInput {
  InputFile file;
  std::size_t position = 0;  // in the whole list, from 0 ({n} is position + 1)
};

class ProcessHost {
 public:
  virtual ~ProcessHost() = default;
  virtual void fileFinished(const FileReport& /*report*/, int /*index*/, int /*count*/) {}
  // Polled between files: true ends the run after the file in hand.
  virtual bool stopRequested() { return false; }
  // Files worked on at once; 0: one per usable core. Outputs are written in list order, so the
  // result is the same for any number.
  virtual int jobs() { return 1; }
  // The memory the files in flight may take (BatchMemoryBudget); one file always runs.
  virtual std::uint64_t memoryBudget() { return UINT64_MAX; }
};

// Throws before anything is written when the name template cannot be used. allowReplacing:
// outputs may replace their own source (--yes, or the window's question answered).
ProcessSummary RunProcess(const ProcessJob& job, const std::vector<ListedInput>& inputs,
                          bool allowReplacing, ProcessHost& host);

// The summary as lines of text: the count line, then every failure and skipped file.
std::string SummaryText(const ProcessSummary& summary);

}  // namespace pixtrel
