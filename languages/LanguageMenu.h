#pragma once
// The translations the Language menu offers below its Slovenian and English entries, in
// alphabetical order of their English names. A language with several variants gets a submenu
// titled with its English name.
#include <QString>
#include <vector>

namespace pixtrel {

struct LanguageVariant {
  int code = 0;
  QString note;  // its region or style, in the language itself: "Du-Form", "Canada, Québec"
};

struct MenuLanguage {
  QString englishName;
  QString ownName;  // the language's name for itself
  std::vector<LanguageVariant> variants;
};

// In menu order.
const std::vector<MenuLanguage>& OtherMenuLanguages();

// The caption of a language's entry: its English name with its own name in brackets
// ("German (Deutsch)"; a name that is the same in both is given once), followed for a language
// with several variants by the variant's region or style: "German (Deutsch) – Du-Form".
QString LanguageEntryCaption(const MenuLanguage& language, int variantIndex);

}  // namespace pixtrel
