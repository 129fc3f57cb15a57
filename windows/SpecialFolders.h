#pragma once
// The user's standard folders that the "Special Folders" menu moves the browser to.
#include <QString>

namespace pixtrel {

enum class SpecialFolder { Pictures, Documents, RecentFiles, Desktop };

// The folder's path, or the empty text when the system has none or it does not exist.
// Pictures, documents and desktop are the desktop's standard locations. Recently used files
// are a folder on Windows (...\Microsoft\Windows\Recent in the roaming application data) and on
// desktops that keep them as one ($XDG_DATA_HOME/RecentDocuments); elsewhere there is none.
QString SpecialFolderPath(SpecialFolder which);

}  // namespace pixtrel
