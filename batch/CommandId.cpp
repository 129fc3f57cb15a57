#include "batch/CommandId.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "batch/ConvertCommands.h"
#include "batch/JpegCommands.h"
#include "batch/ResizeCommands.h"
#include "batch/RotateCommand.h"
#include "codecs/Registry.h"

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

const BatchCommand& ResizeCommandFor(const FormatRow& row) {
  static const std::vector<BatchCommand> commands = [] {
    std::vector<BatchCommand> list;
    for (const FormatRow* resizable : ResizableRows())
      list.push_back(ResizeCommand(*resizable));
    return list;
  }();
  if (!row.resizable() || static_cast<std::size_t>(row.resizeRank) >= commands.size())
    throw std::invalid_argument("no resize command for " + std::string(row.key));
  return commands[static_cast<std::size_t>(row.resizeRank)];
}

}  // namespace pixtrel
