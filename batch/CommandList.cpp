#include "batch/BatchCommand.h"
#include "batch/ConvertCommands.h"
#include "batch/JpegCommands.h"
#include "batch/ResizeCommands.h"
#include "batch/RotateCommand.h"

namespace pixtrel {

const std::vector<BatchCommand>& AllCommands() {
  static const std::vector<BatchCommand> commands = [] {
    std::vector<BatchCommand> list;
    list.push_back(ResizeCommand(ImageFormat::Jpeg));
    list.push_back(ResizeCommand(ImageFormat::Gif));
    list.push_back(ResizeCommand(ImageFormat::Bmp));
    list.push_back(GifToJpegCommand());
    list.push_back(JpegToGifCommand());
    list.push_back(BmpToJpegCommand());
    list.push_back(BmpToGifCommand());
    list.push_back(JpegToBmpCommand());
    list.push_back(GifToBmpCommand());
    list.push_back(RotateCommand());
    list.push_back(QualityCommand());
    list.push_back(GreyscaleCommand());
    return list;
  }();
  return commands;
}

const BatchCommand* FindCommand(const std::string& name) {
  for (const BatchCommand& c : AllCommands()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

}  // namespace pixtrel
