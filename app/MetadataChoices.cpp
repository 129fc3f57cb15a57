#include "app/MetadataChoices.h"

#include "languages/LanguageTable.h"

namespace pixtrel {

const std::array<MetadataChoice, 3>& MetadataChoices() {
  static const std::array<MetadataChoice, 3> choices = {{
      {MetadataMode::Keep, QStringLiteral("keep"), kTextMetadataKeep,
       LanguageText(kEnglish, kTextMetadataKeep)},
      {MetadataMode::Strip, QStringLiteral("strip"), kTextMetadataStrip,
       LanguageText(kEnglish, kTextMetadataStrip)},
      {MetadataMode::StripGps, QStringLiteral("strip-gps"), kTextMetadataStripGps,
       LanguageText(kEnglish, kTextMetadataStripGps)},
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
