#include "app/MetadataChoices.h"

#include "app/EnglishCaptions.h"

namespace pixtrel {

const std::array<MetadataChoice, 3>& MetadataChoices() {
  static const std::array<MetadataChoice, 3> choices = {{
      {MetadataMode::Keep, QStringLiteral("keep"), kMetadataKeepCaption},
      {MetadataMode::Strip, QStringLiteral("strip"), kMetadataStripCaption},
      {MetadataMode::StripGps, QStringLiteral("strip-gps"), kMetadataStripGpsCaption},
  }};
  return choices;
}

int MetadataChoiceIndex(const QString& key) {
  const auto& choices = MetadataChoices();
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (choices[i].key == key) return static_cast<int>(i);
  }
  return 0;
}

}  // namespace pixtrel
