#include "batch/BatchCommand.h"
#include "batch/CommandId.h"
#include "codecs/Registry.h"

namespace pixtrel {

const std::vector<BatchCommand>& AllCommands() {
  static const std::vector<BatchCommand> commands = [] {
    std::vector<BatchCommand> list;
    for (const FormatRow* row : ResizableRows())
      list.push_back(ResizeCommandFor(*row));
    for (CommandId id : kAllCommandIds)
      list.push_back(CommandFor(id));
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
