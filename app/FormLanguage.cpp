// Languages. The controls are built with the English texts; the translation table and the
// other languages' about and help texts belong to the languages library, which fills these
// entry points. Until then the Language menu offers English only.
#include <QLabel>
#include <QPlainTextEdit>

#include "app/MainForm.h"
#include "settings/SettingsStore.h"

namespace pixtrel {

void TForm1::LoadLanguageTexts(int code) {
  LanguageTexts.clear();
  LanguageTexts.insert(140, QStringLiteral("version"));
  ShowLanguageMemos(code);
}

void TForm1::ShowLanguageMemos(int /*code*/) {
  // Only the English help and about texts exist so far.
  Memo4->show();
  Memo5->hide();
  Memo2->show();
  Memo3->hide();
  Memo6->hide();
}

void TForm1::ApplyLanguageTexts() {
  Label3->setText(QStringLiteral("Pixtrel ") + LanguageTexts.value(140) + u' ' + ProgramVersion);
}

void TForm1::ChooseLanguage(int code) {
  Guarded([&] {
    LoadLanguageTexts(code);
    ApplyLanguageTexts();
    SettingsStore::WriteInteger(kSettingsKeyPath, QStringLiteral("jezik"), code);
    CurrentLanguage = code;
  });
}

}  // namespace pixtrel
