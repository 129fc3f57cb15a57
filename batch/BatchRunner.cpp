#include "batch/BatchRunner.h"

#include <future>
#include <new>
#include <optional>
#include <system_error>

#include "batch/FileStamp.h"
#include "formats/SafeWrite.h"
#include "formats/StaleTemporaries.h"

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
      RemoveStaleTemporaries(task.resolve(kSubfolderName));
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

// The output of an item computed ahead of its turn, held in memory until the items before it
// are written.
struct Prepared {
  int index = 0;
  std::string name;
  FileStamp stamp = kNoFileStamp;
  std::future<PendingFiles> files;
};

// Starts preparing the selected item after `current`, unless it reads the file that `current`
// is about to write (then it must wait for that write, as in a plain run).
std::optional<Prepared> PrepareNext(const BatchCommand& command, const FileTask& current, int index,
                                    int count, BatchHost& host) {
  int next = index + 1;
  while (next < count && !host.itemSelected(next))
    ++next;
  if (next >= count) return std::nullopt;
  FileTask task = current;
  task.name = host.itemName(next);
  std::error_code ec;
  const auto written = std::filesystem::weakly_canonical(
      current.resolve(command.outputName(current.name, current.outputPrefix)), ec);
  if (ec || written == std::filesystem::weakly_canonical(task.source(), ec) || ec) {
    return std::nullopt;
  }
  Prepared p;
  p.index = next;
  p.name = task.name;
  p.stamp = command.keepsDate ? ReadFileStamp(task.source()) : kNoFileStamp;
  try {
    p.files = std::async(std::launch::async, [&command, task] {
      PendingFiles files;
      WriteCollector collect(files);
      command.run(task);
      return files;
    });
  } catch (const std::system_error&) {
    return std::nullopt;  // no thread to spare: the item runs in its turn
  }
  return p;
}

BatchResult Failed(BatchResult& result, const std::string& name, const std::string& message) {
  result.outcome = BatchOutcome::Failed;
  result.failedName = name;
  result.message = message;
  return result;
}

}  // namespace

BatchResult RunBatch(const BatchCommand& command, const std::filesystem::path& folder,
                     BatchHost& host) {
  BatchResult result;
  FileTask task;
  task.folder = folder;
  task.host = &host;

  RemoveStaleTemporaries(task.resolve("."));
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
  const bool lookAhead = host.optionsFixed();
  std::optional<Prepared> ahead;  // the next selected item, being prepared on another thread
  for (int index = 0; index < count; ++index) {
    if (host.stopRequested()) {
      result.outcome = BatchOutcome::Stopped;
      break;
    }
    const bool prepared = ahead && ahead->index == index;
    if (!prepared && !host.itemSelected(index)) {
      if (command.pumpsSkipped) host.pumpEvents();
      continue;
    }
    task.name = prepared ? ahead->name : host.itemName(index);
    // Read before anything is written, so an overwritten source's time survives.
    const FileStamp stamp =
        prepared ? ahead->stamp : (command.keepsDate ? ReadFileStamp(task.source()) : kNoFileStamp);
    try {
      std::optional<Prepared> mine;
      if (prepared) mine.swap(ahead);
      if (lookAhead) ahead = PrepareNext(command, task, index, count, host);
      if (mine) {
        WritePendingFiles(mine->files.get());
      } else {
        command.run(task);
      }
    } catch (const std::bad_alloc&) {
      return Failed(result, task.name, "Out of memory");
    } catch (const std::exception& error) {
      return Failed(result, task.name, error.what());
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
