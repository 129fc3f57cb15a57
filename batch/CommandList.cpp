#include "batch/BatchCommand.h"
#include "batch/JpegCommands.h"

namespace pixtrel {

const std::vector<BatchCommand>& AllCommands() {
  static const std::vector<BatchCommand> commands = [] {
    std::vector<BatchCommand> list;
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
