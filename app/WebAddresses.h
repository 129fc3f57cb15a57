#pragma once
// Every web address the program opens or shows, in one place. The product's site and the
// maker's site live under the reserved domain pixtrel.example.
#include <QString>

namespace pixtrel {

// The product's site: its home page (also where new versions are announced) and online help.
inline const QString kHomePageAddress = QStringLiteral("https://www.pixtrel.example/");
inline const QString kOnlineHelpAddress = QStringLiteral("https://www.pixtrel.example/help.php");

// The maker's site.
inline const QString kMakerNationalPageAddress = QStringLiteral("https://korvane.pixtrel.example/");
inline const QString kMakerPageAddress = QStringLiteral("https://korvane.pixtrel.example/eng/");
inline const QString kForumAddress = QStringLiteral("https://korvane.pixtrel.example/forum/");
inline const QString kOrderPageAddress =
    QStringLiteral("https://korvane.pixtrel.example/eng/ordercdnow.html");
inline const QString kDonationsPageAddress =
    QStringLiteral("https://korvane.pixtrel.example/eng/donations.html");
inline const QString kTranslationPageAddress =
    QStringLiteral("https://korvane.pixtrel.example/eng/translate/");

// The payment service's page for the maker's hosted donation button.
inline const QString kDonateButtonAddress = QStringLiteral(
    "https://payments.pixtrel.example/cgi-bin/webscr?cmd=_s-xclick&hosted_button_id=4817263");

}  // namespace pixtrel
