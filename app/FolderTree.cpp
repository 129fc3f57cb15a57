#include "app/FolderTree.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyle>

namespace pixtrel {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFilledRole = Qt::UserRole + 1;

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setIndentation(12);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::fillChildren);
  auto pick = [this](QTreeWidgetItem* item) {
    const QString path = PathOf(item);
    if (!path.isEmpty() && path != directory_) emit folderPicked(path);
  };
  connect(this, &QTreeWidget::itemClicked, this, pick);
  connect(this, &QTreeWidget::itemActivated, this, pick);
}

QString FolderTree::PathOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, kPathRole).toString() : QString();
}

QTreeWidgetItem* FolderTree::addFolderItem(QTreeWidgetItem* parent, const QString& caption,
                                           const QString& path) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, caption);
  item->setData(0, kPathRole, path);
  item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
  item->setToolTip(0, QDir::toNativeSeparators(path));
  return item;
}

void FolderTree::fillChildren(QTreeWidgetItem* item) {
  if (item->data(0, kFilledRole).toBool()) return;
  item->setData(0, kFilledRole, true);
  const QString path = PathOf(item);
  const QStringList names =
      QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names) {
    QTreeWidgetItem* child = addFolderItem(item, name, QDir(path).filePath(name));
    child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  }
  item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void FolderTree::setDirectory(const QString& directory) {
  directory_ = directory;
  clear();
  if (directory.isEmpty()) return;
  // The chain of ancestors: "/" then each component, or "c:/" then each component.
  QStringList chain;
  for (QDir dir(directory);;) {
    chain.prepend(dir.absolutePath());
    if (dir.isRoot() || !dir.cdUp()) break;
  }
  QList<QTreeWidgetItem*> items;
  for (const QString& path : chain) {
    const QString name = QFileInfo(path).fileName();
    const QString caption = name.isEmpty() ? QDir::toNativeSeparators(path) : name;
    QTreeWidgetItem* item = addFolderItem(items.isEmpty() ? nullptr : items.back(), caption, path);
    item->setData(0, kFilledRole, true);  // ancestors show only the way down
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon));
    items.append(item);
  }
  QTreeWidgetItem* current = items.back();
  current->setData(0, kFilledRole, false);
  fillChildren(current);
  for (QTreeWidgetItem* item : items)
    item->setExpanded(true);
  setCurrentItem(current);
  scrollToItem(current);
}

}  // namespace pixtrel
