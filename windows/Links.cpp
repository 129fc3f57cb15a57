#include "windows/Links.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace pixtrel {
namespace {

UrlOpener& Opener() {
  static UrlOpener opener;
  return opener;
}

void Open(const QUrl& url) {
  if (Opener()) {
    Opener()(url);
  } else {
    QDesktopServices::openUrl(url);
  }
}

}  // namespace

void SetUrlOpener(UrlOpener opener) {
  Opener() = std::move(opener);
}

void OpenWebAddress(const QString& address) {
  Open(QUrl(address));
}

void OpenLocalFolder(const QString& folder) {
  Open(QUrl::fromLocalFile(folder));
}

QString FindLocalHelp(const QString& programFolder) {
  const QDir folder(programFolder);
  for (const QString& candidate : {folder.filePath(QStringLiteral("help.htm")),
                                   folder.filePath(QStringLiteral("../share/pixtrel/help.htm"))}) {
    const QFileInfo file(candidate);
    if (file.isFile()) return QDir::cleanPath(file.absoluteFilePath());
  }
  return QString();
}

void OpenLocalHelp() {
  // A missing page is not handed on: the handler would only put up an error of its own.
  const QString page = FindLocalHelp(QCoreApplication::applicationDirPath());
  if (!page.isEmpty()) Open(QUrl::fromLocalFile(page));
}

}  // namespace pixtrel
