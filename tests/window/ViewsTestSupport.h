#pragma once
// Helpers for the tests of the preview, the viewer, the folder entries and the links.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <filesystem>
#include <vector>

#include "app/MainForm.h"

namespace pixtrel::test {

// Records the addresses the program opens, instead of opening them, while it lives.
class OpenedLinks {
 public:
  OpenedLinks();
  ~OpenedLinks();
  std::vector<QUrl> urls;
};

// Pictures of a given size with varied colours, written by the program's own writers.
void WriteTestBmp(const std::filesystem::path& file, int width, int height);
void WriteTestGif(const std::filesystem::path& file, int width, int height);

// Clicks (or double-clicks) the named entry of the file list, as the user does, and waits for
// the pictures it asks the preview or the viewer for.
void ClickListEntry(TForm1& window, const QString& name);
void DoubleClickListEntry(TForm1& window, const QString& name);

// Waits until the preview and the viewer hold the pictures last asked for (they read them on
// threads of their own).
void WaitForPictures(TForm1& window);

// Lets the start-up timer run (it fires half a second after the window was created).
void WaitForStartUp(TForm1& window);

// The store traffic of the given kinds, in order: entries of StoreTraffic::all that name one
// of the values.
std::vector<QString> TrafficOf(const std::vector<QString>& all, const QStringList& names);

}  // namespace pixtrel::test
