#pragma once
// The commands by a typed name, for tables that map controls to commands. A command missing from
// CommandFor (or from the window's CommandButton) fails the build: those switches have no
// default, and the whole project is built with -Werror=switch. kAllCommandIds is a plain list:
// a new id must be added to it by hand.
#include <array>

#include "batch/BatchCommand.h"

namespace pixtrel {

enum class CommandId {
  ResizeJpg,
  ResizeGif,
  ResizeBmp,
  ResizePng,
  ResizeWebp,
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

// Every id, in the order --help lists the commands.
inline constexpr std::array<CommandId, 15> kAllCommandIds{
    CommandId::ResizeJpg,  CommandId::ResizeGif, CommandId::ResizeBmp, CommandId::ResizePng,
    CommandId::ResizeWebp, CommandId::GifToJpg,  CommandId::JpgToGif,  CommandId::BmpToJpg,
    CommandId::BmpToGif,   CommandId::JpgToBmp,  CommandId::GifToBmp,  CommandId::Convert,
    CommandId::Rotate,     CommandId::Quality,   CommandId::Greyscale};

const BatchCommand& CommandFor(CommandId id);

}  // namespace pixtrel
