#include "app/OpenRequest.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <vector>

#include "app/ClassicResizeTabs.h"
#include "app/MainForm.h"
#include "codecs/Registry.h"

namespace pixtrel {
namespace {

bool Writable(const FormatRow* format) {
  return format->writable();
}

struct GivenFile {
  QString folder;
  QString name;
  const FormatRow* format;
};

// "JPG, PNG, WebP, GIF, BMP or HEIC/AVIF": every format the registry reads.
QString ReadableTitles() {
  QStringList titles;
  for (const FormatRow* row : Registry())
    titles.append(QString::fromUtf8(row->title.data(), static_cast<qsizetype>(row->title.size())));
  const QString last = titles.takeLast();
  return titles.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// The tab for the files (all in one folder) and whether a file's format is listed on it.
struct TabChoice {
  int tab;
  std::function<bool(const FormatRow*)> lists;
};

TabChoice ChooseTab(const std::vector<GivenFile>& files, OpenJob job) {
  const auto any = [](const FormatRow*) { return true; };
  const auto writable = std::find_if(files.begin(), files.end(),
                                     [](const GivenFile& file) { return Writable(file.format); });
  // Only read formats: the one tab that takes them.
  if (writable == files.end()) return {TForm1::TabConvertTo, any};
  if (job == OpenJob::Resize) {
    const FormatRow* format = writable->format;
    if (const std::optional<int> tab = ResizeTabOf(*format))
      return {*tab, [format](const FormatRow* f) { return f == format; }};
    return {TForm1::TabConvertTo, any};  // written, but not resized
  }
  if (job == OpenJob::Rotate) return {TForm1::TabRotate, Writable};
  const FormatRow* first = files.front().format;
  const bool oneFormat = std::all_of(
      files.begin(), files.end(), [first](const GivenFile& file) { return file.format == first; });
  if (const std::optional<int> tab = ResizeTabOf(*first); oneFormat && tab) return {*tab, any};
  const bool allWritable = std::all_of(files.begin(), files.end(),
                                       [](const GivenFile& file) { return Writable(file.format); });
  return {allWritable ? TForm1::TabRotate : TForm1::TabConvertTo, any};
}

}  // namespace

std::optional<OpenJob> OpenJobNamed(const QString& name) {
  if (name == QStringLiteral("resize")) return OpenJob::Resize;
  if (name == QStringLiteral("rotate")) return OpenJob::Rotate;
  return std::nullopt;
}

TerminalRequest TerminalRequestOf(const QStringList& arguments) {
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QStringLiteral("--")) break;
    if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h"))
      return TerminalRequest::Help;
    if (argument == QStringLiteral("--version")) return TerminalRequest::Version;
    if (argument == QStringLiteral("--tab")) ++i;  // its value is a tab's name
  }
  return TerminalRequest::None;
}

QString UsageText() {
  return QStringLiteral(
      "Usage: pixtrel [--tab resize|rotate] [FOLDER | FILE...]\n"
      "Opens Pixtrel's window, the batch picture tool: at FOLDER, or at the FILEs' folder with\n"
      "those files selected on the tab of their format; without arguments where it was last\n"
      "closed.\n"
      "\n"
      "  --tab resize|rotate   open the FILEs on their format's resize tab, or on Rotate\n"
      "  -h, --help            show this help and exit\n"
      "  --version             show the version and exit\n"
      "\n"
      "The same commands without the window: pixtrel-batch --help\n");
}

QString VersionText() {
  return QStringLiteral("pixtrel 1.2\n");
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
    } else if (const FormatRow* format = RowForFileName(info.fileName().toStdString())) {
      files.push_back({QDir::cleanPath(info.absolutePath()), info.fileName(), format});
    } else {
      request.problems.append(
          QStringLiteral("Cannot open file %1: not a %2 picture").arg(shown, ReadableTitles()));
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
  std::vector<GivenFile> here;
  for (const GivenFile& file : files) {
    if (file.folder != first.folder) {
      request.problems.append(QStringLiteral("Not selected, as the list shows only %1: %2")
                                  .arg(QDir::toNativeSeparators(first.folder),
                                       QDir::toNativeSeparators(file.folder + "/" + file.name)));
      continue;
    }
    here.push_back(file);
  }
  const TabChoice choice = ChooseTab(here, job);
  request.tab = choice.tab;
  // A file its tab does not list cannot be selected there.
  for (const GivenFile& file : here) {
    if (choice.lists(file.format) && !request.names.contains(file.name))
      request.names.append(file.name);
  }
  return request;
}

}  // namespace pixtrel
