// Must not compile: a switch over the command ids that forgets one (as the window's
// CommandButton would). The build tests compile it with each target's options and expect the
// compiler to refuse it.
#include "batch/CommandId.h"

int ForgottenCommand(pixtrel::CommandId command) {
  switch (command) {
    case pixtrel::CommandId::GifToJpg:
    case pixtrel::CommandId::JpgToGif:
    case pixtrel::CommandId::BmpToJpg:
    case pixtrel::CommandId::BmpToGif:
    case pixtrel::CommandId::JpgToBmp:
    case pixtrel::CommandId::GifToBmp:
    case pixtrel::CommandId::Convert:
    case pixtrel::CommandId::Rotate:
    case pixtrel::CommandId::Quality:
      return 1;
  }
  return 0;
}
