#include "app/FileListBox.h"

#include <QDir>
#include <QKeyEvent>

namespace pixtrel {

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setUniformItemSizes(true);
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

}  // namespace pixtrel
