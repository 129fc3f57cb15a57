#pragma once
#include "batch/BatchHost.h"
#include "cli/CommandLine.h"

namespace pixtrel::cli {

// The batch host of pixtrel-batch: every FILE selected, options fixed by the command line, the
// overwrite question asked on the terminal and progress drawn on it.
class TerminalHost : public BatchHost {
 public:
  explicit TerminalHost(const CommandLine& line);

  int itemCount() override { return static_cast<int>(line_.names.size()); }
  bool itemSelected(int) override { return true; }
  std::string itemName(int index) override { return line_.names[static_cast<std::size_t>(index)]; }
  int selectedCount() override { return itemCount(); }

  SaveMode saveMode() override { return line_.saveMode; }
  bool keepDate() override { return line_.keepDate; }
  BatchOptions options() override;
  int jobs() override { return line_.jobs; }
  std::uint64_t memoryBudget() override;

  bool confirmOverwrite() override;
  void showProgress(int maximum) override;
  void advanceProgress() override;
  void hideProgress() override;
  // With --keep-going the failure is told on stderr and the file skipped; otherwise it stops.
  FailureChoice fileFailed(const std::string& name, const std::string& message) override;
  void finishProgressLine();

 private:
  void draw();

  const CommandLine& line_;
  bool drawing_ = false;
  int maximum_ = 0;
  int position_ = 0;
};

}  // namespace pixtrel::cli
