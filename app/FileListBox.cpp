#include "app/FileListBox.h"

#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QSet>
#include <QUrl>

namespace pixtrel {

namespace {

// The local paths a drag carries; empty when it carries none (text, web addresses).
QStringList LocalPaths(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.append(url.toLocalFile());
  }
  return paths;
}

// Taken as a copy (or a link), never a move: a move would have the file manager remove what it
// dragged, and the pictures stay where they are.
void AcceptAsCopy(QDropEvent* event) {
  const bool copy = event->possibleActions().testFlag(Qt::CopyAction);
  event->setDropAction(copy ? Qt::CopyAction : Qt::LinkAction);
  event->accept();
}

}  // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setUniformItemSizes(true);
  // Files and folders come in from the file manager; the list's own entries are never dragged.
  setDragDropMode(QAbstractItemView::DropOnly);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
}

void FileListBox::setMask(const QString& mask) {
  if (mask == mask_) return;
  mask_ = mask;
  readFolder();
}

void FileListBox::setDirectory(const QString& directory) {
  directory_ = directory;
  readFolder();
}

void FileListBox::readFolder() {
  clear();
  if (directory_.isEmpty()) return;
  QDir::setCurrent(directory_);
  QDir folder(directory_);
  // Without QDir::CaseSensitive the patterns ignore letter case; without QDir::Hidden and
  // QDir::System hidden files and broken links stay out.
  folder.setNameFilters(mask_.split(u';', Qt::SkipEmptyParts));
  folder.setFilter(QDir::Files);
  folder.setSorting(QDir::Name | QDir::IgnoreCase);
  addItems(folder.entryList());
}

QString FileListBox::focusedSelectedName() const {
  const QListWidgetItem* focused = currentItem();
  return focused && focused->isSelected() ? focused->text() : QString();
}

QStringList FileListBox::names() const {
  QStringList result;
  for (int i = 0; i < count(); ++i)
    result.append(item(i)->text());
  return result;
}

QStringList FileListBox::selectedNames() const {
  QStringList result;
  for (int i = 0; i < count(); ++i) {
    if (item(i)->isSelected()) result.append(item(i)->text());
  }
  return result;
}

bool FileListBox::restoreSelection(const QStringList& selected, const QString& focused) {
  const QList<QListWidgetItem*> found = findItems(focused, Qt::MatchExactly);
  if (found.isEmpty()) return false;
  // Several names at once: one selection change, with one range per run of entries, so that
  // ten thousand selected files take one range, not ten thousand.
  const QSet<QString> wanted(selected.begin(), selected.end());
  QItemSelection selection;
  int first = -1, last = -1, runStart = -1;
  for (int i = 0; i <= count(); ++i) {
    const bool in = i < count() && wanted.contains(item(i)->text());
    if (in && runStart < 0) runStart = i;
    if (!in && runStart >= 0) {
      selection.select(model()->index(runStart, 0), model()->index(i - 1, 0));
      runStart = -1;
    }
    if (!in) continue;
    if (first < 0) first = i;
    last = i;
  }
  setCurrentItem(found.front(), QItemSelectionModel::NoUpdate);
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  // The whole selection in view where it fits, the focused entry in any case.
  if (first >= 0) scrollToItem(item(first));
  if (last >= 0) scrollToItem(item(last));
  scrollToItem(found.front());
  return true;
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers =
      event->modifiers() &
      (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (event->key() == Qt::Key_A && (modifiers & Qt::ControlModifier)) {
    // Ctrl+A alone selects everything; with another modifier held it does nothing.
    if (modifiers == Qt::ControlModifier) selectAll();
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Delete && modifiers == Qt::NoModifier) {
    if (!event->isAutoRepeat()) emit deleteRequested();
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

void FileListBox::dragEnterEvent(QDragEnterEvent* event) {
  if (LocalPaths(event->mimeData()).isEmpty()) {
    event->ignore();
    return;
  }
  AcceptAsCopy(event);
}

void FileListBox::dragMoveEvent(QDragMoveEvent* event) {
  if (LocalPaths(event->mimeData()).isEmpty()) {
    event->ignore();
    return;
  }
  AcceptAsCopy(event);
}

void FileListBox::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalPaths(event->mimeData());
  if (paths.isEmpty()) {
    event->ignore();
    return;
  }
  AcceptAsCopy(event);
  emit pathsDropped(paths);
}

}  // namespace pixtrel
