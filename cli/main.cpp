// pixtrel-batch: the batch commands of the window, on the command line.
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "batch/BatchRunner.h"
#include "cli/CommandLine.h"
#include "cli/FormatList.h"
#include "cli/ProcessMain.h"
#include "cli/TerminalHost.h"
#include "io/SafeWrite.h"
#include "io/WriteObserver.h"

namespace {

// Writes are atomic, so an interrupted run only has to drop the temporary file in hand: every
// output is then either complete or absent, and no source is half replaced.
extern "C" void OnInterrupt(int signal) {
  pixtrel::RemovePendingTemporaryFile();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pixtrel;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
#ifdef SIGXFSZ
  // Past a file size limit a write should fail with an error, not end the process.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // Test runs interrupt a batch at a known point of its writes.
  if (const char* hook = std::getenv("PIXTREL_TEST_SIGNAL_AFTER_BYTES")) SignalAfterBytes(hook);

  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "process")
    return cli::ProcessMain(std::vector<std::string>(args.begin() + 1, args.end()));
  if (!args.empty() && args[0] == "presets")
    return cli::PresetsMain(std::vector<std::string>(args.begin() + 1, args.end()));
  cli::CommandLine line;
  try {
    line = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const cli::UsageError& error) {
    std::cerr << "pixtrel-batch: " << error.what() << "\n"
              << "Try 'pixtrel-batch --help' for more information.\n";
    return 2;
  }
  if (line.help) {
    std::cout << cli::HelpText();
    return 0;
  }
  if (line.version) {
    std::cout << "pixtrel-batch 1.2\n";
    return 0;
  }
  if (line.listFormats) {
    std::cout << cli::FormatListText();
    return 0;
  }

  // The batch works on absolute paths; its messages name files as they were given here.
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::absolute(line.folder, ec);
  if (ec) {
    std::cerr << "pixtrel-batch: cannot tell the current folder: " << ec.message() << "\n";
    return 1;
  }
  cli::TerminalHost host(line);
  const BatchResult result =
      RunBatch(*FindCommand(line.command), FilePath(folder, line.folder.string()), host);
  host.finishProgressLine();
  switch (result.outcome) {
    case BatchOutcome::Done:
    case BatchOutcome::Stopped:
      if (result.skipped.empty()) return 0;
      // Each failure was told as it happened; the count closes the run.
      std::cerr << "pixtrel-batch: " << result.skipped.size() << " of " << result.selected
                << " files failed and were left out\n";
      return 1;
    case BatchOutcome::Declined:
      std::cerr << "pixtrel-batch: overwrite declined; nothing was written\n";
      return 3;
    case BatchOutcome::Failed:
      std::cerr << "pixtrel-batch: " << result.failedName << ": " << result.message << "\n";
      return 1;
  }
  return 1;
}
