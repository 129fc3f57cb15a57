// The "Recent folders" and "Special Folders" entries of the File menu.
#include <QAction>
#include <QDir>
#include <QMenu>

#include "app/DefaultFolder.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "languages/LanguageTable.h"
#include "windows/RecentFolders.h"
#include "windows/SpecialFolders.h"

namespace pixtrel {
namespace {

// A menu caption that shows the text as it is: "&" would otherwise mark an accelerator.
QString PlainCaption(const QString& text) {
  return QString(text).replace(u'&', QStringLiteral("&&"));
}

}  // namespace

void TForm1::AddFolderToRecent() {
  if (AddRecentFolder(QDir::toNativeSeparators(Folder()), RecentCaptions(), DefaultFolder())) {
    NaloziRecent();
  }
}

void TForm1::NaloziRecent() {
  // Each folder once: the entries left over are not shown.
  const QStringList folders = DistinctFolders(ReadRecentFolders(DefaultFolder()));
  QAction* const entries[] = {M151, M152, M153, M154, M155};
  for (int i = 0; i < kRecentFolderCount; ++i) {
    const QString folder = folders.value(i);
    entries[i]->setData(folder);
    entries[i]->setText(PlainCaption(folder));
    entries[i]->setVisible(!folder.isEmpty());
  }
}

QStringList TForm1::RecentCaptions() const {
  QStringList captions;
  for (const QAction* entry : {M151, M152, M153, M154, M155}) {
    if (entry->isVisible()) captions.append(entry->data().toString());
  }
  return captions;
}

void TForm1::GoToFolder(const QString& folder) {
  if (folder.isEmpty()) return;
  if (!SetFolder(folder)) {
    ShowWindowError(this, WindowText(kTextCannotOpenFolder).arg(QDir::toNativeSeparators(folder)));
  }
}

void TForm1::OpenRecentEntry(QAction* entry) {
  GoToFolder(entry->data().toString());
}

void TForm1::M151Click() {
  OpenRecentEntry(M151);
}
void TForm1::M152Click() {
  OpenRecentEntry(M152);
}
void TForm1::M153Click() {
  OpenRecentEntry(M153);
}
void TForm1::M154Click() {
  OpenRecentEntry(M154);
}
void TForm1::M155Click() {
  OpenRecentEntry(M155);
}

void TForm1::M161Click() {
  GoToFolder(SpecialFolderPath(SpecialFolder::Pictures));
}
void TForm1::M162Click() {
  GoToFolder(SpecialFolderPath(SpecialFolder::Documents));
}
void TForm1::M163Click() {
  GoToFolder(SpecialFolderPath(SpecialFolder::RecentFiles));
}
void TForm1::M164Click() {
  GoToFolder(SpecialFolderPath(SpecialFolder::Desktop));
}

// A folder the system does not have shows as an entry that cannot be chosen.
void TForm1::UpdateSpecialFolderEntries() {
  M161->setEnabled(!SpecialFolderPath(SpecialFolder::Pictures).isEmpty());
  M162->setEnabled(!SpecialFolderPath(SpecialFolder::Documents).isEmpty());
  M163->setEnabled(!SpecialFolderPath(SpecialFolder::RecentFiles).isEmpty());
  M164->setEnabled(!SpecialFolderPath(SpecialFolder::Desktop).isEmpty());
}

}  // namespace pixtrel
