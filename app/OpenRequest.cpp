#include "app/OpenRequest.h"

#include <QDir>
#include <QFileInfo>

#include "app/MainForm.h"
#include "formats/ImageFormat.h"

namespace pixtrel {
namespace {

int ResizeTabOf(ImageFormat format) {
  switch (format) {
    case ImageFormat::Jpeg:
      return TForm1::TabJpg;
    case ImageFormat::Gif:
      return TForm1::TabGif;
    case ImageFormat::Bmp:
      return TForm1::TabBmp;
  }
  return TForm1::TabJpg;
}

struct GivenFile {
  QString folder;
  QString name;
  ImageFormat format;
};

}  // namespace

std::optional<OpenJob> OpenJobNamed(const QString& name) {
  if (name == QStringLiteral("resize")) return OpenJob::Resize;
  if (name == QStringLiteral("rotate")) return OpenJob::Rotate;
  return std::nullopt;
}

OpenArguments ParseOpenArguments(const QStringList& arguments) {
  OpenArguments result;
  bool options = true;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (options && argument == QStringLiteral("--")) {
      options = false;
    } else if (options && argument == QStringLiteral("--tab")) {
      const QString name = i + 1 < arguments.size() ? arguments[++i] : QString();
      if (const std::optional<OpenJob> job = OpenJobNamed(name)) {
        result.job = *job;
      } else {
        result.problems.append(
            QStringLiteral("Unknown tab \"%1\" (resize or rotate); the window opens as usual")
                .arg(name));
      }
    } else if (options && argument.startsWith(QStringLiteral("--"))) {
      result.problems.append(QStringLiteral("Unknown option %1").arg(argument));
    } else {
      result.paths.append(argument);
    }
  }
  return result;
}

OpenRequest MakeOpenRequest(const QStringList& paths, OpenJob job) {
  OpenRequest request;
  std::vector<GivenFile> files;
  QString firstFolder;
  for (const QString& path : paths) {
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.exists()) {
      request.problems.append(
          QStringLiteral("Cannot open file %1: No such file or directory").arg(shown));
    } else if (info.isDir()) {
      if (firstFolder.isEmpty()) firstFolder = QDir::cleanPath(info.absoluteFilePath());
    } else if (const std::optional<ImageFormat> format =
                   FormatFromExtension(info.fileName().toStdString())) {
      files.push_back({QDir::cleanPath(info.absolutePath()), info.fileName(), *format});
    } else {
      request.problems.append(
          QStringLiteral("Cannot open file %1: not a BMP, JPEG or GIF picture").arg(shown));
    }
  }

  if (files.empty()) {
    request.folder = firstFolder;
    if (!firstFolder.isEmpty() && job == OpenJob::Resize) request.tab = TForm1::TabJpg;
    if (!firstFolder.isEmpty() && job == OpenJob::Rotate) request.tab = TForm1::TabRotate;
    return request;
  }

  const GivenFile& first = files.front();
  request.folder = first.folder;
  bool mixed = false;
  for (const GivenFile& file : files) {
    if (file.folder != first.folder) {
      request.problems.append(QStringLiteral("Not selected, as the list shows only %1: %2")
                                  .arg(QDir::toNativeSeparators(first.folder),
                                       QDir::toNativeSeparators(file.folder + "/" + file.name)));
      continue;
    }
    mixed = mixed || file.format != first.format;
    if (job == OpenJob::Resize && file.format != first.format) continue;
    if (!request.names.contains(file.name)) request.names.append(file.name);
  }
  if (job == OpenJob::Rotate || (job == OpenJob::Any && mixed)) {
    request.tab = TForm1::TabRotate;
  } else {
    request.tab = ResizeTabOf(first.format);
  }
  return request;
}

}  // namespace pixtrel
