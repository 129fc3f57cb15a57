#pragma once
// The translation table: one text per id, id = language code * 1000 + offset. The table is
// languages/texts.tsv, built into the program; a row is "id<TAB>text", and lines that are empty
// or start with "#" are left out. Texts are stored and shown exactly as written, in UTF-8.
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>

namespace pixtrel {

// The offsets of the texts every language carries, in table order.
inline constexpr std::array<int, 33> kTextOffsets = {
    101, 102, 103, 104, 105, 106, 110, 111, 112, 120, 121, 122, 130, 131, 132, 133, 140,
    152, 153, 201, 301, 401, 412, 415, 419, 441, 442, 443, 492, 493, 494, 499, 700};

// The note about a settings store that could not be read or written (%1: where it lives).
inline constexpr int kSettingsNoteOffset = 700;

// The language codes that have texts: Slovenian (1), English (2) and the translations.
inline constexpr std::array<int, 35> kLanguageCodes = {
    1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 19, 21,
    22, 23, 24, 28, 29, 30, 38, 40, 46, 47, 49, 50, 53, 58, 61, 63, 64};

inline constexpr int kEnglish = 2;
inline constexpr int kSlovenian = 1;

// A parsed table, with a line for every row that could not be read.
struct LanguageTable {
  QHash<int, QString> texts;
  QStringList errors;
};

// Reads rows of "id<TAB>text". A row with a bad id, no tab, an empty text, text that is not
// UTF-8 or an id seen before is left out and reported in errors, with its line number.
LanguageTable ParseLanguageTable(QByteArrayView utf8);

// The table built into the program, read once.
const LanguageTable& BuiltInLanguageTable();

// The text of an id; empty when the table has none.
QString LanguageText(int id);

// The text at an offset of a language; empty when the table has none, also for codes so large
// that code * 1000 + offset does not fit an id.
QString LanguageText(int code, int offset);

// Hebrew is written from right to left; every other language of the table from left to right.
bool IsRightToLeft(int code);

}  // namespace pixtrel
