#pragma once
// The file list: the files (no folders, no hidden files) of one folder that match a mask of
// ";"-separated wildcard patterns, letter case ignored, sorted by name, multiple selection.
// Reading the folder makes it the process's current directory, so the bare names in the list
// resolve there.
#include <QListWidget>

namespace pixtrel {

class FileListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit FileListBox(QWidget* parent = nullptr);

  QString mask() const { return mask_; }
  // Re-reads the folder when the mask differs from the one in force.
  void setMask(const QString& mask);
  QString directory() const { return directory_; }
  void setDirectory(const QString& directory);
  // Reads the folder anew.
  void readFolder();

  // The focused entry's name when that entry is selected, otherwise empty.
  QString focusedSelectedName() const;
  QStringList names() const;
  QStringList selectedNames() const;
  // Selects the entries named in `selected` and focuses the one named `focused`, scrolled into
  // view with as many of the selected ones as fit. False, changing nothing, when no entry is
  // named `focused`.
  bool restoreSelection(const QStringList& selected, const QString& focused);

 signals:
  // Delete was pressed.
  void deleteRequested();
  // Files or folders from the file manager were dropped on the list (local paths).
  void pathsDropped(const QStringList& paths);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QString mask_;
  QString directory_;
};

}  // namespace pixtrel
