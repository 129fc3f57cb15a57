#include "batch/RotateCommand.h"

#include "codecs/Registry.h"
#include "core/Errors.h"
#include "core/FileName.h"
#include "operations/Rotate.h"

namespace pixtrel {

int TurnAngle(TurnChoice choice) {
  switch (choice) {
    case TurnChoice::Right:
      return 270;  // angles count counter-clockwise
    case TurnChoice::Left:
      return 90;
    case TurnChoice::UpsideDown:
      return 180;
  }
  return 270;
}

const char* TurnPrefix(TurnChoice choice) {
  switch (choice) {
    case TurnChoice::Right:
      return "right-";
    case TurnChoice::Left:
      return "left-";
    case TurnChoice::UpsideDown:
      return "180-";
  }
  return "right-";
}

namespace {

// "JPEG, PNG, WebP, GIF and BMP": every format written back in its own format.
std::string WrittenFormatNames() {
  const std::vector<const FormatRow*> rows = WritableRows();
  std::string text;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) text += i + 1 == rows.size() ? " and " : ", ";
    text += rows[i]->name;
  }
  return text;
}

}  // namespace

BatchCommand RotateCommand() {
  BatchCommand c;
  c.name = "rotate";
  c.summary = "rotate " + WrittenFormatNames() + " files by --turn (prefix right-, left- or 180-)";
  c.prologue = Prologue::RecordSettleShow;
  c.prefixWord = [](const BatchOptions& options) { return std::string(TurnPrefix(options.turn)); };
  c.outputName = [](const std::string& name, const std::string& prefix, const BatchOptions&) {
    return prefix + name;
  };
  c.run = [](const FileTask& task) {
    const FormatRow* kind = RowForFileName(task.name);
    if (!kind) {
      throw Exception("Cannot rotate " + task.name + ": unknown picture file extension (" +
                      std::string(ExtensionOf(task.name)) + ")");
    }
    if (!kind->writable()) {
      throw Exception("Cannot rotate " + task.name + ": " + std::string(kind->title) +
                      " files are only read; convert them to another format first");
    }
    RotateSettings settings;
    settings.angle = TurnAngle(task.options.turn);
    settings.upright = task.options.upright;
    settings.jpegQuality = task.options.saveQuality;
    settings.metadata = task.options.metadata;
    settings.lossless = task.options.losslessTurn != LosslessTurn::Off;
    settings.trim = task.options.losslessTurn == LosslessTurn::Trim;
    RotateFile(task.source(), task.prefixedOutput(), *kind, settings, task.out());
  };
  return c;
}

}  // namespace pixtrel
