#pragma once
// The long texts of the About page (Memo2 English, Memo3 Dutch, Memo6 Slovenian) and of the
// Help page (Memo4 English, Memo5 Dutch). Other languages show the English ones.
#include <QString>

namespace pixtrel {

QString EnglishAboutText();
QString DutchAboutText();
QString SlovenianAboutText();
QString EnglishHelpText();
QString DutchHelpText();

}  // namespace pixtrel
