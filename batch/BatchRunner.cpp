#include "batch/BatchRunner.h"

#include <new>

#include "batch/FileStamp.h"

namespace pixtrel {
namespace {

// Settles OutputPrefix; false when the overwrite question was declined.
bool SettleSaveMode(const BatchCommand& command, const FileTask& task, BatchHost& host,
                    std::string& prefix) {
  switch (host.saveMode()) {
    case SaveMode::AddPrefix:
      prefix = command.prefixWord ? command.prefixWord(host) : std::string();
      return true;
    case SaveMode::Subfolder: {
      std::error_code ignored;  // an existing folder is the usual case
      std::filesystem::create_directory(task.resolve(kSubfolderName), ignored);
      prefix = SubfolderPrefix();
      return true;
    }
    case SaveMode::Overwrite:
      if (!host.confirmOverwrite()) return false;
      prefix.clear();
      return true;
  }
  return true;
}

}  // namespace

BatchResult RunBatch(const BatchCommand& command, const std::filesystem::path& folder,
                     BatchHost& host) {
  BatchResult result;
  FileTask task;
  task.folder = folder;
  task.host = &host;

  switch (command.prologue) {
    case Prologue::SettleRecordShow:
      if (!SettleSaveMode(command, task, host, task.outputPrefix)) {
        result.outcome = BatchOutcome::Declined;
        return result;
      }
      host.recordFolder();
      break;
    case Prologue::RecordSettleShow:
      host.recordFolder();
      if (!SettleSaveMode(command, task, host, task.outputPrefix)) {
        result.outcome = BatchOutcome::Declined;
        return result;
      }
      break;
    case Prologue::RecordShow:
      host.recordFolder();
      break;
  }
  host.showProgress(host.selectedCount());

  const int count = host.itemCount();
  for (int index = 0; index < count; ++index) {
    if (host.stopRequested()) {
      result.outcome = BatchOutcome::Stopped;
      break;
    }
    if (!host.itemSelected(index)) {
      if (command.pumpsSkipped) host.pumpEvents();
      continue;
    }
    task.name = host.itemName(index);
    // Read before anything is written, so an overwritten source's time survives.
    const FileStamp stamp = command.keepsDate ? ReadFileStamp(task.source()) : kNoFileStamp;
    try {
      command.run(task);
    } catch (const std::bad_alloc&) {
      result.outcome = BatchOutcome::Failed;
      result.failedName = task.name;
      result.message = "Out of memory";
      return result;
    } catch (const std::exception& error) {
      result.outcome = BatchOutcome::Failed;
      result.failedName = task.name;
      result.message = error.what();
      return result;
    }
    if (command.keepsDate && host.keepDate()) {
      ApplyFileStamp(task.resolve(command.outputName(task.name, task.outputPrefix)), stamp);
    }
    ++result.processed;
    host.advanceProgress();
    host.pumpEvents();
  }
  host.refresh();
  host.hideProgress();
  return result;
}

}  // namespace pixtrel
