#pragma once
#include <QDir>
#include <QString>

namespace pixtrel {

// The folder used when none is stored or the stored one cannot be entered: the system drive's
// root on Windows, the user's home folder elsewhere.
inline QString DefaultFolder() {
#ifdef Q_OS_WIN
  return QStringLiteral("c:\\");
#else
  return QDir::homePath();
#endif
}

}  // namespace pixtrel
