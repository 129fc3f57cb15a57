#include "cli/TerminalHost.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "batch/PeakEstimate.h"
#include "io/QuietStderr.h"

namespace pixtrel::cli {

TerminalHost::TerminalHost(const CommandLine& line) : line_(line) {}

std::uint64_t TerminalHost::memoryBudget() {
  return BatchMemoryBudget(std::getenv("PIXTREL_BATCH_MEMORY_MB"));
}

BatchOptions TerminalHost::options() {
  BatchOptions o;
  o.saveQuality = line_.jpegQuality;
  o.qualityCommandValue = line_.quality;
  for (ResizeControls& controls : o.resize) {
    controls.pixelText = line_.pixels;
    controls.method = line_.method;
  }
  o.turn = line_.turn;
  o.upright = line_.upright;
  o.shrinkOnly = line_.shrinkOnly;
  o.metadata = line_.metadata;
  if (line_.convertTo) o.convertTarget = line_.convertTo;
  o.dither = line_.dither;
  o.losslessTurn = line_.losslessTurn;
  return o;
}

bool TerminalHost::confirmOverwrite() {
  if (line_.yes) return true;
  if (!isatty(fileno(stdin))) return false;  // no one to ask
  std::cerr << "All the original files will be overwritten!! Are you sure you want to do this?\n"
               "[OK/cancel] "
            << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  std::string word;
  for (char c : answer) {
    if (!std::isspace(static_cast<unsigned char>(c))) {
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  // OK is the default button, as in the window.
  return word.empty() || word == "ok" || word == "o" || word == "y" || word == "yes";
}

void TerminalHost::showProgress(int maximum) {
  maximum_ = maximum;
  position_ = 0;
  drawing_ = !line_.quiet && maximum > 0 && isatty(fileno(stderr));
  draw();
}

void TerminalHost::advanceProgress() {
  ++position_;
  draw();
}

void TerminalHost::hideProgress() {
  finishProgressLine();
}

FailureChoice TerminalHost::fileFailed(const std::string& name, const std::string& message) {
  if (!line_.keepGoing) return FailureChoice::Stop;
  // On a line of its own, then the bar goes on below it.
  // Through WriteStderr: a worker reading a HEIF file may have the stream redirected meanwhile.
  WriteStderr((drawing_ ? "\n" : "") + std::string("pixtrel-batch: ") + name + ": " + message +
              "\n");
  return FailureChoice::Skip;
}

void TerminalHost::finishProgressLine() {
  if (drawing_) WriteStderr("\n");
  drawing_ = false;
}

void TerminalHost::draw() {
  if (!drawing_) return;
  constexpr int kWidth = 30;
  const int filled = maximum_ > 0 ? position_ * kWidth / maximum_ : 0;
  WriteStderr("\r[" + std::string(static_cast<std::size_t>(filled), '#') +
              std::string(static_cast<std::size_t>(kWidth - filled), '.') + "] " +
              std::to_string(position_) + "/" + std::to_string(maximum_));
}

}  // namespace pixtrel::cli
