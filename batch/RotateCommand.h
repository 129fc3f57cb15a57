#pragma once
#include "batch/BatchCommand.h"

namespace pixtrel {

// "rotate": each selected BMP, JPEG or GIF file (the kind from its extension) turned a quarter
// to the right, to the left, or upside down, and written back in its own format. Honours the
// save mode (prefix "right-", "left-" or "180-", chosen at the start) and keep-date; the turn
// itself is read for each file.
BatchCommand RotateCommand();

// The angle Rotate90 is given for a choice (counter-clockwise degrees) and its prefix word.
int TurnAngle(TurnChoice choice);
const char* TurnPrefix(TurnChoice choice);

}  // namespace pixtrel
