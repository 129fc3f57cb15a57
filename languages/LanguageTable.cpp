#include "languages/LanguageTable.h"

#include <QStringDecoder>
#include <cstddef>
#include <limits>

namespace pixtrel {

extern const unsigned char kLanguageTableData[];
extern const std::size_t kLanguageTableSize;

namespace {

// A decimal id of at most nine digits, so it always fits an int.
bool ParseId(QByteArrayView digits, int& id) {
  if (digits.isEmpty() || digits.size() > 9) return false;
  id = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    id = id * 10 + (c - '0');
  }
  return id > 0;
}

}  // namespace

LanguageTable ParseLanguageTable(QByteArrayView utf8) {
  LanguageTable table;
  // An editor may have put a byte order mark in front.
  qsizetype start = utf8.startsWith("\xEF\xBB\xBF") ? 3 : 0;
  int number = 0;
  while (start < utf8.size()) {
    qsizetype end = utf8.indexOf('\n', start);
    if (end < 0) end = utf8.size();
    QByteArrayView line = utf8.sliced(start, end - start);
    start = end + 1;
    ++number;
    if (line.endsWith('\r')) line.chop(1);
    if (line.isEmpty() || line.startsWith('#')) continue;

    auto fail = [&](const char* why) {
      table.errors.append(QStringLiteral("line %1: %2").arg(number).arg(QLatin1String(why)));
    };
    const qsizetype tab = line.indexOf('\t');
    int id = 0;
    if (tab < 0) {
      fail("no tab between id and text");
      continue;
    }
    if (!ParseId(line.first(tab), id)) {
      fail("the id is not a positive number of at most nine digits");
      continue;
    }
    const QByteArrayView bytes = line.sliced(tab + 1);
    if (bytes.isEmpty()) {
      fail("empty text");
      continue;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
      fail("the text is not UTF-8");
      continue;
    }
    if (table.texts.contains(id)) {
      fail("the id appears twice");
      continue;
    }
    table.texts.insert(id, std::move(text));
  }
  return table;
}

const LanguageTable& BuiltInLanguageTable() {
  static const LanguageTable table =
      ParseLanguageTable(QByteArrayView(reinterpret_cast<const char*>(kLanguageTableData),
                                        static_cast<qsizetype>(kLanguageTableSize)));
  return table;
}

QString LanguageText(int id) {
  return BuiltInLanguageTable().texts.value(id);
}

QString LanguageText(int code, int offset) {
  // A stored code can be any number; one that would overflow the id names no language.
  const long long id = static_cast<long long>(code) * 1000 + offset;
  if (code <= 0 || offset < 0 || offset >= 1000 || id > std::numeric_limits<int>::max()) {
    return QString();
  }
  return LanguageText(static_cast<int>(id));
}

QLocale LocaleOf(int code) {
  static const QHash<int, const char*> names = {
      {1, "sl_SI"},  {2, "en_GB"},  {3, "de_DE"},  {4, "es_ES"},  {5, "pt_BR"},  {6, "pl_PL"},
      {7, "nl_NL"},  {8, "sk_SK"},  {9, "nb_NO"},  {10, "hu_HU"}, {11, "fi_FI"}, {12, "fr_FR"},
      {13, "fr_FR"}, {14, "fr_CA"}, {15, "zh_TW"}, {16, "de_CH"}, {19, "de_DE"}, {21, "it_IT"},
      {22, "lt_LT"}, {23, "tr_TR"}, {24, "de_DE"}, {28, "sv_SE"}, {29, "sr_RS"}, {30, "it_IT"},
      {38, "af_ZA"}, {40, "tr_TR"}, {46, "da_DK"}, {47, "ca_ES"}, {49, "nl_BE"}, {50, "cs_CZ"},
      {53, "it_IT"}, {58, "he_IL"}, {61, "cs_CZ"}, {63, "gl_ES"}, {64, "ja_JP"}};
  return QLocale(QString::fromLatin1(names.value(code, "en_GB")));
}

bool IsRightToLeft(int code) {
  return code == 58;
}

}  // namespace pixtrel
