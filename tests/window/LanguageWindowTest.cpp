// Languages in the window: the stored language at start, picks from the Language menu applied
// at once and stored, the about and help texts per language, right-to-left Hebrew, and long
// translations that fit their controls.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/PageControl.h"
#include "app/RadioGroup.h"
#include "app/TabStrip.h"
#include "languages/InfoTexts.h"
#include "languages/LanguageTable.h"
#include "tests/window/WindowTestSupport.h"

namespace pixtrel::test {
namespace {

// One caption the table covers: where it is, what it shows and the text it should show.
struct Caption {
  QString where;
  int offset;
  bool dotted;
  QString shown;
};

std::vector<Caption> CoveredCaptions(TForm1& window) {
  std::vector<Caption> captions;
  auto add = [&](const QString& where, int offset, const QString& shown, bool dotted = false) {
    captions.push_back({where, offset, dotted, shown});
  };
  auto label = [&](const QString& name) {
    auto* found = window.findChild<QLabel*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found ? found->text() : QStringLiteral("<missing>");
  };
  for (const QString& n : {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}) {
    add("LabelNormal" + n, 101, label("LabelNormal" + n));
    add("LabelBetter" + n, 102, label("LabelBetter" + n));
    add("LabelPixels" + n, 103, label("LabelPixels" + n));
  }
  for (QPushButton* button : {window.Button1, window.Button2, window.Button3})
    add(button->objectName(), 104, button->text());
  add("Resize menu", 104, window.M2->title());
  for (const QString& n : {QStringLiteral("7"), QStringLiteral("10")}) {
    add("LabelWorse" + n, 105, label("LabelWorse" + n));
    add("LabelBest" + n, 106, label("LabelBest" + n));
  }
  for (QPushButton* button : {window.Button4, window.Button5, window.Button6, window.Button7,
                              window.Button9, window.Button14, window.Button13})
    add(button->objectName(), 110, button->text());
  add("Convert menu", 110, window.M3->title());
  add("Button8", 111, window.Button8->text());
  add("Rotate tab", 111, window.PageControl1->tabText(TForm1::TabRotate));
  add("Radio2 title", 111, window.Radio2->title(), true);
  add("Button10", 112, window.Button10->text());
  add("About tab", 120, window.PageControl1->tabText(TForm1::TabAbout));
  add("HotLabel1", 121, window.HotLabel1->text());
  add("Label6", 122, window.Label6->text());
  add("Help tab", 130, window.PageControl1->tabText(TForm1::TabHelp));
  add("Help menu", 130, window.M9->title());
  add("M91", 130, window.M91->text());
  add("help group", 131, window.findChild<QGroupBox*>("GroupBoxHelp")->title());
  add("Button11", 132, window.Button11->text());
  add("M97", 132, window.M97->text(), true);
  add("Button12", 133, window.Button12->text());
  add("M96", 133, window.M96->text());
  add("JPEG quality tab", 152, window.PageControl1->tabText(TForm1::TabJpegQuality));
  add("Greyscale tab", 153, window.PageControl1->tabText(TForm1::TabGreyscale));
  add("P1", 201, window.P1->text());
  add("M13", 301, window.M13->text());
  add("File menu", 401, window.M1->title());
  add("M12", 412, window.M12->text());
  add("Recent folders menu", 415, window.M15->title());
  add("M19", 419, window.M19->text());
  for (int i = 0; i < 3; ++i)
    add(QStringLiteral("rotation %1").arg(i), 441 + i, window.Radio2->item(i)->text());
  add("M92", 492, window.M92->text(), true);
  add("M93", 493, window.M93->text(), true);
  add("M94", 494, window.M94->text(), true);
  add("M99", 499, window.M99->text());
  return captions;
}

QString Title(int code) {
  return QStringLiteral("Pixtrel ") + LanguageText(code, 140) + QStringLiteral(" 1.2");
}

void ExpectLanguage(TForm1& window, int code) {
  const std::vector<Caption> captions = CoveredCaptions(window);
  EXPECT_EQ(captions.size(), 55u);
  for (const Caption& caption : captions) {
    const QString expected =
        LanguageText(code, caption.offset) + (caption.dotted ? QStringLiteral("...") : QString());
    EXPECT_EQ(caption.shown, expected) << caption.where.toStdString() << " in language " << code;
  }
  if (!IsRightToLeft(code)) {
    EXPECT_EQ(window.Label3->text(), Title(code));
  }
  for (int i = 0; i < TForm1::TabGifToBmp; ++i)
    EXPECT_FALSE(window.PageControl1->tabText(i).isEmpty());
}

// Which about and help texts show: help first, then about.
std::pair<QPlainTextEdit*, QPlainTextEdit*> ShownMemos(TForm1& window) {
  std::pair<QPlainTextEdit*, QPlainTextEdit*> shown{nullptr, nullptr};
  for (QPlainTextEdit* memo : {window.Memo4, window.Memo5}) {
    if (!memo->isHidden()) {
      EXPECT_EQ(shown.first, nullptr) << "two help texts show";
      shown.first = memo;
    }
  }
  for (QPlainTextEdit* memo : {window.Memo2, window.Memo3, window.Memo6}) {
    if (!memo->isHidden()) {
      EXPECT_EQ(shown.second, nullptr) << "two about texts show";
      shown.second = memo;
    }
  }
  return shown;
}

// Picks a language the way the user does, from the Language menu or one of its submenus.
void Pick(TForm1& window, const QString& menu, int index) {
  auto* found = window.findChild<QMenu*>(menu);
  ASSERT_NE(found, nullptr) << menu.toStdString();
  QList<QAction*> entries;
  for (QAction* action : found->actions()) {
    if (!action->isSeparator()) entries.append(action);
  }
  ASSERT_LT(index, entries.size());
  entries[index]->trigger();
  QApplication::processEvents();
}

class LanguageWindowTest : public ::testing::Test {
 protected:
  WindowEnvironment environment;
};

TEST_F(LanguageWindowTest, AFreshStoreGivesEnglish) {
  auto window = StartWindow();
  EXPECT_EQ(window->CurrentLanguage, 2);
  ExpectLanguage(*window, 2);
  EXPECT_EQ(window->Label3->text(), "Pixtrel version 1.2");
  EXPECT_EQ(window->M97->text(), "Online help...");
  EXPECT_EQ(window->Radio2->title(), "Rotate...");
  EXPECT_EQ(ShownMemos(*window), std::make_pair(window->Memo4, window->Memo2));
  EXPECT_EQ(window->Memo4->toPlainText(), EnglishHelpText());
  EXPECT_EQ(window->Memo2->toPlainText(), EnglishAboutText());
  EXPECT_EQ(QApplication::layoutDirection(), Qt::LeftToRight);
  EXPECT_EQ(Stored("jezik"), "<absent>");  // starting writes no language
}

TEST_F(LanguageWindowTest, FrenchVariantTwoIsAppliedStoredAndComesBackNextTime) {
  {
    auto window = StartWindow();
    Pick(*window, "LanguagesFrench", 1);
    ExpectLanguage(*window, 14);
    EXPECT_EQ(window->CurrentLanguage, 14);
    EXPECT_EQ(Stored("jezik"), "14");
    // Not the English texts under another name.
    EXPECT_EQ(window->Button2->text(), "Redimensionner");
    EXPECT_EQ(window->PageControl1->tabText(TForm1::TabAbout), "À propos de Pixtrel");
    EXPECT_EQ(window->M97->text(), "Aide en ligne...");
    EXPECT_EQ(window->Radio2->title(), "Faire pivoter...");
    EXPECT_EQ(window->Label3->text(), "Pixtrel version 1.2");
    // The captions that were English in every language are French too.
    EXPECT_EQ(window->PageControl1->tabText(TForm1::TabOptions), "Options");
    EXPECT_EQ(window->M7->title(), "Langue");
    EXPECT_EQ(window->Radio1->title(), "Façon d’enregistrer les fichiers...");
    EXPECT_EQ(ShownMemos(*window), std::make_pair(window->Memo4, window->Memo2));
    window->close();
  }
  auto window = StartWindow();
  EXPECT_EQ(window->CurrentLanguage, 14);
  ExpectLanguage(*window, 14);
}

TEST_F(LanguageWindowTest, DutchHasItsOwnHelpAndAboutTextsSlovenianItsAboutText) {
  auto window = StartWindow();
  Pick(*window, "LanguagesDutch", 0);
  ExpectLanguage(*window, 7);
  EXPECT_EQ(ShownMemos(*window), std::make_pair(window->Memo5, window->Memo3));
  EXPECT_EQ(window->Memo5->toPlainText(), DutchHelpText());
  EXPECT_EQ(window->Memo3->toPlainText(), DutchAboutText());
  Pick(*window, "LanguagesDutch", 1);
  ExpectLanguage(*window, 49);
  EXPECT_EQ(ShownMemos(*window), std::make_pair(window->Memo5, window->Memo3));
  EXPECT_EQ(Stored("jezik"), "49");

  // Any other language brings the English texts back.
  Pick(*window, "LanguagesGerman", 2);
  ExpectLanguage(*window, 3);
  EXPECT_EQ(ShownMemos(*window), std::make_pair(window->Memo4, window->Memo2));

  window->M71->trigger();
  ExpectLanguage(*window, 1);
  EXPECT_EQ(Stored("jezik"), "1");
  EXPECT_EQ(ShownMemos(*window), std::make_pair(window->Memo4, window->Memo6));
  EXPECT_EQ(window->Memo6->toPlainText(), SlovenianAboutText());
  EXPECT_EQ(window->Label3->text(), "Pixtrel različica 1.2");

  // The page shows the chosen text when it comes up.
  window->PageControl1->setCurrentIndex(TForm1::TabAbout);
  QApplication::processEvents();
  EXPECT_TRUE(window->Memo6->isVisible());
  EXPECT_FALSE(window->Memo2->isVisible());

  window->M72->trigger();
  ExpectLanguage(*window, 2);
  EXPECT_EQ(ShownMemos(*window), std::make_pair(window->Memo4, window->Memo2));
  EXPECT_EQ(Stored("jezik"), "2");
}

TEST_F(LanguageWindowTest, AStoredCodeWithoutTextsEmptiesEveryCoveredCaption) {
  for (const char* code : {"99", "2147483647", "-5"}) {
    WindowEnvironment fresh;
    Store("jezik", code);
    auto window = StartWindow();
    for (const Caption& caption : CoveredCaptions(*window)) {
      EXPECT_EQ(caption.shown, caption.dotted ? QStringLiteral("...") : QString())
          << caption.where.toStdString() << " for " << code;
    }
    EXPECT_EQ(window->Label3->text(), "Pixtrel  1.2");
    EXPECT_EQ(ShownMemos(*window), std::make_pair(window->Memo4, window->Memo2));
    // Format names are no texts of a language: they stay.
    EXPECT_EQ(window->PageControl1->tabText(TForm1::TabJpg), "JPG");
    EXPECT_EQ(window->M7->title(), "");
    EXPECT_EQ(Stored("jezik"), code);  // nothing is reported or rewritten
  }
}

TEST_F(LanguageWindowTest, StoredOnlyCodesAreShownAsStored) {
  Store("jezik", "64");
  auto window = StartWindow();
  ExpectLanguage(*window, 64);
  EXPECT_EQ(window->PageControl1->tabText(TForm1::TabAbout), "Pixtrel について");
  EXPECT_EQ(window->findChild<QAction*>("Language64"), nullptr);  // no menu entry
}

TEST_F(LanguageWindowTest, TheLanguageMenuOffersEveryEntryInItsOrder) {
  auto window = StartWindow();
  QStringList top;
  std::vector<int> codes;
  for (QAction* action : window->M7->actions()) {
    if (action->isSeparator()) {
      top.append("-");
    } else if (action->menu()) {
      top.append(action->text() + " >");
      for (QAction* variant : action->menu()->actions())
        codes.push_back(variant->data().toInt());
    } else {
      top.append(action->text());
      if (action->data().isValid()) codes.push_back(action->data().toInt());
    }
    EXPECT_FALSE(action->isCheckable())
        << action->text().toStdString();  // no mark on the current one
  }
  const QStringList expected = {"Slovenian",
                                "English",
                                "-",
                                "Afrikaans",
                                "Catalan (Català)",
                                "Chinese (traditional) (繁體中文)",
                                "Czech >",
                                "Danish (Dansk)",
                                "Dutch >",
                                "Finnish (Suomi)",
                                "French >",
                                "German >",
                                "Hebrew (עברית)",
                                "Hungarian (Magyar)",
                                "Italian >",
                                "Lithuanian (Lietuvių)",
                                "Norwegian (Norsk (bokmål))",
                                "Polish (Polski)",
                                "Portuguese (Português (Brasil))",
                                "Serbian (Српски)",
                                "Slovak (Slovenčina)",
                                "Spanish (Español)",
                                "Swedish (Svenska)",
                                "Turkish >",
                                "-",
                                "Add your language online"};
  EXPECT_EQ(top, expected);
  const std::vector<int> order = {1, 2,  38, 47, 15, 50, 61, 46, 7, 49, 11, 12, 14, 13, 19, 24,
                                  3, 58, 10, 30, 21, 53, 22, 9,  6, 5,  29, 8,  4,  28, 23, 40};
  EXPECT_EQ(codes, order);
  QStringList german;
  for (QAction* variant : window->findChild<QMenu*>("LanguagesGerman")->actions())
    german.append(variant->text());
  EXPECT_EQ(german,
            QStringList({"German (Deutsch) – Sie-Form, ausführlich", "German (Deutsch) – Du-Form",
                         "German (Deutsch) – Sie-Form, knapp"}));
}

TEST_F(LanguageWindowTest, HebrewTurnsTheWindowRightToLeft) {
  auto window = StartWindow();
  window->findChild<QAction*>("Language58")->trigger();
  ExpectLanguage(*window, 58);
  EXPECT_EQ(QApplication::layoutDirection(), Qt::RightToLeft);
  EXPECT_EQ(window->layoutDirection(), Qt::RightToLeft);
  EXPECT_EQ(window->Button2->layoutDirection(), Qt::RightToLeft);
  // The title starts with the product's Latin name, so a mark keeps it reading right to left.
  EXPECT_EQ(window->Label3->text(), QChar(0x200F) + Title(58));
  // The pixels label stands right of its box, as Hebrew reads.
  QApplication::processEvents();
  window->PageControl1->setCurrentIndex(TForm1::TabJpg);
  QApplication::processEvents();
  auto* pixels = window->findChild<QLabel*>("LabelPixels2");
  EXPECT_GT(pixels->mapTo(window.get(), QPoint(0, 0)).x(),
            window->Edit2->mapTo(window.get(), QPoint(0, 0)).x());

  // The tab strip starts at the right: the first tab stands right of the second.
  auto* strip = window->findChild<TabStrip*>();
  ASSERT_NE(strip, nullptr);
  EXPECT_GT(strip->tabRect(0).left(), strip->tabRect(1).left());

  // Captions once left in English read in Hebrew.
  EXPECT_EQ(window->Radio1->title(), LanguageText(58, kTextHowToSave) + QStringLiteral("..."));
  EXPECT_EQ(window->M95->text(), LanguageText(58, kTextForum) + QStringLiteral("..."));

  window->M72->trigger();
  EXPECT_EQ(QApplication::layoutDirection(), Qt::LeftToRight);
  QApplication::processEvents();
  EXPECT_LT(strip->tabRect(0).left(), strip->tabRect(1).left());
  EXPECT_EQ(window->Label3->text(), "Pixtrel version 1.2");
  EXPECT_EQ(window->Radio1->title(), "How to save files...");
  EXPECT_EQ(window->M95->text(), "Forum...");
}

// A control whose text is cut: narrower than its text needs, or reaching past its page.
QStringList ClippedControls(QWidget* page) {
  QStringList clipped;
  const QRect area = page->rect();
  for (QWidget* control : page->findChildren<QWidget*>()) {
    if (!control->isVisible()) continue;
    const bool text = qobject_cast<QLabel*>(control) || qobject_cast<QAbstractButton*>(control) ||
                      qobject_cast<QGroupBox*>(control);
    if (!text) continue;
    const QRect at(control->mapTo(page, QPoint(0, 0)), control->size());
    const auto* label = qobject_cast<QLabel*>(control);
    bool cut = !area.contains(at);
    if (label && label->wordWrap()) {
      cut = cut || control->height() < label->heightForWidth(control->width());
    } else {
      cut = cut || control->width() < control->minimumSizeHint().width() ||
            control->height() < control->minimumSizeHint().height();
    }
    if (cut) clipped.append(control->objectName() + " " + QString::number(at.width()) + "px");
  }
  return clipped;
}

TEST_F(LanguageWindowTest, LongTranslationsFitTheirControls) {
  auto window = StartWindow();
  ASSERT_EQ(window->size(), QSize(745, 549));  // the smallest the window gets
  for (int code : kLanguageCodes) {
    window->ChooseLanguage(code);
    QApplication::processEvents();
    // Nothing asks for more room than the smallest window has.
    EXPECT_LE(window->centralWidget()->minimumSizeHint().width(), window->centralWidget()->width())
        << "language " << code;
    for (int tab = 0; tab < window->PageControl1->count(); ++tab) {
      window->PageControl1->setCurrentIndex(tab);
      QApplication::processEvents();
      const QStringList clipped = ClippedControls(window->PageControl1->page(tab));
      EXPECT_TRUE(clipped.isEmpty())
          << "language " << code << ", tab " << tab << ": " << clipped.join(", ").toStdString();
    }
  }
}

}  // namespace
}  // namespace pixtrel::test
