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
      Variants("Czech", "Čeština", {{50, "vykání"}, {61, "tykání"}}),
      Single("Danish", "Dansk", 46),
      Variants("Dutch", "Nederlands", {{7, "Nederland"}, {49, "België, Vlaams"}}),
      Single("Finnish", "Suomi", 11),
      Variants("French", "Français", {{12, "France"}, {14, "Canada, Québec"}, {13, "tutoiement"}}),
      Variants("German", "Deutsch",
               {{19, "Sie-Form, ausführlich"}, {24, "Du-Form"}, {3, "Sie-Form, knapp"}}),
      Single("Hebrew", "עברית", 58),
      Single("Hungarian", "Magyar", 10),
      Variants("Italian", "Italiano",
               {{30, "forma impersonale"}, {21, "con il tu"}, {53, "con il Lei"}}),
      Single("Lithuanian", "Lietuvių", 22),
      Single("Norwegian", "Norsk (bokmål)", 9),
      Single("Polish", "Polski", 6),
      Single("Portuguese", "Português (Brasil)", 5),
      Single("Serbian", "Српски", 29),
      Single("Slovak", "Slovenčina", 8),
      Single("Spanish", "Español", 4),
      Single("Swedish", "Svenska", 28),
      Variants("Turkish", "Türkçe", {{23, "resmî"}, {40, "samimi"}}),
  };
  return languages;
}

QString LanguageEntryCaption(const MenuLanguage& language, int variantIndex) {
  QString caption = language.englishName;
  if (language.ownName != language.englishName)
    caption += QStringLiteral(" (%1)").arg(language.ownName);
  // Variants are told apart by their region or style, named in the language itself.
  if (language.variants.size() > 1)
    caption += QStringLiteral(" \u2013 ") + language.variants[variantIndex].note;
  return caption;
}

}  // namespace pixtrel
