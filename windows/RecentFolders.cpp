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

bool AddRecentFolder(const QString& folder, const QStringList& shown,
                     const QString& defaultFolder) {
  if (folder.isEmpty() || shown.contains(folder, Qt::CaseSensitive)) return false;
  for (int number = kRecentFolderCount - 1; number >= 1; --number) {
    const QString older =
        SettingsStore::ReadString(kSettingsKeyPath, EntryName(number), defaultFolder);
    SettingsStore::WriteString(kSettingsKeyPath, EntryName(number + 1), older);
  }
  SettingsStore::WriteString(kSettingsKeyPath, EntryName(1), folder);
  return true;
}

}  // namespace pixtrel
