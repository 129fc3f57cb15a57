#include "batch/BatchRunner.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <system_error>

#include "batch/MessageLine.h"
#include "batch/PeakEstimate.h"
#include "concurrency/RetainedMemory.h"
#include "concurrency/WorkerPool.h"
#include "io/FileStamp.h"
#include "io/StaleTemporaries.h"

namespace pixtrel {
namespace {

namespace fs = std::filesystem;

// Why outputs cannot go into the subfolder, or empty when they can. A symbolic link there (a
// shared or downloaded folder may hold one) could send them anywhere, so it is refused like a
// file in the folder's place.
std::string SubfolderProblem(const fs::path& subfolder) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(subfolder, ec);
  if (fs::is_symlink(status)) return std::string(kSubfolderName) + " is a symbolic link";
  if (fs::exists(status) && !fs::is_directory(status))
    return std::string(kSubfolderName) + " is not a folder";
  return {};
}

// Settles OutputPrefix for the subfolder and overwrite modes; in the add-prefix mode each file
// takes its prefix word from its own snapshot of the controls. False when the overwrite question
// was declined. `subfolder` tells whether the outputs go into the subfolder.
bool SettleSaveMode(const FileTask& task, BatchHost& host, std::string& prefix, bool& prefixPerFile,
                    bool& subfolder) {
  prefixPerFile = false;
  subfolder = false;
  switch (host.saveMode()) {
    case SaveMode::AddPrefix:
      prefixPerFile = true;
      return true;
    case SaveMode::Subfolder: {
      std::error_code ignored;  // an existing folder is the usual case
      std::filesystem::create_directory(task.resolve(kSubfolderName).path, ignored);
      if (SubfolderProblem(task.resolve(kSubfolderName).path).empty())
        RemoveStaleTemporaries(task.resolve(kSubfolderName).path);
      prefix = SubfolderPrefix();
      subfolder = true;
      return true;
    }
    case SaveMode::Overwrite:
      if (!host.confirmOverwrite()) return false;
      prefix.clear();
      return true;
  }
  return true;
}

// The path a file is known by, for telling whether a later file reads an earlier one's output.
fs::path Identity(const fs::path& path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(path, ec);
  return ec ? path.lexically_normal() : p;
}

// One file from its start to its commit. Its work fills `sink`; nothing reaches the disk until
// the walk commits it in list order.
struct InFlight {
  std::string name;
  BatchOptions options;  // the controls as they were when the walk reached the file
  std::string prefix;    // OutputPrefix for this file
  std::string output;    // the output of the command's naming rule, relative to the folder
  FileStamp stamp = kNoFileStamp;
  fs::path writes;  // identity of the output
  std::uint64_t budget = 0;
  CollectingSink sink;

  std::mutex mutex;
  std::condition_variable doneChanged;
  bool done = false;
  bool failed = false;
  std::string message;
};

void Work(const BatchCommand& command, FileTask task, InFlight& file,
          const std::atomic<bool>& abandoned) {
  bool failed = false;
  std::string message;
  if (!abandoned) {
    task.sink = &file.sink;
    try {
      command.run(task);
    } catch (const std::bad_alloc&) {
      failed = true;
      message = "Out of memory";
    } catch (const std::exception& error) {
      failed = true;
      message = error.what();
    } catch (...) {
      // Whatever a codec or a library throws fails this file, never the process.
      failed = true;
      message = "Unknown error";
    }
  }
  std::lock_guard<std::mutex> lock(file.mutex);
  file.failed = failed;
  file.message = std::move(message);
  file.done = true;
  file.doneChanged.notify_all();
}

void WaitFor(InFlight& file) {
  std::unique_lock<std::mutex> lock(file.mutex);
  file.doneChanged.wait(lock, [&] { return file.done; });
}

// The files started and not yet committed, oldest first. Whatever is left when the walk ends is
// abandoned: work not yet begun is skipped, and the walk waits for work under way, so no task
// outlives the run; none of their outputs is written.
class Flight {
 public:
  ~Flight() { abandonAll(); }
  void abandonAll() {
    abandoned_ = true;
    for (auto& f : files_)
      WaitFor(*f);
    files_.clear();
  }
  std::deque<std::shared_ptr<InFlight>>& files() { return files_; }
  std::uint64_t budget() const {
    std::uint64_t total = 0;
    for (const auto& f : files_)
      total += f->budget;
    return total;
  }
  // True when a file in flight writes what `source` names: that file must be committed first.
  bool writes(const fs::path& source) const {
    return std::any_of(files_.begin(), files_.end(),
                       [&](const auto& f) { return f->writes == source; });
  }
  const std::atomic<bool>& abandoned() const { return abandoned_; }

 private:
  std::deque<std::shared_ptr<InFlight>> files_;
  std::atomic<bool> abandoned_{false};
};

// Asks the host what to do about a failed file, unless it said to skip every error.
FailureChoice Decide(BatchHost& host, bool& skipAll, const std::string& name,
                     const std::string& message) {
  if (skipAll) return FailureChoice::Skip;
  const FailureChoice choice = host.fileFailed(OnOneLine(name), OnOneLine(message));
  if (choice == FailureChoice::SkipAll) skipAll = true;
  return choice;
}

int JobsFor(BatchHost& host) {
  const int workers = WorkerPool::Shared().workers();
  int jobs = host.jobs();
  if (jobs <= 0) jobs = UsableCoreCount();
  return workers == 0 ? 1 : std::max(jobs, 1);  // no worker to be had: one file at a time here
}

}  // namespace

BatchResult RunBatch(const BatchCommand& command, const FilePath& folder, BatchHost& host) {
  // Every path of the run is made from this one, so none depends on the current directory.
  if (!folder.path.is_absolute())
    throw std::invalid_argument("RunBatch needs an absolute folder, not " + folder.shown);
  BatchResult result;
  FileTask task;
  task.folder = folder;
  std::string settledPrefix;  // the subfolder's, or empty when overwriting
  bool prefixPerFile = false;
  bool intoSubfolder = false;

  RemoveStaleTemporaries(folder.path);
  switch (command.prologue) {
    case Prologue::SettleRecordShow:
      if (!SettleSaveMode(task, host, settledPrefix, prefixPerFile, intoSubfolder)) {
        result.outcome = BatchOutcome::Declined;
        return result;
      }
      host.recordFolder();
      break;
    case Prologue::RecordSettleShow:
      host.recordFolder();
      if (!SettleSaveMode(task, host, settledPrefix, prefixPerFile, intoSubfolder)) {
        result.outcome = BatchOutcome::Declined;
        return result;
      }
      break;
    case Prologue::RecordShow:
      host.recordFolder();
      break;
  }
  result.selected = host.selectedCount();
  host.showProgress(result.selected);

  const int count = host.itemCount();
  const int jobs = JobsFor(host);
  // With several jobs, one more file is held: the oldest stays in flight while its outputs are
  // written and synced, and the cores keep working on the next ones meanwhile.
  const int slots = jobs > 1 ? jobs + 1 : 1;
  const std::uint64_t memory = host.memoryBudget();
  const RetainedMemoryScope retained;  // before the flight: given back after its files
  Flight flight;
  auto& files = flight.files();
  int index = 0;                      // the next item the walk reads
  std::shared_ptr<InFlight> waiting;  // read, but held back until there is room
  bool skipAll = false;

  for (;;) {
    // Start files while there is room: a file slot, the memory budget (one file always fits)
    // and no earlier file in flight writing what this one reads.
    while (static_cast<int>(files.size()) < slots && (waiting || index < count)) {
      if (!waiting) {
        if (host.stopRequested()) {
          result.outcome = BatchOutcome::Stopped;
          break;
        }
        const int i = index++;
        if (!host.itemSelected(i)) continue;
        waiting = std::make_shared<InFlight>();
        waiting->name = host.itemName(i);
        waiting->options = host.options();
        waiting->prefix = prefixPerFile && command.prefixWord ? command.prefixWord(waiting->options)
                                                              : settledPrefix;
        waiting->output = command.outputName(waiting->name, waiting->prefix, waiting->options);
        task.name = waiting->name;
        waiting->writes = Identity(task.resolve(waiting->output).path);
        waiting->budget = jobs > 1 ? EstimatePeakBytes(task.source().path, command.peakCopies) : 0;
      }
      task.name = waiting->name;
      if (!files.empty() && (flight.writes(Identity(task.source().path)) ||
                             flight.budget() + waiting->budget > memory)) {
        break;
      }
      const std::uint64_t taken = flight.budget() + waiting->budget;
      KeepFreedMemoryWithin(memory > taken ? memory - taken : 0);
      // Read before anything is written for this file, so an overwritten source's time
      // survives; every earlier output that could replace the source is already written.
      waiting->stamp = command.keepsDate ? ReadFileStamp(task.source().path) : kNoFileStamp;
      task.options = waiting->options;
      task.outputPrefix = waiting->prefix;
      std::shared_ptr<InFlight> file = std::move(waiting);
      files.push_back(file);
      if (jobs == 1) {
        Work(command, task, *file, flight.abandoned());
      } else {
        WorkerPool::Shared().Submit(
            [&command, task, file, &flight] { Work(command, task, *file, flight.abandoned()); });
      }
    }
    if (result.outcome == BatchOutcome::Stopped || files.empty()) break;

    // Commit the oldest file: its outputs in order, then the keep-date step read now.
    std::shared_ptr<InFlight> file = files.front();
    WaitFor(*file);
    task.name = file->name;
    // Looked at again for every file: the folder may have been changed while the batch ran.
    if (!file->failed && intoSubfolder) {
      const std::string problem = SubfolderProblem(task.resolve(kSubfolderName).path);
      if (!problem.empty()) {
        file->failed = true;
        file->message = "Cannot create file " + task.resolve(file->output).shown + ": " + problem;
      }
    }
    if (!file->failed) {
      try {
        file->sink.commit(task.source().path);
      } catch (const std::bad_alloc&) {
        file->failed = true;
        file->message = "Out of memory";
      } catch (const std::exception& error) {
        file->failed = true;
        file->message = error.what();
      } catch (...) {
        file->failed = true;
        file->message = "Unknown error";
      }
    }
    if (file->failed) {
      if (Decide(host, skipAll, file->name, file->message) == FailureChoice::Stop) {
        result.outcome = BatchOutcome::Failed;
        result.failedName = OnOneLine(file->name);
        result.message = OnOneLine(file->message);
        break;
      }
      result.skipped.push_back({OnOneLine(file->name), OnOneLine(file->message)});
      files.pop_front();
    } else {
      files.pop_front();
      if (command.keepsDate && host.keepDate()) {
        ApplyFileStamp(task.resolve(file->output).path, file->stamp);
      }
      ++result.processed;
    }
    host.advanceProgress();
    if (!files.empty() && host.stopRequested()) {
      result.outcome = BatchOutcome::Stopped;
      break;
    }
  }
  // Whatever ended the batch, the files written show in the list. The files still in flight are
  // dropped first (Flight's end), so none of them is written after the refresh.
  flight.abandonAll();
  host.refresh();
  host.hideProgress();
  return result;
}

}  // namespace pixtrel
