#include "cli/ProcessMain.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "batch/PeakEstimate.h"
#include "batch/Preset.h"
#include "batch/ProcessRunner.h"
#include "batch/ReportWriter.h"
#include "cli/CommandLine.h"
#include "cli/ProcessLine.h"
#include "codecs/Registry.h"
#include "core/Errors.h"
#include "io/QuietStderr.h"
#include "io/SafeWrite.h"

namespace pixtrel::cli {
namespace {

namespace fs = std::filesystem;

// Folders that take outputs are never read as input: the one given (absolute), or the one of
// that name below every folder read (relative).
std::function<bool(const fs::path&)> OutputFolderTest(const std::string& out) {
  if (out.empty()) return nullptr;
  const fs::path given(out);
  if (given.is_absolute()) {
    const fs::path resolved = ResolvedPath(given);
    return [resolved](const fs::path& folder) { return folder == resolved; };
  }
  return [given](const fs::path& folder) {
    return ResolvedPath(folder.parent_path() / given) == folder ||
           ResolvedPath(folder.parent_path().parent_path() / given) == folder;
  };
}

class TerminalProcessHost : public ProcessHost {
 public:
  TerminalProcessHost(bool quiet, int jobs) : quiet_(quiet), jobs_(jobs) {}
  int jobs() override { return jobs_; }
  std::uint64_t memoryBudget() override {
    return BatchMemoryBudget(std::getenv("PIXTREL_BATCH_MEMORY_MB"));
  }
  void fileFinished(const FileReport& report, int, int) override {
    if (report.status == FileReport::Status::Failed) {
      WriteStderr("pixtrel-batch: " + report.source + ": " + report.message + "\n");
    } else if (!quiet_ && report.status == FileReport::Status::Done) {
      std::cout << report.source << " -> " << report.output;
      if (report.quality > 0) {
        std::cout << " (quality " << report.quality << ", " << report.bytesOut << " bytes";
        if (report.scale < 1) std::cout << ", made smaller to fit";
        std::cout << ")";
      }
      std::cout << "\n";
    }
  }

 private:
  bool quiet_;
  int jobs_;
};

}  // namespace

int ProcessMain(const std::vector<std::string>& args) {
  ProcessLine line;
  std::vector<ListedInput> selected;
  try {
    line = ParseProcessLine(args, PresetFolder());
    if (line.help) {
      std::cout << ProcessHelpText();
      return 0;
    }
    std::vector<fs::path> given = line.inputs;
    if (line.filesFrom) {
      std::ifstream file;
      std::istream* in = &std::cin;
      if (*line.filesFrom != "-") {
        file.open(*line.filesFrom, std::ios::binary);
        if (!file) throw UsageError("cannot read the list " + *line.filesFrom);
        in = &file;
      }
      for (fs::path& name : ReadNameList(*in, line.nulSeparated))
        given.push_back(std::move(name));
    }
    const std::vector<InputFile> listed =
        ListInputs(given, line.job.recursive, OutputFolderTest(line.job.out),
                   [](const std::string& name) { return RowForFileName(name) != nullptr; });
    for (std::size_t i = 0; i < listed.size(); ++i) {
      if (!line.shard || InShard(i, *line.shard)) selected.push_back({listed[i], i});
    }
  } catch (const std::exception& error) {
    std::cerr << "pixtrel-batch: " << error.what() << "\n"
              << "Try 'pixtrel-batch process --help' for more information.\n";
    return 2;
  }
  TerminalProcessHost host(line.quiet, line.jobs);
  ProcessSummary summary;
  try {
    summary = RunProcess(line.job, selected, line.yes, host);
  } catch (const Exception& error) {
    std::cerr << "pixtrel-batch: " << error.what() << "\n";
    return 2;
  }
  if (line.report) {
    try {
      const std::string text =
          line.report->extension() == ".json" ? ReportJson(summary) : ReportCsv(summary);
      WriteFileAtomically(*line.report,
                          {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    } catch (const std::exception& error) {
      WriteStderr("pixtrel-batch: " + std::string(error.what()) + "\n");
      return 1;
    }
  }
  WriteStderr(SummaryText(summary));
  return summary.failed > 0 ? 1 : 0;
}

int PresetsMain(const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::cerr << "pixtrel-batch: presets takes no arguments\n";
    return 2;
  }
  try {
    for (const Preset& preset : PresetStore(PresetFolder()).list()) {
      std::cout << preset.name << (preset.builtIn ? " (built in)" : "") << ":";
      for (const auto& [option, value] : preset.options)
        std::cout << " --" << option << "=" << value;
      std::cout << "\n";
    }
  } catch (const std::exception& error) {
    std::cerr << "pixtrel-batch: " << error.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace pixtrel::cli
