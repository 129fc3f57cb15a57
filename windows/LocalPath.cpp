#include "windows/LocalPath.h"

#include <QFile>

namespace pixtrel {

std::filesystem::path LocalPath(const QString& path) {
#ifdef Q_OS_WIN
  return std::filesystem::path(path.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

}  // namespace pixtrel
