// The command tabs and the Options tab.
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolTip>
#include <QVBoxLayout>

#include "app/MainForm.h"
#include "app/NamedWidget.h"
#include "app/PageControl.h"
#include "app/RadioGroup.h"
#include "core/IntegerText.h"
#include "core/Limits.h"
#include "languages/LanguageTable.h"

namespace pixtrel {
namespace {

// A 0..100 JPEG quality slider with a tick every 10 between its two end labels.
QWidget* QualityRow(QSlider* slider, QLabel* worse, QLabel* best) {
  slider->setRange(0, 100);
  slider->setTickInterval(10);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setPageStep(10);
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(worse);
  layout->addWidget(slider, 1);
  layout->addWidget(best);
  return row;
}

// Shows a slider's position as its tooltip, also while it is being dragged.
void TooltipFollowsValue(QSlider* slider) {
  auto update = [slider](int value) {
    slider->setToolTip(QString::number(value));
    if (slider->isSliderDown()) {
      QToolTip::showText(slider->mapToGlobal(QPoint(0, slider->height())), QString::number(value),
                         slider);
    }
  };
  QObject::connect(slider, &QSlider::valueChanged, slider, update);
  update(slider->value());
}

}  // namespace

void TForm1::BuildPages() {
  PageControl1->addPage(
      BuildResizePage(QStringLiteral("TabSheet2"), QStringLiteral("2"), TrackBar2, Edit2, Button2),
      QStringLiteral("JPG"));
  PageControl1->addPage(
      BuildResizePage(QStringLiteral("TabSheet1"), QStringLiteral("1"), TrackBar1, Edit1, Button1),
      QStringLiteral("GIF"));
  PageControl1->addPage(
      BuildResizePage(QStringLiteral("TabSheet5"), QStringLiteral("3"), TrackBar3, Edit3, Button3),
      QStringLiteral("BMP"));
  PageControl1->addPage(BuildAboutPage(), QStringLiteral("About Pixtrel"));
  PageControl1->addPage(BuildHelpPage(), QStringLiteral("Help"));
  PageControl1->addPage(
      BuildButtonPage(Button4, QStringLiteral("TabSheet6"), QStringLiteral("Button4")),
      QStringLiteral("GIF -> JPG"));
  PageControl1->addPage(
      BuildButtonPage(Button5, QStringLiteral("TabSheet7"), QStringLiteral("Button5")),
      QStringLiteral("JPG -> GIF"));
  PageControl1->addPage(
      BuildButtonPage(Button6, QStringLiteral("TabSheet8"), QStringLiteral("Button6")),
      QStringLiteral("BMP -> JPG"));
  PageControl1->addPage(
      BuildButtonPage(Button7, QStringLiteral("TabSheet9"), QStringLiteral("Button7")),
      QStringLiteral("BMP -> GIF"));
  PageControl1->addPage(BuildRotatePage(), QStringLiteral("Rotate"));
  PageControl1->addPage(BuildQualityPage(), QStringLiteral("JPEG quality"));
  PageControl1->addPage(
      BuildButtonPage(Button13, QStringLiteral("TabSheet13"), QStringLiteral("Button13")),
      QStringLiteral("Greyscale"));
  PageControl1->addPage(BuildOptionsPage(), EnglishText(kTextOptions));
  PageControl1->addPage(
      BuildButtonPage(Button9, QStringLiteral("TabSheet11"), QStringLiteral("Button9")),
      QStringLiteral("JPG -> BMP"));
  PageControl1->addPage(
      BuildButtonPage(Button14, QStringLiteral("TabSheet15"), QStringLiteral("Button14")),
      QStringLiteral("GIF -> BMP"));
  BuildFormatPages();
}

// The resize tabs: JPG (2), GIF (1), BMP (3), PNG (15) and WebP (16) share one design; number
// names the tab's slider, box, button and labels.
QWidget* TForm1::BuildResizePage(const QString& sheet, const QString& suffix, QSlider*& method,
                                 QLineEdit*& pixels, QPushButton*& button) {
  QWidget* page = NewPage(sheet);
  const QString& n = suffix;

  // A vertical two-step slider: normal quality at the top, better quality at the bottom.
  method = Named(new QSlider(Qt::Vertical, page), QStringLiteral("TrackBar") + n);
  method->setRange(0, 1);
  method->setInvertedAppearance(true);
  method->setInvertedControls(true);
  method->setTickPosition(QSlider::TicksLeft);
  method->setFixedHeight(56);
  method->setValue(1);
  auto* normal = Named(new QLabel(QStringLiteral("Normal quality (faster)"), page),
                       QStringLiteral("LabelNormal") + n);
  auto* better =
      Named(new QLabel(QStringLiteral("Better quality"), page), QStringLiteral("LabelBetter") + n);
  auto* methodRow = new QHBoxLayout;
  auto* methodGrid = new QGridLayout;
  methodGrid->setVerticalSpacing(0);
  methodGrid->addWidget(method, 0, 0, 2, 1);
  methodGrid->addWidget(normal, 0, 1, Qt::AlignTop);
  methodGrid->addWidget(better, 1, 1, Qt::AlignBottom);
  methodRow->addLayout(methodGrid);
  methodRow->addStretch();

  auto* pixelsLabel =
      Named(new QLabel(QStringLiteral("Pixels:"), page), QStringLiteral("LabelPixels") + n);
  pixels = Named(new QLineEdit(page), QStringLiteral("Edit") + n);
  pixels->setFixedWidth(90);
  pixelsLabel->setBuddy(pixels);
  // Told while typing: a text the resize would refuse, so the button need not find it out.
  auto* warning = Named(new QLabel(EnglishText(kTextPixelsWarning), page),
                        QStringLiteral("LabelPixelsWarning") + n);
  warning->setStyleSheet(QStringLiteral("color: rgb(176, 0, 0);"));
  warning->setWordWrap(true);
  QSizePolicy keep = warning->sizePolicy();
  keep.setRetainSizeWhenHidden(true);
  warning->setSizePolicy(keep);
  warning->hide();
  connect(pixels, &QLineEdit::textChanged, this, [this, pixels] { CheckPixelsText(pixels); });
  auto* pixelsRow = new QHBoxLayout;
  pixelsRow->addWidget(pixelsLabel);
  pixelsRow->addWidget(pixels);
  pixelsRow->addWidget(warning, 1);

  button = Named(new QPushButton(QStringLiteral("Resize"), page), QStringLiteral("Button") + n);
  button->setMinimumWidth(120);
  // Enter in the pixels box runs the tab's command; click() does nothing while it is locked.
  connect(pixels, &QLineEdit::returnPressed, button, &QPushButton::click);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(button);
  buttonRow->addStretch();

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->setSpacing(14);
  layout->addLayout(methodRow);
  layout->addLayout(pixelsRow);
  layout->addLayout(buttonRow);
  layout->addStretch();

  if (suffix == QStringLiteral("2")) {
    // On the JPG tab (Edit2), read by the JPEG resize: the filter (5 is "Lanczos3") and an empty
    // quality box.
    TrackBar9 = Named(new QSlider(Qt::Horizontal, page), QStringLiteral("TrackBar9"));
    TrackBar9->setRange(0, 6);
    TrackBar9->setValue(5);
    TrackBar9->hide();
    Edit4 = Named(new QLineEdit(page), QStringLiteral("Edit4"));
    Edit4->hide();
  }
  return page;
}

QWidget* TForm1::BuildButtonPage(QPushButton*& button, const QString& name,
                                 const QString& buttonName) {
  QWidget* page = NewPage(name);
  button = Named(new QPushButton(QStringLiteral("Convert"), page), buttonName);
  button->setMinimumWidth(120);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(16, 16, 16, 16);
  auto* row = new QHBoxLayout;
  row->addWidget(button);
  row->addStretch();
  layout->addLayout(row);
  layout->addStretch();
  return page;
}

QWidget* TForm1::BuildRotatePage() {
  QWidget* page = NewPage(QStringLiteral("TabSheet10"));
  Radio2 =
      Named(new RadioGroup(QStringLiteral("Rotate..."),
                           {QStringLiteral("90 degrees to right"),
                            QStringLiteral("90 degrees to left"), QStringLiteral("upside down")},
                           page),
            QStringLiteral("Radio2"));
  // JPEG files turned on their compressed data; off by default, as the classic turn decodes and
  // encodes them anew. Trimming applies only to turns without loss.
  CheckBox4 =
      Named(new QCheckBox(EnglishText(kTextLosslessTurn), page), QStringLiteral("CheckBox4"));
  CheckBox4->setToolTip(EnglishText(kTextLosslessTurnTip));
  CheckBox5 =
      Named(new QCheckBox(EnglishText(kTextLosslessTrim), page), QStringLiteral("CheckBox5"));
  CheckBox5->setEnabled(false);
  connect(CheckBox4, &QCheckBox::toggled, CheckBox5, &QWidget::setEnabled);
  Button8 = Named(new QPushButton(QStringLiteral("Rotate"), page), QStringLiteral("Button8"));
  Button8->setMinimumWidth(120);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->setSpacing(14);
  auto* groupRow = new QHBoxLayout;
  groupRow->addWidget(Radio2);
  groupRow->addStretch();
  auto* lossless = new QVBoxLayout;
  lossless->setSpacing(4);
  lossless->addWidget(CheckBox4);
  auto* trimRow = new QHBoxLayout;
  trimRow->addSpacing(24);  // under the first box's text: it belongs to it
  trimRow->addWidget(CheckBox5);
  trimRow->addStretch();
  lossless->addLayout(trimRow);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(Button8);
  buttonRow->addStretch();
  layout->addLayout(groupRow);
  layout->addLayout(lossless);
  layout->addLayout(buttonRow);
  layout->addStretch();
  return page;
}

QWidget* TForm1::BuildQualityPage() {
  QWidget* page = NewPage(QStringLiteral("TabSheet12"));
  TrackBar7 = Named(new QSlider(Qt::Horizontal, page), QStringLiteral("TrackBar7"));
  auto* worse =
      Named(new QLabel(QStringLiteral("Worse JPG quality"), page), QStringLiteral("LabelWorse7"));
  auto* best =
      Named(new QLabel(QStringLiteral("Best JPG quality"), page), QStringLiteral("LabelBest7"));
  QWidget* row = QualityRow(TrackBar7, worse, best);
  TrackBar7->setValue(85);
  connect(TrackBar7, &QSlider::valueChanged, this, &TForm1::TrackBar7Change);
  TrackBar7Change();
  Button10 = Named(new QPushButton(QStringLiteral("Change"), page), QStringLiteral("Button10"));
  Button10->setMinimumWidth(120);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->setSpacing(14);
  layout->addWidget(row);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(Button10);
  buttonRow->addStretch();
  layout->addLayout(buttonRow);
  layout->addStretch();
  return page;
}

void TForm1::CheckPixelsText(QLineEdit* box) {
  const QString number = box->objectName().mid(4);  // "Edit15" -> "15", "Edit_jxl" -> "_jxl"
  auto* warning = findChild<QLabel*>(QStringLiteral("LabelPixelsWarning") + number);
  if (!warning) return;
  // The same conversion the resize makes, and the sizes it takes.
  const std::optional<int> n = ParseInteger(box->text().toStdString());
  const bool acceptable = n && *n >= 1 && *n <= kMaxPictureSide;
  warning->setVisible(!acceptable);
  box->setToolTip(acceptable ? QString() : warning->text());
}

void TForm1::TrackBar7Change() {
  const QString text = QString::number(TrackBar7->value());
  TrackBar7->setToolTip(text);
  if (TrackBar7->isSliderDown()) {
    QToolTip::showText(TrackBar7->mapToGlobal(QPoint(0, TrackBar7->height())), text, TrackBar7);
  }
}

QWidget* TForm1::BuildOptionsPage() {
  QWidget* page = NewPage(QStringLiteral("TabSheet14"));
  // The subfolder caption shows the separator the platform uses in the output path.
  Radio1 = Named(new RadioGroup(EnglishText(kTextHowToSave) + QStringLiteral("..."),
                                {EnglishText(kTextSavePrefix),
                                 EnglishText(kTextSaveSubfolder).arg(QDir::separator()),
                                 EnglishText(kTextSaveOverwrite)},
                                page),
                 QStringLiteral("Radio1"));

  auto* qualityGroup = Named(new QGroupBox(EnglishText(kTextSaveQuality), page),
                             QStringLiteral("GroupBoxSaveQuality"));
  TrackBar10 = Named(new QSlider(Qt::Horizontal, qualityGroup), QStringLiteral("TrackBar10"));
  auto* worse = Named(new QLabel(QStringLiteral("Worse JPG quality"), qualityGroup),
                      QStringLiteral("LabelWorse10"));
  auto* best = Named(new QLabel(QStringLiteral("Best JPG quality"), qualityGroup),
                     QStringLiteral("LabelBest10"));
  QWidget* row = QualityRow(TrackBar10, worse, best);
  TrackBar10->setValue(89);
  TooltipFollowsValue(TrackBar10);
  auto* groupLayout = new QVBoxLayout(qualityGroup);
  groupLayout->addWidget(row);

  CheckBox1 = Named(new QCheckBox(EnglishText(kTextKeepDate), page), QStringLiteral("CheckBox1"));

  // The check boxes and the metadata choice stand close together, so that the page still fits
  // the smallest window under the most rows of tabs.
  auto* choices = new QVBoxLayout;
  choices->setSpacing(kOptionSpacing);
  choices->addWidget(CheckBox1);
  choices->addWidget(BuildPictureOptions(page));

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(12, 8, 12, 8);
  layout->setSpacing(6);
  layout->addWidget(Radio1);
  layout->addWidget(qualityGroup);
  layout->addLayout(choices);
  layout->addStretch();
  return page;
}

}  // namespace pixtrel
