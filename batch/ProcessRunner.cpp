#include "batch/ProcessRunner.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "batch/MessageLine.h"
#include "batch/NameTemplate.h"
#include "batch/OutputPlan.h"
#include "codecs/FormatTable.h"
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

fs::path OutputFolder(const ProcessJob& job, const InputFile& input) {
  const fs::path besides = input.path.parent_path();
  if (job.out.empty()) return besides;
  const fs::path out(job.out);
  if (out.is_absolute()) return out / input.relative.parent_path();
  return besides / out;
}

DateTime FileDate(const fs::path& source) {
  DateTime date;
  std::tm local{};
  if (UnpackFileStamp(ReadFileStamp(source), local)) {
    date = DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec};
  }
  return date;
}

// Holds the one output a file makes until its name is known.
class HeldOutput : public OutputSink {
 public:
  void put(const FilePath&, std::span<const std::uint8_t> bytes) override {
    bytes_.assign(bytes.begin(), bytes.end());
  }
  Bytes bytes_;
};

std::string Megabytes(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
  return text;
}

}  // namespace

ProcessSummary RunProcess(const ProcessJob& job, const std::vector<ListedInput>& inputs,
                          bool allowReplacing, ProcessHost& host) {
  const auto start = std::chrono::steady_clock::now();
  const NameTemplate names(job.name);
  std::vector<fs::path> sources;
  for (const ListedInput& input : inputs)
    sources.push_back(input.file.path);
  OutputPlanner planner(sources,
                        job.existing == ExistingChoice::Skip        ? ExistingOutput::Skip
                        : job.existing == ExistingChoice::Overwrite ? ExistingOutput::Overwrite
                                                                    : ExistingOutput::Number,
                        [](const fs::path& p) {
                          std::error_code error;
                          return fs::exists(fs::symlink_status(p, error));
                        });
  ProcessSummary summary;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (host.stopRequested()) break;
    const InputFile& input = inputs[i].file;
    FileReport report;
    report.source = input.path.string();
    try {
      std::error_code error;
      report.bytesIn = static_cast<std::int64_t>(fs::file_size(input.path, error));
      HeldOutput held;
      const ProcessedFile made = ProcessFile(input.path, input.path, job, held);
      report.sourceWidth = made.sourceWidth;
      report.sourceHeight = made.sourceHeight;
      report.width = made.width;
      report.height = made.height;
      NameValues values;
      values.name = input.path.stem().string();
      values.extension = input.path.extension().string();
      if (!values.extension.empty()) values.extension.erase(0, 1);
      values.width = made.width;
      values.height = made.height;
      values.sourceWidth = made.sourceWidth;
      values.sourceHeight = made.sourceHeight;
      values.position = static_cast<int>(inputs[i].position + 1);
      values.preset = job.preset;
      if (made.captured) {
        const CaptureDate& c = *made.captured;
        values.date = DateTime{c.year, c.month, c.day, c.hour, c.minute, c.second};
      } else {
        values.date = FileDate(input.path);
      }
      const std::string extension(RowForKey(OutputFormatKey(job, input.path))->extensions.front());
      const fs::path wished = OutputFolder(job, input) / (names.expand(values) + extension);
      const PlannedOutput placed = planner.place(i, wished);
      if (placed.skipped) {
        report.status = FileReport::Status::Skipped;
        report.message = placed.reason;
      } else if (placed.replacesSource && !allowReplacing) {
        throw Exception("Not written over its own source without --yes");
      } else {
        fs::create_directories(placed.path.parent_path(), error);
        if (error) {
          throw Exception("Cannot create folder " + placed.path.parent_path().string() + ": " +
                          error.message());
        }
        WriteFileAtomically(
            placed.path, held.bytes_,
            placed.replacesSource ? LinkHandling::WriteThrough : LinkHandling::Replace);
        if (job.keepDate) ApplyFileStamp(placed.path, ReadFileStamp(input.path));
        report.output = placed.path.string();
        report.bytesOut = static_cast<std::int64_t>(held.bytes_.size());
      }
    } catch (const std::exception& e) {
      report.status = FileReport::Status::Failed;
      report.message = OnOneLine(e.what());
    }
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
    host.fileFinished(summary.files.back(), static_cast<int>(i), static_cast<int>(inputs.size()));
  }
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
    if (file.status == FileReport::Status::Skipped)
      text += "skipped: " + file.source + ": " + file.message + "\n";
  }
  return text;
}

}  // namespace pixtrel
