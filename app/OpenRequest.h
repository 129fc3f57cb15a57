#pragma once
// What the window is asked to open from outside, by its command line (a file manager's "Open
// with", a desktop action, the shell) or by files dropped on the file list: a folder to show,
// and the files to select there on the tab of their format.
#include <QString>
#include <QStringList>
#include <optional>

namespace pixtrel {

// The job a desktop action names with "--tab": any tab (by the files' format), a resize tab,
// or the Rotate tab.
enum class OpenJob { Any, Resize, Rotate };

// The job of a "--tab" name ("resize", "rotate"), or nothing for another name.
std::optional<OpenJob> OpenJobNamed(const QString& name);

// The program's command line: "pixtrel [--tab resize|rotate] [FOLDER | FILE...]".
struct OpenArguments {
  QStringList paths;
  OpenJob job = OpenJob::Any;
  QStringList problems;  // options that were not understood, one line each
};
OpenArguments ParseOpenArguments(const QStringList& arguments);  // arguments[0]: the program

// What the command line asks of the terminal rather than of the window: "--help" (or "-h") and
// "--version", before any "--". Answered on standard output, and the program ends.
enum class TerminalRequest { None, Help, Version };
TerminalRequest TerminalRequestOf(const QStringList& arguments);  // arguments[0]: the program
QString UsageText();
QString VersionText();

// The paths settled into one place to open.
//   Files (of a format Pixtrel reads, by their extension) win over folders: the window goes to
//   the folder of the first file and selects the files given that lie in it. Files in other
//   folders are named in the problems and not selected: a list shows one folder.
//   No files: the window goes to the first folder given.
//   The tab: the resize tab of the files' format when they share one; "Convert to" when any of
//   them is of a format that is only read (HEIC, AVIF); Rotate for a mix of formats it writes.
//   The job overrides that (Resize: the resize tab of the first file of a format it writes;
//   Rotate: the Rotate tab); files the tab does not list are left unselected, and files that
//   are all of a read-only format open on "Convert to" whatever the job. A folder alone keeps
//   the tab shown unless the job names one.
//   A path that is missing, or a file of another format, is named in the problems; the rest
//   opens all the same.
struct OpenRequest {
  QString folder;          // absolute; empty when nothing is to be opened
  QStringList names;       // bare names in folder, in the order given, each once
  std::optional<int> tab;  // a TForm1::Tab
  QStringList problems;    // one line each, for the message box
};
OpenRequest MakeOpenRequest(const QStringList& paths, OpenJob job = OpenJob::Any);

}  // namespace pixtrel
