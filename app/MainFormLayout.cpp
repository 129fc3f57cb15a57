// The window's frame: banner, the group with the folder browser and the tabs, the progress row
// and the status bar.
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/DriveComboBox.h"
#include "app/FileListBox.h"
#include "app/FileMask.h"
#include "app/FolderTree.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/PageControl.h"
#include "app/Pictures.h"
#include "app/WebAddresses.h"
#include "languages/LanguageTable.h"
#include "windows/ClickFilter.h"
#include "windows/Links.h"

namespace pixtrel {
namespace {

constexpr int kDesignWidth = 745;

}  // namespace

void TForm1::BuildLayout() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(4, 4, 4, 0);
  column->setSpacing(4);
  column->addWidget(BuildBanner());

  GroupBox2 = new QGroupBox(central);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  auto* row = new QHBoxLayout(GroupBox2);
  row->setContentsMargins(6, 6, 6, 6);
  // The browser and the tabs share the width; dragging the handle between them widens the file
  // list, so that long names can be read.
  Splitter1 = new QSplitter(Qt::Horizontal, GroupBox2);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setChildrenCollapsible(false);
  Splitter1->setHandleWidth(8);
  Splitter1->addWidget(BuildBrowser());

  auto* rightSide = new QWidget(Splitter1);
  rightSide->setObjectName(QStringLiteral("PagesSide"));
  auto* right = new QVBoxLayout(rightSide);
  right->setContentsMargins(0, 0, 0, 0);
  right->setSpacing(4);
  PageControl1 = new PageControl(GroupBox2);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  BuildPages();
  PageControl1->setCurrentIndex(TabAbout);
  connect(PageControl1, &PageControl::userChanged, this, &TForm1::PageControl1Change);
  // A tab clicked hands the focus to its first control, so the keys go on from there.
  connect(PageControl1, &PageControl::tabClicked, this, &TForm1::FocusTabStart);
  right->addWidget(PageControl1, 1);

  // The bar and its Stop button keep their room while hidden, so nothing jumps during a batch.
  auto* progressRow = new QHBoxLayout;
  ProgressBar1 = new QProgressBar(GroupBox2);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setRange(0, 0);
  ProgressBar1->setValue(0);
  ProgressBar1->setFormat(QStringLiteral("%v / %m"));
  StopButton = new QPushButton(EnglishText(kTextStop), GroupBox2);
  StopButton->setObjectName(QStringLiteral("StopButton"));
  StopButton->setToolTip(EnglishText(kTextStopTip));
  for (QWidget* widget : {static_cast<QWidget*>(ProgressBar1), static_cast<QWidget*>(StopButton)}) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    widget->hide();
  }
  connect(StopButton, &QPushButton::clicked, this, &TForm1::RequestStop);
  progressRow->addWidget(ProgressBar1, 1);
  progressRow->addWidget(StopButton);
  right->addLayout(progressRow);
  Splitter1->addWidget(rightSide);
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setSizes({kBrowserWidth, kDesignWidth});
  row->addWidget(Splitter1);

  column->addWidget(GroupBox2, 1);
  setCentralWidget(central);
}

QWidget* TForm1::BuildBanner() {
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* layout = new QHBoxLayout(Panel1);
  layout->setContentsMargins(0, 0, 0, 0);
  Image1 = new QLabel(Panel1);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setPixmap(BannerPicture(EnglishText(kTextBanner)));
  Image1->setFixedSize(468, 60);
  OnClick(Image1, [this] { OpenWebAddress(MakerPageAddress); });
  // Stays centred however wide the window is.
  layout->addStretch();
  layout->addWidget(Image1);
  layout->addStretch();
  return Panel1;
}

QWidget* TForm1::BuildBrowser() {
  auto* browser = new QWidget(GroupBox2);
  browser->setObjectName(QStringLiteral("FolderBrowser"));
  browser->setMinimumWidth(kBrowserMinimumWidth);
  auto* layout = new QVBoxLayout(browser);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);

  DriveComboBox10 = new DriveComboBox(browser);
  DriveComboBox10->setObjectName(QStringLiteral("DriveComboBox10"));
  connect(DriveComboBox10, &DriveComboBox::volumePicked, this, &TForm1::VolumePicked);

  DirectoryListBox10 = new FolderTree(browser);
  DirectoryListBox10->setObjectName(QStringLiteral("DirectoryListBox10"));
  connect(DirectoryListBox10, &FolderTree::folderPicked, this, [this](const QString& path) {
    if (!SetFolder(path)) {
      ShowWindowError(this, WindowText(kTextCannotOpenFolder).arg(QDir::toNativeSeparators(path)));
    }
  });

  FileListBox10 = new FileListBox(browser);
  FileListBox10->setObjectName(QStringLiteral("FileListBox10"));
  FileListBox10->setMask(kStartMask);
  connect(FileListBox10, &QListWidget::itemClicked, this, &TForm1::FileListBox10Click);
  connect(FileListBox10, &QListWidget::currentItemChanged, this, &TForm1::ShowFocusedFileInfo);
  connect(FileListBox10, &QListWidget::itemDoubleClicked, this, &TForm1::FileListBox10DblClick);
  connect(FileListBox10, &FileListBox::deleteRequested, this, &TForm1::DeleteFocusedFile);

  PopupMenu1 = new QMenu(FileListBox10);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  P1 = PopupMenu1->addAction(EnglishText(201));
  P1->setObjectName(QStringLiteral("P1"));
  connect(P1, &QAction::triggered, this, &TForm1::P1Click);
  FileListBox10->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FileListBox10, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    PopupMenu1->popup(FileListBox10->viewport()->mapToGlobal(at));
  });

  layout->addWidget(DriveComboBox10);
  layout->addWidget(DirectoryListBox10, 2);
  layout->addWidget(FileListBox10, 3);
  return browser;
}

void TForm1::BuildStatusBar() {
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(true);
  StatusPanel1 = new QLabel(EnglishText(kTextStatusNotice), StatusBar1);
  StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
  StatusPanel1->setFixedWidth(270);
  // What the window has to tell: the focused file's size, or how the last batch ended.
  StatusPanel3 = new QLabel(StatusBar1);
  StatusPanel3->setObjectName(QStringLiteral("StatusPanel3"));
  StatusPanel3->setTextFormat(Qt::PlainText);
  StatusPanel3->setMinimumWidth(80);
  StatusPanel3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  // Its text can be selected and copied; a click on it opens nothing.
  StatusPanel3->setTextInteractionFlags(Qt::TextSelectableByMouse);
  StatusPanel2 = new QLabel(kHomePageAddress, StatusBar1);
  StatusPanel2->setObjectName(QStringLiteral("StatusPanel2"));
  StatusBar1->addWidget(StatusPanel1);
  StatusBar1->addWidget(StatusPanel3, 1);
  StatusBar1->addPermanentWidget(StatusPanel2);
  setStatusBar(StatusBar1);
  // A click on the bar opens the home page, but for the panel that tells about the files.
  for (QWidget* part : {static_cast<QWidget*>(StatusBar1), static_cast<QWidget*>(StatusPanel1),
                        static_cast<QWidget*>(StatusPanel2)}) {
    OnClick(part, [this] { OpenWebAddress(HomePageAddress); });
  }
}

}  // namespace pixtrel
