// The menu bar. The preview and viewer entries work through FormPreview.cpp, the recent and
// special folders through FormRecent.cpp; the help and web entries open their pages.
#include <QMenuBar>
#include <QShortcut>

#include "app/ClassicResizeTabs.h"
#include "app/MainForm.h"
#include "app/PageControl.h"
#include "app/WebAddresses.h"
#include "app/WindowKeys.h"
#include "languages/LanguageMenu.h"
#include "languages/LanguageTable.h"
#include "windows/Links.h"

namespace pixtrel {
namespace {

QAction* AddEntry(QMenu* menu, const QString& name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

QMenu* AddMenu(QMenu* parent, QMenuBar* bar, const QString& name, const QString& title) {
  QMenu* menu = parent ? parent->addMenu(title) : bar->addMenu(title);
  menu->setObjectName(name);
  menu->menuAction()->setObjectName(name + QStringLiteral("Entry"));
  return menu;
}

}  // namespace

void TForm1::ShowTab(int index) {
  PageControl1->setCurrentIndex(index);
  PageControl1Change();
}

void TForm1::StepTab(int step) {
  const int next = PageControl1->tabStrip()->stepFrom(step);
  if (next < 0) return;
  ShowTab(next);
  FocusTabStart();
}

void TForm1::FocusTabStart() {
  QWidget* page = PageControl1->page(PageControl1->currentIndex());
  if (!page) return;
  // The first control the Tab key would reach on the page.
  for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
    if (!page->isAncestorOf(w)) continue;
    if (w->isVisibleTo(page) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
      // Drawn as keyboard focus, so the user sees where it went.
      setAttribute(Qt::WA_KeyboardFocusChange);
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

void TForm1::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  M1 = AddMenu(nullptr, bar, QStringLiteral("M1"), QStringLiteral("File"));
  M12 = AddEntry(M1, QStringLiteral("M12"), QStringLiteral("Preview images"));
  M12->setCheckable(true);
  connect(M12, &QAction::triggered, this, [this] { Guarded([this] { M12Click(); }); });
  M13 = AddEntry(M1, QStringLiteral("M13"), QStringLiteral("View image"));
  connect(M13, &QAction::triggered, this, [this] { Preview(FocusedFilePath()); });
  M14 = AddEntry(M1, QStringLiteral("M14"), EnglishText(kTextOptions));
  connect(M14, &QAction::triggered, this, [this] {
    ShowTab(TabOptions);
    FocusTabStart();
  });
  M1->addSeparator();
  M15 = AddMenu(M1, bar, QStringLiteral("M15"), QStringLiteral("Recent folders"));
  const struct {
    QAction*& entry;
    void (TForm1::*click)();
  } recent[] = {{M151, &TForm1::M151Click},
                {M152, &TForm1::M152Click},
                {M153, &TForm1::M153Click},
                {M154, &TForm1::M154Click},
                {M155, &TForm1::M155Click}};
  for (int i = 0; i < 5; ++i) {
    recent[i].entry = AddEntry(M15, QStringLiteral("M15%1").arg(i + 1), QString());
    const auto click = recent[i].click;
    connect(recent[i].entry, &QAction::triggered, this,
            [this, click] { Guarded([&] { (this->*click)(); }); });
  }
  M16 = AddMenu(M1, bar, QStringLiteral("M16"), EnglishText(kTextSpecialFolders));
  M161 = AddEntry(M16, QStringLiteral("M161"), EnglishText(kTextPicturesFolder));
  M162 = AddEntry(M16, QStringLiteral("M162"), EnglishText(kTextDocumentsFolder));
  M163 = AddEntry(M16, QStringLiteral("M163"), EnglishText(kTextRecentFiles));
  M164 = AddEntry(M16, QStringLiteral("M164"), EnglishText(kTextDesktopFolder));
  connect(M161, &QAction::triggered, this, [this] { Guarded([this] { M161Click(); }); });
  connect(M162, &QAction::triggered, this, [this] { Guarded([this] { M162Click(); }); });
  connect(M163, &QAction::triggered, this, [this] { Guarded([this] { M163Click(); }); });
  connect(M164, &QAction::triggered, this, [this] { Guarded([this] { M164Click(); }); });
  connect(M16, &QMenu::aboutToShow, this, &TForm1::UpdateSpecialFolderEntries);
  M1->addSeparator();
  M19 = AddEntry(M1, QStringLiteral("M19"), QStringLiteral("Exit"));
  connect(M19, &QAction::triggered, this, &QWidget::close);

  // A tab chosen from a menu lists the files its command works on, as a click on it does.
  auto showTab = [this](int index) {
    return [this, index] {
      ShowTab(index);
      FocusTabStart();
    };
  };
  M2 = AddMenu(nullptr, bar, QStringLiteral("M2"), QStringLiteral("Resize"));
  // The classic entries in their order (JPG, BMP, GIF, PNG, WebP), then one for each format
  // added later ("M2_KEY"), each captioned as its tab is.
  for (const ClassicResizeTab& classic : ClassicResizeTabs()) {
    connect(AddEntry(M2, QString::fromLatin1(classic.menu), PageControl1->tabText(classic.tab)),
            &QAction::triggered, this, showTab(classic.tab));
  }
  for (const FormatRow* row : AddedResizableRows()) {
    const int tab = *ResizeTabOf(*row);
    connect(AddEntry(M2, QStringLiteral("M2") + AddedTabSuffix(*row), PageControl1->tabText(tab)),
            &QAction::triggered, this, showTab(tab));
  }

  M3 = AddMenu(nullptr, bar, QStringLiteral("M3"), QStringLiteral("Convert"));
  const struct {
    const char* name;
    const char* caption;
    Tab tab;
  } conversions[] = {{"M31", "BMP -> JPG", TabBmpToJpg}, {"M32", "BMP -> GIF", TabBmpToGif},
                     {"M34", "JPG -> BMP", TabJpgToBmp}, {"M35", "JPG -> GIF", TabJpgToGif},
                     {"M37", "GIF -> BMP", TabGifToBmp}, {"M38", "GIF -> JPG", TabGifToJpg}};
  for (const auto& entry : conversions) {
    connect(AddEntry(M3, QString::fromLatin1(entry.name), QString::fromLatin1(entry.caption)),
            &QAction::triggered, this, showTab(entry.tab));
  }
  // Any format to any: apart from the fixed pairs above.
  M3->addSeparator();
  connect(AddEntry(M3, QStringLiteral("M39"), PageControl1->tabText(TabConvertTo)),
          &QAction::triggered, this, showTab(TabConvertTo));

  BuildLanguageMenu();
  BuildHelpMenu();
  // Enter on buttons, Alt and F10 for the bar, Alt and a letter for a menu.
  new WindowKeys(this);
  // Tabs by keys, from anywhere in the window, as in other tabbed windows.
  const struct {
    QKeySequence keys;
    int step;
  } tabKeys[] = {{QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
                 {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
                 {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1}};
  for (const auto& key : tabKeys) {
    auto* shortcut = new QShortcut(key.keys, this);
    const int step = key.step;
    connect(shortcut, &QShortcut::activated, this, [this, step] { StepTab(step); });
  }
}

void TForm1::BuildLanguageMenu() {
  // Entries keep their English captions in every language, so anyone can find their own.
  M7 = AddMenu(nullptr, menuBar(), QStringLiteral("M7"), EnglishText(kTextLanguage));
  auto addLanguage = [this](QMenu* menu, const QString& name, const QString& caption, int code) {
    QAction* entry = AddEntry(menu, name, caption);
    entry->setData(code);
    connect(entry, &QAction::triggered, this, [this, code] { ChooseLanguage(code); });
    return entry;
  };
  M71 = addLanguage(M7, QStringLiteral("M71"), QStringLiteral("Slovenian"), kSlovenian);
  M72 = addLanguage(M7, QStringLiteral("M72"), QStringLiteral("English"), kEnglish);
  M7->addSeparator();
  // The translations show their own names too; a language with variants gets a submenu, whose
  // tooltips tell the variants apart.
  for (const MenuLanguage& language : OtherMenuLanguages()) {
    if (language.variants.size() == 1) {
      const int code = language.variants.front().code;
      addLanguage(M7, QStringLiteral("Language%1").arg(code), LanguageEntryCaption(language, 0),
                  code);
      continue;
    }
    QMenu* variants = AddMenu(M7, menuBar(), QStringLiteral("Languages") + language.englishName,
                              language.englishName);
    variants->setToolTipsVisible(true);
    for (int i = 0; i < static_cast<int>(language.variants.size()); ++i) {
      const LanguageVariant& variant = language.variants[i];
      QAction* entry = addLanguage(variants, QStringLiteral("Language%1").arg(variant.code),
                                   LanguageEntryCaption(language, i), variant.code);
      entry->setToolTip(variant.note);
    }
  }
  M7->addSeparator();
  M79 = AddEntry(M7, QStringLiteral("M79"), EnglishText(kTextAddLanguage));
  connect(M79, &QAction::triggered, this, [] { OpenWebAddress(kTranslationPageAddress); });
}

void TForm1::BuildHelpMenu() {
  M9 = AddMenu(nullptr, menuBar(), QStringLiteral("M9"), QStringLiteral("Help"));
  M91 = AddEntry(M9, QStringLiteral("M91"), QStringLiteral("Help"));
  connect(M91, &QAction::triggered, this, [this] {
    ShowTab(TabHelp);
    FocusTabStart();
  });
  M9->addSeparator();
  M96 = AddEntry(M9, QStringLiteral("M96"), QStringLiteral("More help"));
  M97 = AddEntry(M9, QStringLiteral("M97"), QStringLiteral("Online help..."));
  M9->addSeparator();
  M95 = AddEntry(M9, QStringLiteral("M95"), EnglishText(kTextForum) + QStringLiteral("..."));
  M92 = AddEntry(M9, QStringLiteral("M92"),
                 QStringLiteral("Check the internet for a new version..."));
  M9->addSeparator();
  M93 = AddEntry(M9, QStringLiteral("M93"), QStringLiteral("Order CD online..."));
  M94 = AddEntry(M9, QStringLiteral("M94"), QStringLiteral("Donate $5 online..."));
  connect(M96, &QAction::triggered, this, [] { OpenLocalHelp(); });
  connect(M97, &QAction::triggered, this, [] { OpenWebAddress(kOnlineHelpAddress); });
  connect(M95, &QAction::triggered, this, [] { OpenWebAddress(kForumAddress); });
  connect(M92, &QAction::triggered, this, [this] { OpenWebAddress(UpdatePageAddress); });
  connect(M93, &QAction::triggered, this, [] { OpenWebAddress(kOrderPageAddress); });
  connect(M94, &QAction::triggered, this, [] { OpenWebAddress(kDonationsPageAddress); });
  M9->addSeparator();
  M99 = AddEntry(M9, QStringLiteral("M99"), QStringLiteral("About..."));
  connect(M99, &QAction::triggered, this, [this] {
    ShowTab(TabAbout);
    FocusTabStart();
  });
}

}  // namespace pixtrel
