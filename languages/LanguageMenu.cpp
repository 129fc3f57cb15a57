#include "languages/LanguageMenu.h"

namespace pixtrel {
namespace {

MenuLanguage Single(const char* english, const char* own, int code) {
  return {QString::fromUtf8(english), QString::fromUtf8(own), {{code, QString()}}};
}

MenuLanguage Variants(const char* english, const char* own,
                      std::initializer_list<std::pair<int, const char*>> variants) {
  MenuLanguage language{QString::fromUtf8(english), QString::fromUtf8(own), {}};
  for (const auto& [code, note] : variants)
    language.variants.push_back({code, QString::fromUtf8(note)});
  return language;
}

}  // namespace

const std::vector<MenuLanguage>& OtherMenuLanguages() {
  static const std::vector<MenuLanguage> languages = {
      Single("Afrikaans", "Afrikaans", 38),
      Single("Catalan", "Català", 47),
      Single("Chinese (traditional)", "繁體中文", 15),
      Variants("Czech", "Čeština", {{50, "formal"}, {61, "informal"}}),
      Single("Danish", "Dansk", 46),
      Variants("Dutch", "Nederlands", {{7, "the Netherlands"}, {49, "Belgium (Flemish)"}}),
      Single("Finnish", "Suomi", 11),
      Variants("French", "Français", {{12, "France"}, {14, "Canada (Quebec)"}, {13, "informal"}}),
      Variants("German", "Deutsch",
               {{19, "formal, descriptive"}, {24, "informal"}, {3, "formal, concise"}}),
      Single("Hebrew", "עברית", 58),
      Single("Hungarian", "Magyar", 10),
      Variants("Italian", "Italiano", {{30, "impersonal"}, {21, "informal"}, {53, "formal"}}),
      Single("Lithuanian", "Lietuvių", 22),
      Single("Norwegian", "Norsk (bokmål)", 9),
      Single("Polish", "Polski", 6),
      Single("Portuguese", "Português (Brasil)", 5),
      Single("Serbian", "Српски", 29),
      Single("Slovak", "Slovenčina", 8),
      Single("Spanish", "Español", 4),
      Single("Swedish", "Svenska", 28),
      Variants("Turkish", "Türkçe", {{23, "formal"}, {40, "informal"}}),
  };
  return languages;
}

QString LanguageEntryCaption(const MenuLanguage& language, int variantIndex) {
  QString caption = language.englishName;
  if (language.ownName != language.englishName)
    caption += QStringLiteral(" (%1)").arg(language.ownName);
  if (language.variants.size() > 1) caption += QStringLiteral(", variant %1").arg(variantIndex + 1);
  return caption;
}

}  // namespace pixtrel
