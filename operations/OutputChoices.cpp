#include "operations/OutputChoices.h"

namespace pixtrel {

OutputChoices ChoicesFor(int quality, bool sourceLossless, MetadataMode metadata,
                         bool pixelsUpright) {
  OutputChoices choices;
  choices.quality = quality;
  choices.lossless = sourceLossless;
  choices.metadata = metadata;
  choices.pixelsUpright = pixelsUpright;
  return choices;
}

}  // namespace pixtrel
