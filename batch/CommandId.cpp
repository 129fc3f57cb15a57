#include "batch/CommandId.h"

#include <stdexcept>

#include "batch/ConvertCommands.h"
#include "batch/JpegCommands.h"
#include "batch/ResizeCommands.h"
#include "batch/RotateCommand.h"

namespace pixtrel {
namespace {

template <class Make>
const BatchCommand& Once(Make make) {
  static const BatchCommand command = make();
  return command;
}

}  // namespace

const BatchCommand& CommandFor(CommandId id) {
  // Each case has its own static command (the lambdas are distinct types).
  switch (id) {
    case CommandId::ResizeJpg:
      return Once([] { return ResizeCommand(ImageFormat::Jpeg); });
    case CommandId::ResizeGif:
      return Once([] { return ResizeCommand(ImageFormat::Gif); });
    case CommandId::ResizeBmp:
      return Once([] { return ResizeCommand(ImageFormat::Bmp); });
    case CommandId::ResizePng:
      return Once([] { return ResizeCommand(ImageFormat::Png); });
    case CommandId::ResizeWebp:
      return Once([] { return ResizeCommand(ImageFormat::Webp); });
    case CommandId::GifToJpg:
      return Once([] { return GifToJpegCommand(); });
    case CommandId::JpgToGif:
      return Once([] { return JpegToGifCommand(); });
    case CommandId::BmpToJpg:
      return Once([] { return BmpToJpegCommand(); });
    case CommandId::BmpToGif:
      return Once([] { return BmpToGifCommand(); });
    case CommandId::JpgToBmp:
      return Once([] { return JpegToBmpCommand(); });
    case CommandId::GifToBmp:
      return Once([] { return GifToBmpCommand(); });
    case CommandId::Convert:
      return Once([] { return ConvertToCommand(); });
    case CommandId::Rotate:
      return Once([] { return RotateCommand(); });
    case CommandId::Quality:
      return Once([] { return QualityCommand(); });
    case CommandId::Greyscale:
      return Once([] { return GreyscaleCommand(); });
  }
  throw std::invalid_argument("no such command");  // only for a value outside the enum
}

}  // namespace pixtrel
