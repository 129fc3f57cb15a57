#pragma once
// The commands that are not a format's resize, by a typed name, for tables that map controls to
// commands. A command missing from CommandFor (or from the window's CommandButton) fails the
// build: those switches have no default, and the whole project is built with -Werror=switch.
// kAllCommandIds is a plain list: a new id must be added to it by hand. The resize commands come
// from the registry's resizable rows (ResizeCommandFor).
#include <array>

#include "batch/BatchCommand.h"
#include "codecs/FormatRow.h"

namespace pixtrel {

enum class CommandId {
  GifToJpg,
  JpgToGif,
  BmpToJpg,
  BmpToGif,
  JpgToBmp,
  GifToBmp,
  Convert,
  Rotate,
  Quality,
  Greyscale,
};

// Every id, in the order --help lists the commands (after the resize commands).
inline constexpr std::array<CommandId, 10> kAllCommandIds{
    CommandId::GifToJpg, CommandId::JpgToGif, CommandId::BmpToJpg, CommandId::BmpToGif,
    CommandId::JpgToBmp, CommandId::GifToBmp, CommandId::Convert,  CommandId::Rotate,
    CommandId::Quality,  CommandId::Greyscale};

const BatchCommand& CommandFor(CommandId id);
// "resize-KEY" of a resizable row; the same command for the life of the program.
const BatchCommand& ResizeCommandFor(const FormatRow& row);

}  // namespace pixtrel
