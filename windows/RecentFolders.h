#pragma once
// The five folders most recently worked in, kept in the settings store as "Recent1" (newest)
// to "Recent5" (oldest).
#include <QString>
#include <QStringList>

namespace pixtrel {

inline constexpr int kRecentFolderCount = 5;

// "Recent1" to "Recent5" in order, each read with defaultFolder as its default.
QStringList ReadRecentFolders(const QString& defaultFolder);

// The list as the menu shows it: each folder once, at its newest place, without empty entries
// (a fresh store's five defaults show as one entry).
QStringList DistinctFolders(const QStringList& folders);

// Records the folder as the newest entry, unless `shown` (the list as the menu shows it) holds
// it already, compared case-sensitively: then nothing changes, and a folder in the list is not
// moved to the top. Otherwise the folder becomes "Recent1" and the distinct stored entries
// follow it, the oldest lost when there are more than five; the places left over are stored
// empty. Returns whether the list changed. An empty folder is ignored.
bool AddRecentFolder(const QString& folder, const QStringList& shown, const QString& defaultFolder);

}  // namespace pixtrel
