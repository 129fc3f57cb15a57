#include "batch/ResizeCommands.h"

#include "core/IntegerText.h"
#include "operations/ResizeFile.h"

namespace pixtrel {

BatchCommand ResizeCommand(const FormatRow& row) {
  BatchCommand c;
  c.name = "resize-" + std::string(row.key);
  c.summary =
      "resize " + std::string(row.name) + " files to --pixels on the longer side (prefix mini-)";
  c.prologue = Prologue::SettleRecordShow;
  c.prefixWord = [](const BatchOptions&) { return std::string("mini-"); };
  c.outputName = [](const std::string& name, const std::string& prefix, const BatchOptions&) {
    return prefix + name;
  };
  const FormatRow* format = &row;
  c.run = [format](const FileTask& task) {
    ResizeSettings settings;
    settings.method = task.options.methodFor(*format);
    settings.n = StrToInt(task.options.pixels(*format));
    settings.jpegQuality = task.options.saveQuality;
    settings.upright = task.options.upright;
    settings.metadata = task.options.metadata;
    settings.shrinkOnly = task.options.shrinkOnly;
    ResizeFile(task.source(), task.prefixedOutput(), *format, settings, task.out());
  };
  return c;
}

}  // namespace pixtrel
