#pragma once
// The Options tab's metadata choices, in the order the box offers them: the mode the batch gets,
// the word the settings store keeps ("metadata") and the caption.
#include <QString>
#include <array>

#include "metadata/MetadataPlan.h"

namespace pixtrel {

struct MetadataChoice {
  MetadataMode mode;
  QString key;      // as pixtrel-batch's --metadata spells it
  int text;         // the caption's offset in the translation table
  QString caption;  // in English
};

const std::array<MetadataChoice, 3>& MetadataChoices();

// The index of the choice stored as key; the first (keep) for an unknown word.
int MetadataChoiceIndex(const QString& key);

}  // namespace pixtrel
