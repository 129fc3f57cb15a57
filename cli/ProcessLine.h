#pragma once
// The command line of "pixtrel-batch process": the job's options (through the same ApplyOption
// presets use), presets applied where they are named, and where the files come from.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "batch/InputList.h"
#include "operations/ProcessJob.h"

namespace pixtrel::cli {

struct ProcessLine {
  bool help = false;
  ProcessJob job;
  std::vector<std::filesystem::path> inputs;  // files and folders, in the order given
  std::optional<std::string> filesFrom;       // a file of names, "-" for standard input
  bool nulSeparated = false;
  std::optional<Shard> shard;
  std::optional<std::filesystem::path> report;
  bool yes = false;
  bool quiet = false;
  int jobs = 0;  // files worked on at once; 0: one per core
};

// Throws UsageError for anything that cannot be run. presetFolder: where the user's presets are.
ProcessLine ParseProcessLine(const std::vector<std::string>& args,
                             const std::filesystem::path& presetFolder);

std::string ProcessHelpText();

// The folder of the user's presets: $XDG_CONFIG_HOME/pixtrel/presets, else
// ~/.config/pixtrel/presets (%APPDATA%\pixtrel\presets on Windows).
std::filesystem::path PresetFolder();

}  // namespace pixtrel::cli
