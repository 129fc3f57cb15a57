// The tabs and options that came with the newer formats: the resize tabs of every format after
// BMP, shown beside the other resize tabs, the "Convert to" tab, and the Options tab's picture
// options.
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "app/ClassicResizeTabs.h"
#include "app/MainForm.h"
#include "app/MetadataChoices.h"
#include "app/NamedWidget.h"
#include "app/PageControl.h"
#include "codecs/Registry.h"
#include "languages/LanguageTable.h"

namespace pixtrel {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void TForm1::BuildFormatPages() {
  // Shown right after the BMP tab, in resize order: JPG, GIF, BMP, PNG, WebP, then the formats
  // that have no classic tab (tab indexes after "Resize & convert", which took the place of
  // "Convert to"), each captioned with its title.
  int shownAt = TabBmp + 1;
  std::vector<ResizeTab> added;
  for (const FormatRow* row : ResizableRows()) {
    const ClassicResizeTab* classic = ClassicResizeTabFor(*row);
    if (!classic || classic->tab <= TabBmp) continue;
    PageControl1->addPage(
        BuildResizePage(QString::fromLatin1(classic->sheet), QString::fromLatin1(classic->suffix),
                        this->*classic->method, this->*classic->pixels, this->*classic->button),
        Text(row->title), shownAt++);
  }
  PageControl1->addPage(BuildProcessPage(),
                        EnglishText(kTextProcessTab).replace(u'&', QStringLiteral("&&")));
  for (const FormatRow* row : AddedResizableRows()) {
    ResizeTab tab;
    tab.row = row;
    tab.tab = *ResizeTabOf(*row);
    tab.suffix = AddedTabSuffix(*row);
    PageControl1->addPage(BuildResizePage(QStringLiteral("TabSheet") + tab.suffix, tab.suffix,
                                          tab.method, tab.pixels, tab.button),
                          Text(row->title), shownAt++);
    added.push_back(tab);
  }

  // Every resize tab, in resize order.
  resizeTabs_.clear();
  for (const FormatRow* row : ResizableRows()) {
    ResizeTab tab;
    if (const ClassicResizeTab* classic = ClassicResizeTabFor(*row)) {
      tab.row = row;
      tab.tab = classic->tab;
      tab.method = this->*classic->method;
      tab.pixels = this->*classic->pixels;
      tab.button = this->*classic->button;
      tab.suffix = QString::fromLatin1(classic->suffix);
    } else {
      tab = *std::find_if(added.begin(), added.end(),
                          [row](const ResizeTab& built) { return built.row == row; });
    }
    tab.settingsKey = Text(row->key) + QStringLiteral(".px");
    resizeTabs_.push_back(tab);
  }
}

// Shrink-only, the orientation tag and the metadata: how every command treats the pictures.
QWidget* TForm1::BuildPictureOptions(QWidget* page) {
  auto* box = Named(new QWidget(page), QStringLiteral("PictureOptions"));
  CheckBox2 = Named(new QCheckBox(EnglishText(kTextShrinkOnly), box), QStringLiteral("CheckBox2"));
  CheckBox2->setToolTip(EnglishText(kTextShrinkOnlyTip));
  CheckBox3 =
      Named(new QCheckBox(EnglishText(kTextIgnoreOrientation), box), QStringLiteral("CheckBox3"));
  CheckBox3->setToolTip(EnglishText(kTextIgnoreOrientationTip));

  ComboBox2 = Named(new QComboBox(box), QStringLiteral("ComboBox2"));
  // Sized for about 24 letters rather than its longest choice, so that a long translation of
  // the label beside it keeps its line; a longer choice shows whole in the open list.
  ComboBox2->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  ComboBox2->setMinimumContentsLength(24);
  for (const MetadataChoice& choice : MetadataChoices())
    ComboBox2->addItem(choice.caption, choice.key);
  auto* label = Named(new QLabel(EnglishText(kTextMetadata), box), QStringLiteral("LabelMetadata"));
  label->setWordWrap(true);  // a long translation takes two lines rather than the choices' room
  label->setBuddy(ComboBox2);
  auto* metadataRow = new QHBoxLayout;
  // The label takes the width the choices leave: a wrapped label would otherwise keep narrow.
  metadataRow->addWidget(label, 1);
  metadataRow->addWidget(ComboBox2);

  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(kOptionSpacing);
  layout->addWidget(CheckBox2);
  layout->addWidget(CheckBox3);
  layout->addLayout(metadataRow);
  return box;
}

}  // namespace pixtrel
