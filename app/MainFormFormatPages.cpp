// The tabs and options that came with the newer formats: the PNG and WebP resize tabs, shown
// beside the other resize tabs, the "Convert to" tab, and the Options tab's picture options.
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MainForm.h"
#include "app/MetadataChoices.h"
#include "app/NamedWidget.h"
#include "app/PageControl.h"
#include "codecs/FormatTable.h"
#include "languages/LanguageTable.h"

namespace pixtrel {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void TForm1::BuildFormatPages() {
  // Shown right after the BMP tab, in the strip's order: JPG, GIF, BMP, PNG, WebP.
  const int afterBmp = TabBmp + 1;
  PageControl1->addPage(
      BuildResizePage(QStringLiteral("TabSheet16"), 15, TrackBar15, Edit15, Button15),
      Text(RowOf(ImageFormat::Png).title), afterBmp);
  PageControl1->addPage(
      BuildResizePage(QStringLiteral("TabSheet17"), 16, TrackBar16, Edit16, Button16),
      Text(RowOf(ImageFormat::Webp).title), afterBmp + 1);
  PageControl1->addPage(BuildConvertToPage(), EnglishText(kTextConvertTo));
}

QWidget* TForm1::BuildConvertToPage() {
  QWidget* page = NewPage(QStringLiteral("TabSheet18"));
  ComboBox1 = Named(new QComboBox(page), QStringLiteral("ComboBox1"));
  // Every format that can be written, in the table's order; the item's data is its key.
  for (const FormatRow& row : FormatTable()) {
    if (!row.writable()) continue;
    ComboBox1->addItem(Text(row.title), Text(row.key));
  }
  auto* label =
      Named(new QLabel(EnglishText(kTextFormat), page), QStringLiteral("LabelConvertToFormat"));
  label->setBuddy(ComboBox1);
  auto* formatRow = new QHBoxLayout;
  formatRow->addWidget(label);
  formatRow->addWidget(ComboBox1);
  formatRow->addStretch();

  Button17 = Named(new QPushButton(QStringLiteral("Convert"), page), QStringLiteral("Button17"));
  Button17->setMinimumWidth(120);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(Button17);
  buttonRow->addStretch();

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->setSpacing(14);
  layout->addLayout(formatRow);
  layout->addLayout(buttonRow);
  layout->addStretch();
  return page;
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
