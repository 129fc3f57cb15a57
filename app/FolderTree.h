#pragma once
// The folder tree: the chain of folders from the volume's root down to the current folder,
// and the current folder's subfolders (hidden ones left out), each of which can be opened
// further. Picking a folder is reported; the owner decides whether to move there.
#include <QTreeWidget>

namespace pixtrel {

class FolderTree : public QTreeWidget {
  Q_OBJECT
 public:
  explicit FolderTree(QWidget* parent = nullptr);

  QString directory() const { return directory_; }
  // Shows the folder (an absolute, clean path); lists are read anew.
  void setDirectory(const QString& directory);
  // Reads the subfolders of the current folder anew.
  void refresh() { setDirectory(directory_); }

  static QString PathOf(const QTreeWidgetItem* item);

 signals:
  void folderPicked(const QString& path);

 private:
  QTreeWidgetItem* addFolderItem(QTreeWidgetItem* parent, const QString& caption,
                                 const QString& path);
  void fillChildren(QTreeWidgetItem* item);

  QString directory_;
};

}  // namespace pixtrel
