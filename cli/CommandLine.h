#pragma once
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/BatchHost.h"

namespace pixtrel::cli {

// A command line that cannot be run; the message says why. Exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CommandLine {
  bool help = false;
  bool version = false;
  bool listFormats = false;  // --list-formats: the registry, one format a line
  std::string command;
  std::filesystem::path folder = ".";
  std::vector<std::string> names;  // bare names in folder, in the order given
  SaveMode saveMode = SaveMode::AddPrefix;
  bool yes = false;
  bool keepDate = false;
  std::string pixels = "800";
  ResizeMethod method = ResizeMethod::Better;
  int jpegQuality = 89;
  int quality = 85;
  TurnChoice turn = TurnChoice::Right;
  bool upright = true;  // --ignore-orientation clears it
  bool shrinkOnly = false;
  MetadataMode metadata = MetadataMode::Keep;
  const FormatRow* convertTo = nullptr;           // --to, for the convert command
  bool dither = false;                            // --dither, for the convert command
  LosslessTurn losslessTurn = LosslessTurn::Off;  // --lossless[=trim], for the rotate command
  bool quiet = false;
  bool keepGoing = false;  // a failing file is reported and left out; the others are done
  int jobs = 0;            // 0: one per core
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string HelpText();

}  // namespace pixtrel::cli
