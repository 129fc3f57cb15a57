#pragma once
// "pixtrel-batch process" and "pixtrel-batch presets": the one-pass command on the terminal.
#include <string>
#include <vector>

namespace pixtrel::cli {

// Both return the process's exit status: 0 done, 1 a file failed, 2 a command line that cannot
// be run.
int ProcessMain(const std::vector<std::string>& args);
int PresetsMain(const std::vector<std::string>& args);

}  // namespace pixtrel::cli
