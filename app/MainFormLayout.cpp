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
#include "windows/ClickFilter.h"
#include "windows/Links.h"

namespace pixtrel {

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
  row->setSpacing(8);
  row->addWidget(BuildBrowser());

  auto* right = new QVBoxLayout;
  right->setSpacing(4);
  PageControl1 = new PageControl(GroupBox2);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  BuildPages();
  PageControl1->setCurrentIndex(TabAbout);
  connect(PageControl1, &PageControl::userChanged, this, &TForm1::PageControl1Change);
  right->addWidget(PageControl1, 1);

  // The bar and its Stop button keep their room while hidden, so nothing jumps during a batch.
  auto* progressRow = new QHBoxLayout;
  ProgressBar1 = new QProgressBar(GroupBox2);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setRange(0, 0);
  ProgressBar1->setValue(0);
  ProgressBar1->setFormat(QStringLiteral("%v / %m"));
  StopButton = new QPushButton(QStringLiteral("Stop"), GroupBox2);
  StopButton->setObjectName(QStringLiteral("StopButton"));
  StopButton->setToolTip(QStringLiteral("Stop after the picture in hand (Esc)"));
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
  row->addLayout(right, 1);

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
  Image1->setPixmap(BannerPicture());
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
  browser->setFixedWidth(220);
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
      ShowErrorBox(this, QStringLiteral("Cannot open %1").arg(QDir::toNativeSeparators(path)));
    }
  });

  FileListBox10 = new FileListBox(browser);
  FileListBox10->setObjectName(QStringLiteral("FileListBox10"));
  FileListBox10->setMask(kStartMask);
  connect(FileListBox10, &QListWidget::itemClicked, this, &TForm1::FileListBox10Click);
  connect(FileListBox10, &QListWidget::itemDoubleClicked, this, &TForm1::FileListBox10DblClick);
  connect(FileListBox10, &FileListBox::deleteRequested, this, &TForm1::DeleteFocusedFile);

  PopupMenu1 = new QMenu(FileListBox10);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  P1 = PopupMenu1->addAction(QStringLiteral("Refresh list"));
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
  StatusPanel1 = new QLabel(QStringLiteral("Pixtrel, free picture tools by Korvane"), StatusBar1);
  StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
  StatusPanel1->setFixedWidth(270);
  StatusPanel2 = new QLabel(kHomePageAddress, StatusBar1);
  StatusPanel2->setObjectName(QStringLiteral("StatusPanel2"));
  StatusBar1->addWidget(StatusPanel1);
  StatusBar1->addWidget(StatusPanel2, 1);
  setStatusBar(StatusBar1);
  // A click anywhere on the bar but its size grip opens the home page.
  for (QWidget* part : {static_cast<QWidget*>(StatusBar1), static_cast<QWidget*>(StatusPanel1),
                        static_cast<QWidget*>(StatusPanel2)}) {
    OnClick(part, [this] { OpenWebAddress(HomePageAddress); });
  }
}

}  // namespace pixtrel
