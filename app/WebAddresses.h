#pragma once
// The product's and the maker's web pages.
#include <QString>

namespace pixtrel {

inline const QString kHomePageAddress = QStringLiteral("https://pixtrel.example.org/");
inline const QString kMakerPageAddress = QStringLiteral("https://korvane.example.org/eng/");
inline const QString kForumAddress = QStringLiteral("https://korvane.example.org/forum/");
inline const QString kMakerNationalPageAddress = QStringLiteral("https://korvane.example.org/");

}  // namespace pixtrel
