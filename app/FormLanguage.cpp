// Languages: the texts of one language code are read from the translation table into
// LanguageTexts and written into the captions, menus and the two secondary windows' titles. A
// pick in the Language menu does this at once and stores the code under "jezik".
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/MainForm.h"
#include "app/MetadataChoices.h"
#include "app/PageControl.h"
#include "app/Pictures.h"
#include "app/ProcessPage.h"
#include "app/RadioGroup.h"
#include "languages/LanguageTable.h"
#include "settings/SettingsStore.h"

namespace pixtrel {
namespace {

// The Dutch variants have their own help and about texts.
bool IsDutch(int code) {
  return code == 7 || code == 49;
}

// The labels beside the sliders and boxes are reached by their names.
void SetLabelText(QObject& window, const char* name, const QString& text) {
  if (auto* label = window.findChild<QLabel*>(QString::fromLatin1(name))) label->setText(text);
}

}  // namespace

void TForm1::LoadLanguageTexts(int code) {
  // A code without texts leaves every slot empty.
  LanguageTexts.clear();
  for (int offset : kTextOffsets)
    LanguageTexts.insert(offset, LanguageText(code, offset));
  LanguageDirection = IsRightToLeft(code) ? Qt::RightToLeft : Qt::LeftToRight;
  ShowLanguageMemos(code);
}

QString TForm1::WindowText(int offset) const {
  const QString text = LanguageTexts.value(offset);
  return text.isEmpty() ? EnglishText(offset) : text;
}

void TForm1::ShowLanguageMemos(int code) {
  // Slovenian has its own about text only; both Dutch variants have both texts.
  QPlainTextEdit* help = IsDutch(code) ? Memo5 : Memo4;
  QPlainTextEdit* about = code == kSlovenian ? Memo6 : IsDutch(code) ? Memo3 : Memo2;
  // The others are hidden first, so a stack never shows two at once.
  for (QPlainTextEdit* memo : {Memo4, Memo5, Memo2, Memo3, Memo6}) {
    if (memo != help && memo != about) memo->hide();
  }
  help->show();
  about->show();
}

void TForm1::ApplyLanguageTexts() {
  const auto text = [this](int offset) { return LanguageTexts.value(offset); };
  const auto dotted = [&](int offset) { return text(offset) + QStringLiteral("..."); };

  // Mirrors the windows, menus and message boxes for Hebrew.
  QApplication::setLayoutDirection(LanguageDirection);

  // The resize tabs.
  for (const ResizeTab& tab : resizeTabs_) {
    const QByteArray n = tab.suffix.toLatin1();
    SetLabelText(*this, (QByteArray("LabelNormal") + n).constData(), text(101));
    SetLabelText(*this, (QByteArray("LabelBetter") + n).constData(), text(102));
    SetLabelText(*this, (QByteArray("LabelPixels") + n).constData(), text(103));
    tab.button->setText(text(104));
  }
  M2->setTitle(text(104));

  // The JPEG quality tab's slider and the Options tab's save quality slider.
  for (const char* name : {"LabelWorse7", "LabelWorse10"})
    SetLabelText(*this, name, text(105));
  for (const char* name : {"LabelBest7", "LabelBest10"})
    SetLabelText(*this, name, text(106));

  for (QPushButton* button : {Button4, Button5, Button6, Button7, Button9, Button14, Button13})
    button->setText(text(110));
  M3->setTitle(text(110));
  // "Resize & convert": its "&" is shown, not taken for a key's mark.
  const QString process = text(kTextProcessTab).replace(u'&', QStringLiteral("&&"));
  PageControl1->setTabText(TabConvertTo, process);
  if (auto* entry = findChild<QAction*>(QStringLiteral("M39"))) entry->setText(process);
  ProcessTab->retranslate(text);

  // The Options tab.
  PageControl1->setTabText(TabOptions, text(kTextOptions));
  M14->setText(text(kTextOptions));
  Radio1->setTitle(dotted(kTextHowToSave));
  Radio1->setItems({text(kTextSavePrefix), text(kTextSaveSubfolder).arg(QDir::separator()),
                    text(kTextSaveOverwrite)});
  if (auto* group = findChild<QGroupBox*>(QStringLiteral("GroupBoxSaveQuality")))
    group->setTitle(text(kTextSaveQuality));
  CheckBox1->setText(text(kTextKeepDate));
  CheckBox2->setText(text(kTextShrinkOnly));
  CheckBox2->setToolTip(text(kTextShrinkOnlyTip));
  CheckBox3->setText(text(kTextIgnoreOrientation));
  CheckBox3->setToolTip(text(kTextIgnoreOrientationTip));
  SetLabelText(*this, "LabelMetadata", text(kTextMetadata));
  // Choices the table has no text for keep the caption they have.
  for (int i = 0; i < ComboBox2->count(); ++i) {
    for (const MetadataChoice& choice : MetadataChoices()) {
      if (ComboBox2->itemData(i).toString() == choice.key)
        ComboBox2->setItemText(i, text(choice.text));
    }
  }
  // Every resize tab's warning, the classic ones' and those built from the registry.
  for (const ResizeTab& tab : resizeTabs_) {
    SetLabelText(*this, (QStringLiteral("LabelPixelsWarning") + tab.suffix).toUtf8().constData(),
                 text(kTextPixelsWarning));
  }

  // The frame: banner, progress row and status bar.
  Image1->setPixmap(BannerPicture(text(kTextBanner)));
  StopButton->setText(text(kTextStop));
  StopButton->setToolTip(text(kTextStopTip));
  StatusPanel1->setText(text(kTextStatusNotice));
  ShowFocusedFileInfo();

  Button8->setText(text(111));
  PageControl1->setTabText(TabRotate, text(111));
  Radio2->setTitle(dotted(111));
  Radio2->setItems({text(441), text(442), text(443)});
  CheckBox4->setText(text(kTextLosslessTurn));
  CheckBox4->setToolTip(text(kTextLosslessTurnTip));
  CheckBox5->setText(text(kTextLosslessTrim));
  Button10->setText(text(112));
  PageControl1->setTabText(TabJpegQuality, text(152));
  PageControl1->setTabText(TabGreyscale, text(153));

  // About page: its layout keeps the update link and its note as wide as the page, centred.
  PageControl1->setTabText(TabAbout, text(120));
  HotLabel1->setText(text(121));
  Label6->setText(text(122));
  // The product name comes first, so a right-to-left title needs a mark to read as one.
  const QString titleStart =
      LanguageDirection == Qt::RightToLeft ? QStringLiteral("\u200F") : QString();
  Label3->setText(titleStart + QStringLiteral("Pixtrel ") + text(140) + u' ' + ProgramVersion);
  SetLabelText(*this, "NoticeLabel", text(kTextAboutNotice));
  Image30->setPixmap(DonatePicture(text(kTextDonate)));

  // Help page.
  PageControl1->setTabText(TabHelp, text(130));
  if (auto* group = findChild<QGroupBox*>(QStringLiteral("GroupBoxHelp")))
    group->setTitle(text(131));
  Button11->setText(text(132));
  Button12->setText(text(133));

  // Menus.
  P1->setText(text(201));
  M1->setTitle(text(401));
  M12->setText(text(412));
  M13->setText(text(301));
  M15->setTitle(text(415));
  M16->setTitle(text(kTextSpecialFolders));
  M161->setText(text(kTextPicturesFolder));
  M162->setText(text(kTextDocumentsFolder));
  M163->setText(text(kTextRecentFiles));
  M164->setText(text(kTextDesktopFolder));
  M19->setText(text(419));
  M7->setTitle(text(kTextLanguage));
  M79->setText(text(kTextAddLanguage));
  M95->setText(dotted(kTextForum));
  M9->setTitle(text(130));
  M91->setText(text(130));
  M96->setText(text(133));
  M97->setText(dotted(132));
  M92->setText(dotted(492));
  M93->setText(dotted(493));
  M94->setText(dotted(494));
  M99->setText(text(499));

  RetitleSecondaryWindows();  // the viewer and the preview window (FormPreview.cpp)
  // The pages' side keeps the width the widest page needs in this language, so that choosing a
  // page never moves the splitter or the tabs.
  if (QWidget* side = PageControl1->parentWidget()) side->setMinimumWidth(0);
  const int widest = PageControl1->widestMinimumWidth();
  if (QWidget* side = PageControl1->parentWidget()) side->setMinimumWidth(widest);
}

void TForm1::ChooseLanguage(int code) {
  Guarded([&] {
    LoadLanguageTexts(code);
    ApplyLanguageTexts();
    CurrentLanguage = code;
    SettingsStore::WriteInteger(kSettingsKeyPath, QStringLiteral("jezik"), code);
  });
}

}  // namespace pixtrel
