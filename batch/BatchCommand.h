#pragma once
// One batch command: how its run begins, how its outputs are named, and its per-file work.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "batch/BatchHost.h"
#include "io/FilePath.h"
#include "io/OutputSink.h"

namespace pixtrel {

// Everything a per-file operation gets.
struct FileTask {
  // The working folder: its absolute path, and as the user named it, which messages show
  // before the file's name (empty or ".": the bare name).
  FilePath folder{std::filesystem::path()};
  std::string name;                   // bare source name
  std::string outputPrefix;           // the save mode's, with the file's prefix word
  BatchOptions options;               // the controls as they were when the file was started
  OutputSink* sink = &WriteAtOnce();  // where the finished files go

  OutputSink& out() const { return *sink; }

  // A file named relative to the working folder.
  FilePath resolve(const std::string& relative) const {
    const std::string& shownFolder = folder.shown;
    return {folder.path / relative, shownFolder.empty() || shownFolder == "."
                                        ? relative
                                        : (std::filesystem::path(shownFolder) / relative).string()};
  }
  FilePath source() const { return resolve(name); }
  // OutputPrefix + bare name, for the commands that honour the save mode.
  FilePath prefixedOutput() const { return resolve(outputPrefix + name); }
};

// Which steps begin a run, in order.
enum class Prologue {
  SettleRecordShow,  // resize: settle the save mode, record the folder, show progress
  RecordSettleShow,  // rotate, JPEG quality: record the folder, settle, show progress
  RecordShow,        // conversions, greyscale: the save mode is not read
};

struct BatchCommand {
  std::string name;     // as pixtrel-batch knows it
  std::string summary;  // one line for --help
  Prologue prologue = Prologue::RecordShow;
  // The prefix word of the add-prefix save mode (commands that honour the save mode), from the
  // same snapshot of the controls as the file's work, so the name says what was done to it.
  std::function<std::string(const BatchOptions&)> prefixWord;
  // The output's name relative to the working folder, for the keep-date step and for telling
  // which later files read it.
  std::function<std::string(const std::string& name, const std::string& prefix,
                            const BatchOptions& options)>
      outputName;
  std::function<void(const FileTask&)> run;
  bool keepsDate = true;  // reads and applies the source's stamp
  // Copies of the picture the per-file work holds at its peak, for the batch's memory budget.
  int peakCopies = 4;

  bool honoursSaveMode() const { return prologue != Prologue::RecordShow; }
};

// Every command, in the order --help lists them.
const std::vector<BatchCommand>& AllCommands();
const BatchCommand* FindCommand(const std::string& name);

}  // namespace pixtrel
