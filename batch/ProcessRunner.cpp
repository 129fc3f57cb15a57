#include "batch/ProcessRunner.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>

#include "batch/MessageLine.h"
#include "batch/NameTemplate.h"
#include "batch/OutputName.h"
#include "batch/OutputPlan.h"
#include "batch/PeakEstimate.h"
#include "codecs/Registry.h"
#include "concurrency/RetainedMemory.h"
#include "concurrency/WorkerPool.h"
#include "core/Errors.h"
#include "io/FileBytes.h"
#include "io/FileStamp.h"
#include "io/OutputSink.h"
#include "io/SafeWrite.h"
#include "metadata/CaptureDate.h"
#include "operations/ProcessFile.h"

namespace pixtrel {
namespace {

namespace fs = std::filesystem;

// Holds the one output a file makes until its name is known.
class HeldOutput : public OutputSink {
 public:
  void put(const FilePath&, std::span<const std::uint8_t> bytes) override {
    bytes_.assign(bytes.begin(), bytes.end());
  }
  Bytes bytes_;
};

// The copies of a picture a file's work holds at its peak: the decoded picture, the resized one
// and the encoder's input.
constexpr int kProcessCopies = 3;

std::string Megabytes(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

// One file from its start to its commit: the work done on a pool thread, its output held until
// the run reaches it in list order.
struct Pending {
  std::size_t index = 0;
  std::uint64_t budget = 0;
  std::int64_t bytesIn = 0;
  HeldOutput held;
  ProcessedFile made;
  std::string failure;  // empty when the work succeeded
  bool failed = false;

  std::mutex mutex;
  std::condition_variable doneChanged;
  bool done = false;

  void finish() {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    doneChanged.notify_all();
  }
  void wait() {
    std::unique_lock<std::mutex> lock(mutex);
    doneChanged.wait(lock, [&] { return done; });
  }
};

void Work(const ProcessJob& job, const InputFile& input, Pending& file,
          const std::atomic<bool>& abandoned) {
  if (!abandoned) {
    try {
      std::error_code error;
      file.bytesIn = static_cast<std::int64_t>(fs::file_size(input.path, error));
      file.made = ProcessFile(input.path, input.path, job, file.held);
    } catch (const std::bad_alloc&) {
      file.failed = true;
      file.failure = "Out of memory";
    } catch (const std::exception& e) {
      file.failed = true;
      file.failure = e.what();
    } catch (...) {
      // Whatever a codec or a library throws fails this file, never the run.
      file.failed = true;
      file.failure = "Unknown error";
    }
  }
  file.finish();
}

// Names, places and writes a file whose work is done; throws what stops it.
void Commit(const ProcessJob& job, const NameTemplate& names, const ListedInput& listed,
            Pending& file, OutputPlanner& planner, bool allowReplacing, BatchDurability& durability,
            FileReport& report) {
  const InputFile& input = listed.file;
  const ProcessedFile& made = file.made;
  report.sourceWidth = made.sourceWidth;
  report.sourceHeight = made.sourceHeight;
  report.width = made.width;
  report.height = made.height;
  report.quality = made.quality;
  report.scale = made.scale;
  const NameValues values = NameValuesFor(
      job, listed, {made.sourceWidth, made.sourceHeight, made.width, made.height}, made.captured);
  const fs::path wished = WishedOutput(job, names, listed, values);
  const PlannedOutput placed = planner.place(file.index, wished);
  if (placed.skipped) {
    report.status = FileReport::Status::Skipped;
    report.message = placed.reason;
    return;
  }
  if (placed.replacesSource && !allowReplacing)
    throw Exception("Not written over its own source without --yes");
  // A file named without its folder ("photo.jpg") is written in the current one, there already.
  const fs::path folder = placed.path.parent_path();
  std::error_code error;
  if (!folder.empty()) fs::create_directories(folder, error);
  if (error) throw Exception("Cannot create folder " + folder.string() + ": " + error.message());
  WriteFileAtomically(placed.path, file.held.bytes_,
                      placed.replacesSource ? LinkHandling::WriteThrough : LinkHandling::Replace,
                      &durability);
  if (job.keepDate) ApplyFileStamp(placed.path, ReadFileStamp(input.path));
  report.output = placed.path.string();
  report.bytesOut = static_cast<std::int64_t>(file.held.bytes_.size());
}

int JobsFor(ProcessHost& host) {
  if (WorkerPool::Shared().workers() == 0) return 1;  // no worker to be had: one at a time here
  const int jobs = host.jobs();
  return jobs <= 0 ? UsableCoreCount() : jobs;
}

}  // namespace

ProcessSummary RunProcess(const ProcessJob& job, const std::vector<ListedInput>& inputs,
                          bool allowReplacing, ProcessHost& host) {
  const auto start = std::chrono::steady_clock::now();
  const NameTemplate names(job.name);
  std::vector<fs::path> sources;
  for (const ListedInput& input : inputs)
    sources.push_back(input.file.path);
  // The planner never lets an output replace a source still to be read, so later files may be
  // read while earlier ones are being written.
  OutputPlanner planner(sources, ExistingPolicy(job), PathTaken);
  // New outputs are synced together when the run ends; replaced files one by one.
  BatchDurability durability;
  const int jobs = JobsFor(host);
  // With several jobs one more file is held, so the cores keep working while the oldest is
  // written.
  const std::size_t slots = jobs > 1 ? static_cast<std::size_t>(jobs) + 1 : 1;
  const std::uint64_t memory = host.memoryBudget();
  const RetainedMemoryScope retained;  // before the flight: given back after its files
  std::deque<std::shared_ptr<Pending>> flight;
  std::atomic<bool> abandoned{false};
  std::uint64_t inFlightBytes = 0;
  std::size_t next = 0;
  bool stopped = false;
  ProcessSummary summary;
  for (;;) {
    // Start files while there is a slot and the memory allows (one file always fits).
    while (!stopped && next < inputs.size() && flight.size() < slots) {
      const std::uint64_t budget =
          jobs > 1 ? EstimatePeakBytes(inputs[next].file.path, kProcessCopies) : 0;
      if (!flight.empty() && inFlightBytes + budget > memory) break;
      if (host.stopRequested()) {
        stopped = true;
        break;
      }
      KeepFreedMemoryWithin(memory > inFlightBytes + budget ? memory - inFlightBytes - budget : 0);
      auto file = std::make_shared<Pending>();
      file->index = next;
      file->budget = budget;
      inFlightBytes += budget;
      flight.push_back(file);
      const InputFile& input = inputs[next].file;
      ++next;
      if (jobs == 1) {
        Work(job, input, *file, abandoned);
      } else {
        WorkerPool::Shared().Submit(
            [&job, &input, file, &abandoned] { Work(job, input, *file, abandoned); });
      }
    }
    if (flight.empty()) break;

    std::shared_ptr<Pending> file = flight.front();
    file->wait();
    flight.pop_front();
    inFlightBytes -= file->budget;
    const ListedInput& listed = inputs[file->index];
    FileReport report;
    report.source = listed.file.path.string();
    report.bytesIn = file->bytesIn;
    try {
      if (file->failed) throw Exception(file->failure);
      Commit(job, names, listed, *file, planner, allowReplacing, durability, report);
    } catch (const std::exception& e) {
      report.status = FileReport::Status::Failed;
      report.message = OnOneLine(e.what());
    }
    file.reset();  // its held output is not needed any more
    switch (report.status) {
      case FileReport::Status::Done:
        ++summary.done;
        summary.bytesIn += report.bytesIn;
        summary.bytesOut += report.bytesOut;
        break;
      case FileReport::Status::Skipped:
        ++summary.skipped;
        break;
      case FileReport::Status::Failed:
        ++summary.failed;
        break;
    }
    summary.files.push_back(report);
    host.fileFinished(summary.files.back(), static_cast<int>(summary.files.size() - 1),
                      static_cast<int>(inputs.size()));
    if (!stopped && !flight.empty() && host.stopRequested()) stopped = true;
    if (stopped && !flight.empty()) {
      // Work not yet begun is skipped; work under way is waited for, so no task outlives the
      // run; none of their outputs is written.
      abandoned = true;
      for (const auto& f : flight)
        f->wait();
      break;
    }
  }
  durability.sync();
  summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return summary;
}

std::string SummaryText(const ProcessSummary& summary) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f s", summary.seconds);
  std::string text = std::to_string(summary.done) + " written, " + std::to_string(summary.skipped) +
                     " skipped, " + std::to_string(summary.failed) + " failed; " +
                     Megabytes(summary.bytesIn) + " in, " + Megabytes(summary.bytesOut) + " out; " +
                     seconds + "\n";
  for (const FileReport& file : summary.files) {
    if (file.status == FileReport::Status::Failed)
      text += "failed: " + file.source + ": " + file.message + "\n";
  }
  for (const FileReport& file : summary.files) {
    if (file.status == FileReport::Status::Done && file.scale < 1) {
      char note[96];
      std::snprintf(note, sizeof note, "quality %d and %.0f %% of its size to fit", file.quality,
                    file.scale * 100);
      text += "made smaller: " + file.source + ": " + note + "\n";
    }
  }
  for (const FileReport& file : summary.files) {
    if (file.status == FileReport::Status::Skipped)
      text += "skipped: " + file.source + ": " + file.message + "\n";
  }
  return text;
}

}  // namespace pixtrel
