// Opening what the window is asked to open from outside: the command line and files dropped on
// the file list (OpenRequest says how the paths are settled).
#include <QDir>

#include "app/FileListBox.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/PageControl.h"
#include "languages/LanguageTable.h"

namespace pixtrel {

void TForm1::OpenPaths(const QStringList& paths, OpenJob job) {
  // A running batch walks the list as it is.
  if (busy_ || paths.isEmpty()) return;
  OpenRequest request = MakeOpenRequest(paths, job);
  QStringList lines;
  if (!request.folder.isEmpty() && !SetFolder(request.folder)) {
    lines.append(WindowText(kTextCannotOpenFolder).arg(QDir::toNativeSeparators(request.folder)));
    request.names.clear();
  } else {
    if (request.tab && *request.tab != PageControl1->currentIndex()) {
      // As if the user picked the tab on the strip, so its mask lists the files.
      PageControl1->setCurrentIndex(*request.tab);
      PageControl1Change();
    }
    FileListBox10->clearSelection();
    QListWidgetItem* last = nullptr;
    for (const QString& name : request.names) {
      const QList<QListWidgetItem*> found = FileListBox10->findItems(name, Qt::MatchExactly);
      if (found.isEmpty()) continue;
      found.front()->setSelected(true);
      last = found.front();
    }
    if (last) {
      FileListBox10->setCurrentItem(last, QItemSelectionModel::Select);
      FileListBox10->scrollToItem(last);
      UpdatePreview(FocusedFilePath());
    }
  }
  // The paths' problems are worded as the file errors are, and end as they do.
  if (!request.problems.isEmpty()) lines.append(WithFullStop(request.problems.join(u'\n')));
  if (!lines.isEmpty()) ShowWindowError(this, lines.join(u'\n'));
}

}  // namespace pixtrel
