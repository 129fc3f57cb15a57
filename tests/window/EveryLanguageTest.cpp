// Every caption the window shows comes from the translation table: in each of the 35 languages
// no English is left on any control, menu or secondary window (but for names, such as format
// names and addresses, and words the language writes as English does), and a picture of the
// Options tab per language shows none of its English captions.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <map>
#include <set>

#include "app/PageControl.h"
#include "codecs/Registry.h"
#include "languages/LanguageTable.h"
#include "tests/window/WindowTestSupport.h"
#include "windows/PreviewForm.h"
#include "windows/Slikca.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

// Where a caption sits, and the caption.
using Captions = std::map<std::pair<const QObject*, int>, QString>;

void Add(Captions& captions, const QObject* where, int slot, const QString& text) {
  if (!text.isEmpty()) captions[{where, slot}] = text;
}

// Every caption of the window and its secondary windows, by where it sits.
Captions AllCaptions(TForm1& window) {
  Captions captions;
  QList<QWidget*> widgets = window.findChildren<QWidget*>();
  widgets << window.PreviewForm << window.Slikca;
  for (QWidget* widget : widgets) {
    // The long About and Help texts exist in three languages only; the file list shows files.
    if (widget->objectName().startsWith(QStringLiteral("Memo")) ||
        widget->objectName() == "FileListBox10" || widget->objectName() == "DriveComboBox10" ||
        widget->objectName() == "DirectoryListBox10")
      continue;
    Add(captions, widget, 0, widget->toolTip());
    if (auto* label = qobject_cast<QLabel*>(widget)) Add(captions, widget, 1, label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
      Add(captions, widget, 1, button->text());
    if (auto* group = qobject_cast<QGroupBox*>(widget)) Add(captions, widget, 1, group->title());
    if (auto* box = qobject_cast<QComboBox*>(widget)) {
      for (int i = 0; i < box->count(); ++i)
        Add(captions, widget, 10 + i, box->itemText(i));
    }
    if (widget->isWindow()) Add(captions, widget, 2, widget->windowTitle());
  }
  for (QAction* action : window.findChildren<QAction*>()) {
    // The Language menu names every language in English and in its own words, on purpose.
    if (action->objectName().startsWith(QStringLiteral("Language")) ||
        action->objectName() == "M71" || action->objectName() == "M72")
      continue;
    Add(captions, action, 1, action->text());
    Add(captions, action, 0, action->toolTip() == action->text() ? QString() : action->toolTip());
  }
  for (int i = 0; i < window.PageControl1->count(); ++i)
    Add(captions, window.PageControl1, 100 + i, window.PageControl1->tabText(i));
  return captions;
}

// Not words of a language: format names, addresses, numbers, the product's name and version.
bool IsAName(const QString& text) {
  static const QRegularExpression names(
      QStringLiteral("^(/.*|[A-Z]:\\\\.*|JPG|GIF|BMP|PNG|WebP|JPEG|HEIC|AVIF|[A-Za-z]{3,4} -> "
                     "[A-Za-z]{3,4}|https?://.*|"
                     "[0-9 ]*|Pixtrel|Pixtrel version 1\\.2|"
                     "\\S+\\.example\\S*)$"));
  // Every format's title, as its tab and the format lists show it ("JPEG XL").
  for (const FormatRow* row : Registry()) {
    if (text == QString::fromUtf8(row->title.data(), qsizetype(row->title.size()))) return true;
  }
  return names.match(text).hasMatch();
}

// The language's own text wherever the English one is the same: words both write alike.
std::set<QString> SameInBoth(int code) {
  std::set<QString> same;
  for (int offset : kTextOffsets) {
    const QString text = LanguageText(code, offset);
    if (text == EnglishText(offset)) {
      same.insert(text);
      same.insert(text + QStringLiteral("..."));
    }
  }
  return same;
}

class EveryLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Store("preview", "0");
    window = StartWindow();
  }
  WindowEnvironment environment;
  std::unique_ptr<TForm1> window;
};

TEST_F(EveryLanguageTest, NoEnglishCaptionIsLeftInAnyLanguage) {
  window->ChooseLanguage(kEnglish);
  const Captions english = AllCaptions(*window);
  ASSERT_GT(english.size(), 120u);
  for (int code : kLanguageCodes) {
    if (code == kEnglish) continue;
    window->ChooseLanguage(code);
    const std::set<QString> same = SameInBoth(code);
    const Captions shown = AllCaptions(*window);
    for (const auto& [where, text] : english) {
      const auto now = shown.find(where);
      if (now == shown.end() || now->second != text) continue;
      if (IsAName(text) || same.count(text)) continue;
      ADD_FAILURE() << "language " << code << ": \"" << text.toStdString() << "\" on "
                    << where.first->objectName().toStdString() << " is still English";
    }
  }
  window->ChooseLanguage(kEnglish);
}

TEST_F(EveryLanguageTest, APictureOfTheOptionsTabPerLanguageShowsNoEnglishCaption) {
  // The Options tab's English captions, and its picture in English for comparison.
  window->ChooseLanguage(kEnglish);
  window->ShowTab(TForm1::TabOptions);
  QWidget* page = window->PageControl1->page(TForm1::TabOptions);
  auto visibleTexts = [&] {
    QStringList texts;
    for (QWidget* widget : page->findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(page)) continue;
      if (auto* label = qobject_cast<QLabel*>(widget)) texts << label->text();
      if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
      if (auto* group = qobject_cast<QGroupBox*>(widget)) texts << group->title();
      if (auto* box = qobject_cast<QComboBox*>(widget)) texts << box->currentText();
    }
    texts.removeAll(QString());
    return texts;
  };
  const QStringList englishTexts = visibleTexts();
  ASSERT_GE(englishTexts.size(), 12) << englishTexts.join(" | ").toStdString();
  const QImage englishPicture = page->grab().toImage();
  const fs::path pictures = environment.makeFolder("options-pictures");
  for (int code : kLanguageCodes) {
    if (code == kEnglish) continue;
    window->ChooseLanguage(code);
    window->ShowTab(TForm1::TabOptions);
    QApplication::processEvents();
    const QImage picture = page->grab().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(Q(pictures / ("options-" + std::to_string(code) + ".png"))));
    // Drawn in other words: the picture is not the English one.
    EXPECT_NE(picture, englishPicture) << "language " << code;
    const QStringList texts = visibleTexts();
    for (const QString& text : englishTexts) {
      EXPECT_FALSE(texts.contains(text))
          << "language " << code << " shows \"" << text.toStdString() << "\" on the Options tab";
    }
    // And the tab's own caption is the language's.
    EXPECT_EQ(window->PageControl1->tabText(TForm1::TabOptions), LanguageText(code, kTextOptions));
  }
  window->ChooseLanguage(kEnglish);
}

TEST_F(EveryLanguageTest, TheMendedTextsSayWhatTheProgramDoes) {
  // The overwrite choice asks first, and says so.
  for (int code : kLanguageCodes) {
    EXPECT_FALSE(LanguageText(code, kTextSaveOverwrite).contains(QStringLiteral("without asking")));
  }
  EXPECT_EQ(EnglishText(kTextSaveOverwrite),
            "overwrite the originals, after a confirmation ('image1.jpg')");
  // About and Help name the formats of today, not three.
  for (const char* memo : {"Memo2", "Memo3", "Memo4", "Memo5", "Memo6"}) {
    auto* text = Control<QWidget>(*window, memo);
    const QString content = text->property("plainText").toString();
    EXPECT_TRUE(content.contains("PNG")) << memo;
    EXPECT_TRUE(content.contains("WebP")) << memo;
    EXPECT_FALSE(content.contains("BMP, GIF")) << memo;
  }
}

}  // namespace
}  // namespace pixtrel::test
