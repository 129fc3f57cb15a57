#include "batch/ResizeCommands.h"

#include "batch/IntegerText.h"
#include "imaging/ResizeFile.h"

namespace pixtrel {

BatchCommand ResizeCommand(ImageFormat format) {
  BatchCommand c;
  switch (format) {
    case ImageFormat::Jpeg:
      c.name = "resize-jpg";
      c.summary = "resize JPEG files to --pixels on the longer side (prefix mini-)";
      break;
    case ImageFormat::Gif:
      c.name = "resize-gif";
      c.summary = "resize GIF files to --pixels on the longer side (prefix mini-)";
      break;
    case ImageFormat::Bmp:
      c.name = "resize-bmp";
      c.summary = "resize BMP files to --pixels on the longer side (prefix mini-)";
      break;
  }
  c.prologue = Prologue::SettleRecordShow;
  c.prefixWord = [](BatchHost&) { return std::string("mini-"); };
  c.outputName = [](const std::string& name, const std::string& prefix) { return prefix + name; };
  c.run = [format](const FileTask& task) {
    const ResizeMethod method = task.options.methodFor(format);
    const int n = StrToInt(task.options.pixels(format));
    ResizeFile(task.source(), task.prefixedOutput(), format, method, n, task.options.saveQuality,
               task.out());
  };
  return c;
}

}  // namespace pixtrel
