#include "windows/RecentFolders.h"

#include "settings/SettingsStore.h"

namespace pixtrel {
namespace {

QString EntryName(int number) {
  return QStringLiteral("Recent%1").arg(number);
}

}  // namespace

QStringList ReadRecentFolders(const QString& defaultFolder) {
  QStringList folders;
  for (int number = 1; number <= kRecentFolderCount; ++number) {
    folders.append(SettingsStore::ReadString(kSettingsKeyPath, EntryName(number), defaultFolder));
  }
  return folders;
}

QStringList DistinctFolders(const QStringList& folders) {
  QStringList distinct;
  for (const QString& folder : folders) {
    if (!folder.isEmpty() && !distinct.contains(folder, Qt::CaseSensitive)) distinct.append(folder);
  }
  return distinct;
}

bool AddRecentFolder(const QString& folder, const QStringList& shown,
                     const QString& defaultFolder) {
  if (folder.isEmpty() || shown.contains(folder, Qt::CaseSensitive)) return false;
  QStringList list = DistinctFolders(ReadRecentFolders(defaultFolder));
  list.removeAll(folder);
  list.prepend(folder);
  for (int number = 1; number <= kRecentFolderCount; ++number) {
    const QString entry = number <= list.size() ? list[number - 1] : QString();
    SettingsStore::WriteString(kSettingsKeyPath, EntryName(number), entry);
  }
  return true;
}

}  // namespace pixtrel
