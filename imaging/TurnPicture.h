#pragma once
// A decoded picture turned or mirrored as an orientation says, its alpha plane with it.
#include "core/DecodedPicture.h"
#include "imaging/Orientation.h"

namespace pixtrel {

void TurnPicture(DecodedPicture& picture, Orientation orientation);

}  // namespace pixtrel
