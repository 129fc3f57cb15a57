#pragma once
// The batch frame's view of the main window: the selection read live from the file list, the
// option controls read whenever a command asks, and the window's hooks (overwrite question,
// recent folders, progress bar, event pumping, refresh, stop request).
#include "batch/BatchHost.h"

namespace pixtrel {

class TForm1;

class WindowBatchHost : public BatchHost {
 public:
  explicit WindowBatchHost(TForm1& form) : form_(form) {}

  int itemCount() override;
  bool itemSelected(int index) override;
  std::string itemName(int index) override;
  int selectedCount() override;

  SaveMode saveMode() override;
  bool keepDate() override;
  BatchOptions options() override;

  bool confirmOverwrite() override;
  void recordFolder() override;
  void showProgress(int maximum) override;
  void advanceProgress() override;
  void hideProgress() override;
  void pumpEvents() override;
  void refresh() override;
  bool stopRequested() override;

 private:
  TForm1& form_;
};

}  // namespace pixtrel
