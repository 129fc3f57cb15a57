#include "windows/SpecialFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pixtrel {
namespace {

QString RecentFilesLocation() {
#ifdef Q_OS_WIN
  const QString roaming = qEnvironmentVariable("APPDATA");
  if (roaming.isEmpty()) return QString();
  return QDir(roaming).filePath(QStringLiteral("Microsoft/Windows/Recent"));
#else
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data.isEmpty()) return QString();
  return QDir(data).filePath(QStringLiteral("RecentDocuments"));
#endif
}

QString Location(SpecialFolder which) {
  switch (which) {
    case SpecialFolder::Pictures:
      return QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    case SpecialFolder::Documents:
      return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    case SpecialFolder::RecentFiles:
      return RecentFilesLocation();
    case SpecialFolder::Desktop:
      return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  }
  return QString();
}

}  // namespace

QString SpecialFolderPath(SpecialFolder which) {
  const QString path = Location(which);
  if (path.isEmpty() || !QFileInfo(path).isDir()) return QString();
  return QDir::toNativeSeparators(QDir::cleanPath(path));
}

}  // namespace pixtrel
