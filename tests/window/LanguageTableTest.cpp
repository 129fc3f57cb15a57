// The translation table built into the program: every language complete, the English and
// Slovenian texts as the program's own, real translations in the right scripts, and a reader
// that reports bad rows instead of guessing.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>
#include <set>

#include "languages/LanguageMenu.h"
#include "languages/LanguageTable.h"

namespace pixtrel {
namespace {

const std::vector<std::pair<int, const char*>> kEnglishTexts = {
    {101, "Normal quality (faster)"},
    {102, "Better quality"},
    {103, "Pixels:"},
    {104, "Resize"},
    {105, "Worse JPG quality"},
    {106, "Best JPG quality"},
    {110, "Convert"},
    {111, "Rotate"},
    {112, "Change"},
    {120, "About Pixtrel"},
    {121, "Click here to check for a new version on the internet!"},
    {122, "(only in English language)"},
    {130, "Help"},
    {131, "How to use Pixtrel?"},
    {132, "Online help"},
    {133, "More help"},
    {140, "version"},
    {152, "JPEG quality"},
    {153, "Greyscale"},
    {201, "Refresh list"},
    {301, "View image"},
    {401, "File"},
    {412, "Preview images"},
    {415, "Recent folders"},
    {419, "Exit"},
    {441, "90 degrees to right"},
    {442, "90 degrees to left"},
    {443, "upside down"},
    {492, "Check the internet for a new version"},
    {493, "Order CD online"},
    {494, "Donate $5 online"},
    {499, "About..."}};

// Offset 120 is the Slovenian wording of the About tab, which the table words itself.
const std::vector<std::pair<int, const char*>> kSlovenianTexts = {
    {101, "Običajna kakovost (hitreje)"},
    {102, "Boljša kakovost"},
    {103, "Št. točk:"},
    {104, "Spremeni velikost"},
    {105, "Nižja kakovost JPG zapisa"},
    {106, "Višja kakovost JPG zapisa"},
    {110, "Pretvori"},
    {111, "Zavrti"},
    {112, "Spremeni"},
    {121, "Poglej na internet za novo verzijo programa"},
    {122, "(Samo v angleškem jeziku)"},
    {130, "Pomoč"},
    {131, "Kako se uporablja Pixtrel?"},
    {132, "Online pomoč"},
    {133, "Več pomoči"},
    {140, "različica"},
    {152, "JPEG kakovost"},
    {153, "Črno belo"},
    {201, "Osveži seznam"},
    {301, "Ogled slike"},
    {401, "Datoteka"},
    {412, "Predogled slik"},
    {415, "Pretekli imeniki"},
    {419, "Izhod"},
    {441, "za 90 stopinj v desno"},
    {442, "za 90 stopinj v levo"},
    {443, "na glavo"},
    {492, "Poglej na internet za novo verzijo programa"},
    {493, "Naroči CD z vsemi programi"},
    {494, "Sponzoriraj avtorja"},
    {499, "O programu..."}};

TEST(LanguageTableTest, EveryLanguageHasATextAtEveryOffsetAndNothingElse) {
  const LanguageTable& table = BuiltInLanguageTable();
  EXPECT_TRUE(table.errors.isEmpty()) << table.errors.join(u'\n').toStdString();
  EXPECT_EQ(table.texts.size(),
            static_cast<qsizetype>(kLanguageCodes.size() * kTextOffsets.size()));
  for (int code : kLanguageCodes) {
    for (int offset : kTextOffsets) {
      const QString text = LanguageText(code, offset);
      EXPECT_FALSE(text.trimmed().isEmpty()) << "code " << code << " offset " << offset;
      EXPECT_EQ(text, text.trimmed()) << "code " << code << " offset " << offset;
      // Characters are stored as themselves; a reference would show as its code.
      EXPECT_FALSE(text.contains(QStringLiteral("&#"))) << text.toStdString();
      EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << text.toStdString();
      // An ampersand would turn into a menu accelerator.
      EXPECT_FALSE(text.contains(u'&')) << text.toStdString();
    }
  }
  const std::set<int> codes(kLanguageCodes.begin(), kLanguageCodes.end());
  const std::set<int> offsets(kTextOffsets.begin(), kTextOffsets.end());
  for (auto it = table.texts.begin(); it != table.texts.end(); ++it) {
    EXPECT_TRUE(codes.count(it.key() / 1000) && offsets.count(it.key() % 1000))
        << "stray id " << it.key();
  }
}

TEST(LanguageTableTest, EveryLanguageHasEveryTextEnglishHas) {
  // Read from the table itself, so that a text added in English alone fails here.
  const LanguageTable& table = BuiltInLanguageTable();
  std::vector<int> english;
  for (auto it = table.texts.begin(); it != table.texts.end(); ++it) {
    if (it.key() / 1000 == kEnglish) english.push_back(it.key() % 1000);
  }
  ASSERT_EQ(english.size(), kTextOffsets.size());
  for (int code : kLanguageCodes) {
    for (int offset : english) {
      const int id = code * 1000 + offset;
      EXPECT_TRUE(table.texts.contains(id)) << "language " << code << " lacks text " << id;
      // The same placeholders as English, so that no number or folder goes missing.
      const QString text = table.texts.value(id);
      for (const QString& mark :
           {QStringLiteral("%1"), QStringLiteral("%2"), QStringLiteral("%3")}) {
        EXPECT_EQ(text.contains(mark), table.texts.value(2000 + offset).contains(mark))
            << "id " << id << " " << mark.toStdString();
      }
    }
  }
}

TEST(LanguageTableTest, EnglishAndSlovenianAreTheProgramsOwnTexts) {
  for (const auto& [offset, text] : kEnglishTexts)
    EXPECT_EQ(LanguageText(2000 + offset), QString::fromUtf8(text)) << offset;
  for (const auto& [offset, text] : kSlovenianTexts)
    EXPECT_EQ(LanguageText(1000 + offset), QString::fromUtf8(text)) << offset;
  EXPECT_EQ(LanguageText(1120), QStringLiteral("O programu Pixtrel"));
  EXPECT_EQ(LanguageText(101), QString());  // an id without a language
}

TEST(LanguageTableTest, TextsThatNameTheProductSayPixtrel) {
  for (int code : kLanguageCodes) {
    EXPECT_TRUE(LanguageText(code, 120).contains(QStringLiteral("Pixtrel"))) << code;
    EXPECT_TRUE(LanguageText(code, 131).contains(QStringLiteral("Pixtrel"))) << code;
    for (int offset : kTextOffsets) {
      const QString text = LanguageText(code, offset);
      EXPECT_EQ(text.count(QStringLiteral("pixtrel"), Qt::CaseInsensitive),
                text.count(QStringLiteral("Pixtrel")))
          << text.toStdString();
    }
  }
}

TEST(LanguageTableTest, TranslationsAreTranslated) {
  for (int code : kLanguageCodes) {
    if (code == kEnglish) continue;
    int sameAsEnglish = 0;
    for (int offset : kTextOffsets)
      sameAsEnglish += LanguageText(code, offset) == LanguageText(kEnglish, offset);
    // Product and format names, units ("KB"), "Forum", "Stop" and the like may stay as they
    // are; whole menus may not.
    EXPECT_LE(sameAsEnglish, 8) << "code " << code;
  }
}

TEST(LanguageTableTest, VariantsOfOneLanguageDifferInWording) {
  const std::vector<std::vector<int>> families = {{3, 16, 19, 24}, {12, 13, 14}, {21, 30, 53},
                                                  {23, 40},        {50, 61},     {7, 49}};
  for (const auto& family : families) {
    for (std::size_t a = 0; a < family.size(); ++a) {
      for (std::size_t b = a + 1; b < family.size(); ++b) {
        int different = 0;
        for (int offset : kTextOffsets)
          different += LanguageText(family[a], offset) != LanguageText(family[b], offset);
        EXPECT_GE(different, 6) << family[a] << " and " << family[b];
      }
    }
  }
}

// Nearly every text of the code holds letters of the script (a few may be names or numbers).
void ExpectScript(int code, const QString& pattern) {
  const QRegularExpression script(pattern);
  int inScript = 0;
  for (int offset : kTextOffsets)
    inScript += LanguageText(code, offset).contains(script);
  EXPECT_GE(inScript, 30) << "code " << code;
}

TEST(LanguageTableTest, LanguagesAreWrittenInTheirOwnScripts) {
  ExpectScript(58, QStringLiteral("[\\x{05D0}-\\x{05EA}]"));                     // Hebrew
  ExpectScript(64, QStringLiteral("[\\x{3040}-\\x{30FF}\\x{4E00}-\\x{9FFF}]"));  // kana, kanji
  ExpectScript(15, QStringLiteral("[\\x{4E00}-\\x{9FFF}]"));                     // Han
  ExpectScript(29, QStringLiteral("[\\x{0400}-\\x{04FF}]"));                     // Cyrillic
  // Japanese has kana, which Chinese has none of.
  int kana = 0;
  for (int offset : kTextOffsets) {
    kana += LanguageText(64, offset)
                .contains(QRegularExpression(QStringLiteral("[\\x{3040}-\\x{30FF}]")));
    EXPECT_FALSE(LanguageText(15, offset)
                     .contains(QRegularExpression(QStringLiteral("[\\x{3040}-\\x{30FF}]"))));
  }
  EXPECT_GE(kana, 20);
  // Chinese is in traditional characters: none of the simplified forms of the words it uses.
  const QString simplified = QStringLiteral("说图档质览帮关网络线订购转设选较变调结单换捐来这");
  for (int offset : kTextOffsets) {
    const QString text = LanguageText(15, offset);
    for (QChar c : simplified) {
      if (c == u'捐') continue;  // the same in both
      EXPECT_FALSE(text.contains(c)) << text.toStdString();
    }
  }
  EXPECT_TRUE(IsRightToLeft(58));
  for (int code : kLanguageCodes) {
    if (code != 58) {
      EXPECT_FALSE(IsRightToLeft(code)) << code;
    }
  }
}

TEST(LanguageTableTest, CodesOutsideTheTableReadAsEmpty) {
  EXPECT_EQ(LanguageText(99, 101), QString());
  EXPECT_EQ(LanguageText(0, 101), QString());
  EXPECT_EQ(LanguageText(-1, 101), QString());
  EXPECT_EQ(LanguageText(2, 100), QString());
  EXPECT_EQ(LanguageText(2, 1101), QString());  // not 3101
  // code * 1000 + offset would overflow an int: no text, and no overflow on the way.
  EXPECT_EQ(LanguageText(2147483, 648), QString());
  EXPECT_EQ(LanguageText(std::numeric_limits<int>::max(), 101), QString());
  EXPECT_EQ(LanguageText(std::numeric_limits<int>::min(), 101), QString());
  EXPECT_EQ(LanguageText(2147482, 101), QString());
}

TEST(LanguageTableTest, TheReaderTakesWellFormedRowsAndReportsTheRest) {
  const QByteArray good =
      "\xEF\xBB\xBF# comment\r\n"
      "\n"
      "2101\tNormal \xC3\xA9 \t tab kept\r\n"
      "3101\t\xE6\x97\xA5\xE6\x9C\xAC\n"
      "4101\t&#12469;\n"  // no decoding: shown as stored
      "5101\tlast row without a newline";
  const LanguageTable table = ParseLanguageTable(good);
  EXPECT_TRUE(table.errors.isEmpty()) << table.errors.join(u'\n').toStdString();
  ASSERT_EQ(table.texts.size(), 4);
  EXPECT_EQ(table.texts.value(2101), QStringLiteral("Normal é \t tab kept"));
  EXPECT_EQ(table.texts.value(3101), QStringLiteral("日本"));
  EXPECT_EQ(table.texts.value(4101), QStringLiteral("&#12469;"));
  EXPECT_EQ(table.texts.value(5101), QStringLiteral("last row without a newline"));

  const QByteArray bad =
      "2101 no tab\n"
      "21x1\tletters in the id\n"
      "-2101\tnegative\n"
      "9999999999\ttoo long\n"
      "\tno id\n"
      "2102\t\n"
      "2103\t\xC3\x28 broken UTF-8\n"
      "2104\ttruncated \xE6\x97\n"
      "2105\tfirst\n"
      "2105\tsecond\n";
  const LanguageTable parsed = ParseLanguageTable(bad);
  EXPECT_EQ(parsed.texts.size(), 1);
  EXPECT_EQ(parsed.texts.value(2105), QStringLiteral("first"));
  ASSERT_EQ(parsed.errors.size(), 9) << parsed.errors.join(u'\n').toStdString();
  EXPECT_TRUE(parsed.errors[0].startsWith(QStringLiteral("line 1:")));
  EXPECT_TRUE(parsed.errors[6].contains(QStringLiteral("UTF-8")));
  EXPECT_TRUE(parsed.errors[8].startsWith(QStringLiteral("line 10:")));
  EXPECT_TRUE(parsed.errors[8].contains(QStringLiteral("twice")));
}

TEST(LanguageTableTest, TheMenuOffersEveryLanguageOnceButThreeStoredOnlyCodes) {
  std::multiset<int> offered = {kSlovenian, kEnglish};
  for (const MenuLanguage& language : OtherMenuLanguages()) {
    for (const LanguageVariant& variant : language.variants)
      offered.insert(variant.code);
  }
  std::multiset<int> expected(kLanguageCodes.begin(), kLanguageCodes.end());
  for (int storedOnly : {16, 63, 64})
    expected.erase(storedOnly);
  EXPECT_EQ(offered, expected);

  std::vector<QString> captions;
  for (const MenuLanguage& language : OtherMenuLanguages()) {
    for (std::size_t i = 0; i < language.variants.size(); ++i)
      captions.push_back(LanguageEntryCaption(language, static_cast<int>(i)));
  }
  ASSERT_EQ(captions.size(), 30u);
  EXPECT_EQ(captions[0], QStringLiteral("Afrikaans"));
  EXPECT_EQ(captions[2], QStringLiteral("Chinese (traditional) (繁體中文)"));
  EXPECT_EQ(captions[3], QStringLiteral("Czech (Čeština) – vykání"));
  EXPECT_EQ(captions[4], QStringLiteral("Czech (Čeština) – tykání"));
  EXPECT_EQ(captions[12], QStringLiteral("German (Deutsch) – Sie-Form, ausführlich"));
  EXPECT_EQ(captions[13], QStringLiteral("German (Deutsch) – Du-Form"));
  EXPECT_EQ(captions[14], QStringLiteral("German (Deutsch) – Sie-Form, knapp"));
  EXPECT_EQ(captions[15], QStringLiteral("Hebrew (עברית)"));
  EXPECT_EQ(captions.back(), QStringLiteral("Turkish (Türkçe) – samimi"));
  // No two entries read alike: every variant is told apart by what it is.
  EXPECT_EQ(std::set<QString>(captions.begin(), captions.end()).size(), captions.size());
  for (const QString& caption : captions)
    EXPECT_FALSE(caption.contains(QStringLiteral("variant"))) << caption.toStdString();
}

}  // namespace
}  // namespace pixtrel
