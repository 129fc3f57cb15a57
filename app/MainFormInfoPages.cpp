// The About and Help tabs.
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MainForm.h"
#include "app/Pictures.h"
#include "app/WebAddresses.h"
#include "languages/InfoTexts.h"
#include "languages/LanguageTable.h"
#include "windows/ClickFilter.h"
#include "windows/Links.h"

namespace pixtrel {
namespace {

QPlainTextEdit* ReadOnlyText(const QString& name, const QString& text, QWidget* parent) {
  auto* memo = new QPlainTextEdit(text, parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  return memo;
}

// The update link's look: underlined, in the given colour.
QString LinkStyle(int red, int green, int blue) {
  return QStringLiteral("color: rgb(%1, %2, %3); text-decoration: underline;")
      .arg(red)
      .arg(green)
      .arg(blue);
}

QLabel* CentredLine(const QString& name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setAlignment(Qt::AlignCenter);
  // A long translation wraps onto a second line rather than widening the window.
  label->setWordWrap(true);
  return label;
}

}  // namespace

QWidget* TForm1::BuildAboutPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet3"));

  Image2 = new QLabel(page);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setPixmap(IconPicture(56));
  OnClick(Image2, [this] { OpenWebAddress(HomePageAddress); });

  Label3 = new QLabel(QStringLiteral("Pixtrel version ") + ProgramVersion, page);
  Label3->setObjectName(QStringLiteral("Label3"));
  QFont titleFont(QStringLiteral("Arial"));
  titleFont.setPixelSize(23);
  titleFont.setBold(true);
  Label3->setFont(titleFont);
  Label3->setStyleSheet(QStringLiteral("color: rgb(0, 0, 128);"));
  auto* notice = new QLabel(EnglishText(kTextAboutNotice), page);
  notice->setObjectName(QStringLiteral("NoticeLabel"));

  Image30 = new QLabel(page);
  Image30->setObjectName(QStringLiteral("Image30"));
  Image30->setPixmap(DonatePicture(EnglishText(kTextDonate)));
  OnClick(Image30, [] { OpenWebAddress(kDonateButtonAddress); });

  auto* titles = new QVBoxLayout;
  titles->setSpacing(2);
  titles->addWidget(Label3);
  titles->addWidget(notice);
  auto* top = new QHBoxLayout;
  top->addWidget(Image2);
  top->addLayout(titles, 1);
  top->addWidget(Image30, 0, Qt::AlignTop);

  Memo1 = ReadOnlyText(
      QStringLiteral("Memo1"),
      QStringList{kHomePageAddress, kMakerPageAddress, kForumAddress, kMakerNationalPageAddress}
          .join(u'\n'),
      page);
  Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 4 + 12);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);

  // English, Dutch and Slovenian about texts in one place; the language shows one of them.
  auto* texts = new QGridLayout;
  Memo2 = ReadOnlyText(QStringLiteral("Memo2"), EnglishAboutText(), page);
  Memo3 = ReadOnlyText(QStringLiteral("Memo3"), DutchAboutText(), page);
  Memo6 = ReadOnlyText(QStringLiteral("Memo6"), SlovenianAboutText(), page);
  for (QPlainTextEdit* memo : {Memo2, Memo3, Memo6})
    texts->addWidget(memo, 0, 0);
  Memo3->hide();
  Memo6->hide();

  HotLabel1 =
      CentredLine(QStringLiteral("HotLabel1"),
                  QStringLiteral("Click here to check for a new version on the internet!"), page);
  HotLabel1->setStyleSheet(LinkStyle(0, 0, 160));
  HotLabel1->setToolTip(kHomePageAddress);
  // Red while the button is held down, navy once it is released.
  ClickFilter* update = OnClick(HotLabel1, [this] { OpenWebAddress(UpdatePageAddress); });
  update->pressed = [this] { HotLabel1->setStyleSheet(LinkStyle(255, 0, 0)); };
  update->released = [this] { HotLabel1->setStyleSheet(LinkStyle(0, 0, 128)); };
  Label6 =
      CentredLine(QStringLiteral("Label6"), QStringLiteral("(only in English language)"), page);

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(10, 8, 10, 8);
  layout->setSpacing(6);
  layout->addLayout(top);
  layout->addWidget(Memo1);
  layout->addLayout(texts, 1);
  layout->addWidget(HotLabel1);
  layout->addWidget(Label6);
  return page;
}

QWidget* TForm1::BuildHelpPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("TabSheet4"));
  auto* group = new QGroupBox(QStringLiteral("How to use Pixtrel?"), page);
  group->setObjectName(QStringLiteral("GroupBoxHelp"));
  auto* texts = new QGridLayout;
  Memo4 = ReadOnlyText(QStringLiteral("Memo4"), EnglishHelpText(), group);
  Memo5 = ReadOnlyText(QStringLiteral("Memo5"), DutchHelpText(), group);
  texts->addWidget(Memo4, 0, 0);
  texts->addWidget(Memo5, 0, 0);
  Memo5->hide();

  Button11 = new QPushButton(QStringLiteral("Online help"), group);
  Button11->setObjectName(QStringLiteral("Button11"));
  Button12 = new QPushButton(QStringLiteral("More help"), group);
  Button12->setObjectName(QStringLiteral("Button12"));
  connect(Button11, &QPushButton::clicked, this, [] { OpenWebAddress(kOnlineHelpAddress); });
  connect(Button12, &QPushButton::clicked, this, [] { OpenLocalHelp(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Button11);
  buttons->addWidget(Button12);

  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addLayout(texts, 1);
  groupLayout->addLayout(buttons);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(group);
  return page;
}

}  // namespace pixtrel
