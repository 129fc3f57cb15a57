// The folder browser: drive selector, folder tree and file list, kept on one folder, which is
// also the process's current directory; the per-tab masks; refresh and delete.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

#include "app/DriveComboBox.h"
#include "app/FileInfoText.h"
#include "app/FileListBox.h"
#include "app/FileMask.h"
#include "app/FolderTree.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/PageControl.h"
#include "languages/LanguageTable.h"

#include <QLabel>

namespace pixtrel {

QString TForm1::Folder() const {
  return DirectoryListBox10->directory();
}

bool TForm1::SetFolder(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(QDir::fromNativeSeparators(path));
  if (!info.isDir() || !info.isExecutable()) return false;
  const QString folder = QDir::cleanPath(info.absoluteFilePath());
  if (!QDir::setCurrent(folder)) return false;
  DirectoryListBox10->setDirectory(folder);
  FileListBox10->setDirectory(folder);
  DriveComboBox10->showVolumeOf(folder);
  lastFolderOnVolume_[DriveComboBox10->currentRoot()] = folder;
  return true;
}

// A volume picked in the drive selector: back to the folder last shown on it, else its root.
void TForm1::VolumePicked(const QString& root) {
  if (SetFolder(lastFolderOnVolume_.value(root, root)) || SetFolder(root)) return;
  DriveComboBox10->showVolumeOf(Folder());
  ShowWindowError(this, WindowText(kTextCannotOpenFolder).arg(QDir::toNativeSeparators(root)));
}

void TForm1::PageControl1Change() {
  const std::optional<QString> mask = MaskForTab(PageControl1->currentIndex());
  if (!mask) return;
  // A running batch walks the list as it is; the new mask waits for its end.
  if (busy_) {
    pendingMask_ = *mask;
    return;
  }
  FileListBox10->setMask(*mask);
}

void TForm1::Osvezi() {
  const int focused = FileListBox10->currentRow();
  const QListWidgetItem* focusedItem = FileListBox10->currentItem();
  const QString focusedName = focusedItem ? focusedItem->text() : QString();
  const QStringList selected = FileListBox10->selectedNames();
  FileListBox10->readFolder();
  DirectoryListBox10->refresh();
  if (focused < 0 || FileListBox10->count() == 0) return;
  // The same files stay selected and focused, by name, wherever new files put them.
  if (FileListBox10->restoreSelection(selected, focusedName)) return;
  // The focused file is gone (deleted, renamed): the entry now at its place takes the focus,
  // alone selected; when the list got shorter, the last entry.
  const int index = std::min(focused, FileListBox10->count() - 1);
  FileListBox10->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
  FileListBox10->scrollToItem(FileListBox10->currentItem());
}

QString TForm1::FocusedFilePath() const {
  const QString name = FileListBox10->focusedSelectedName();
  if (name.isEmpty()) return QString();
  return QDir::toNativeSeparators(QDir(Folder()).filePath(name));
}

void TForm1::FileListBox10Click() {
  UpdatePreview(FocusedFilePath());
}

void TForm1::ShowFocusedFileInfo() {
  const QListWidgetItem* focused = FileListBox10->currentItem();
  if (!focused) return;
  const QString path = QDir(Folder()).filePath(focused->text());
  const QFileInfo file(path);
  if (!file.isFile()) {
    StatusPanel3->clear();
    return;
  }
  const auto text = [this](int offset) { return LanguageTexts.value(offset, EnglishText(offset)); };
  const QString info = FileInfoText(focused->text(), HeaderPictureSize(path), file.size(), text,
                                    LocaleOf(CurrentLanguage).decimalPoint().front());
  StatusPanel3->setText(info);
  StatusPanel3->setToolTip(info);
}

void TForm1::FileListBox10DblClick() {
  Preview(FocusedFilePath());
}

void TForm1::DeleteFocusedFile() {
  if (busy_) return;  // the running batch still walks this list
  const QString path = FocusedFilePath();
  if (!path.isEmpty() && QFileInfo::exists(path)) {
    const QString name = QFileInfo(path).fileName();
    // The trash lives in the user's data folder, which a fresh account may not have yet. Where
    // it cannot be made, Qt 6.4 moves the file into "files" under the current folder (the one
    // shown) and reports success, so such a trash is found out here and the file left alone.
    // (The freedesktop trash; Windows and macOS keep theirs elsewhere, made by the system.)
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    const QDir data(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    const bool trashReady = QDir().mkpath(data.filePath(QStringLiteral("Trash/files"))) &&
                            QDir().mkpath(data.filePath(QStringLiteral("Trash/info")));
#else
    const bool trashReady = true;
#endif
    if (AskMoveToTrash(this, WindowText(kTextMoveToTrash).arg(name), WindowText(kTextYes),
                       WindowText(kTextNo)) &&
        (!trashReady || !QFile::moveToTrash(path))) {
      ShowWindowError(this, WindowText(kTextTrashFailed).arg(name));
    }
  }
  Osvezi();
}

}  // namespace pixtrel
