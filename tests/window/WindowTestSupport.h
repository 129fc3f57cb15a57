#pragma once
// Helpers for the window tests: a private home and settings folder per test, the main window
// started as the program starts it, message boxes answered from the test, and pictures.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "app/MainForm.h"
#include "settings/SettingsStore.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {

// HOME and XDG_CONFIG_HOME point into a fresh temporary folder for the test's life; the
// process's current directory is its "start" subfolder. All are restored afterwards.
class WindowEnvironment {
 public:
  WindowEnvironment();
  ~WindowEnvironment();
  std::filesystem::path home() const { return folder_ / "home"; }
  std::filesystem::path config() const { return folder_ / "config"; }
  std::filesystem::path start() const { return folder_ / "start"; }
  // A new folder in the temporary folder.
  std::filesystem::path makeFolder(const std::string& name) const;
  std::filesystem::path configFile() const { return config() / "Korvane" / "Pixtrel.conf"; }

 private:
  TempFolder folder_;
  QByteArray oldHome_, oldConfig_, oldData_;
  std::filesystem::path oldDirectory_;
};

// Makes the settings store follow XDG_CONFIG_HOME after it changed.
void FollowConfigFolder();

// The settings store's value, as text, or "<absent>".
QString Stored(const QString& name);
void Store(const QString& name, const QString& text);

// Records every access to the settings store while it lives.
class StoreTraffic {
 public:
  StoreTraffic();
  ~StoreTraffic();
  std::vector<QString> reads;
  std::vector<QString> writes;
  std::vector<QString> all;  // "read x", "write x", in order
};

// The window, created and shown as the program does it.
std::unique_ptr<TForm1> StartWindow();

// Finds a control of the window by its object name; fails the test when there is none.
template <class T>
T* Control(QObject& window, const char* name) {
  T* control = window.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << "no control named " << name;
  return control;
}

// A message box the test saw.
struct SeenBox {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  std::map<QMessageBox::StandardButton, QString> captions;  // each standard button's caption
};

// Answers the modal message boxes that open while it lives, in order, with the given buttons,
// and records them. A box beyond the answers given is closed with Escape and recorded too.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::vector<QMessageBox::StandardButton> answers);
  std::vector<SeenBox> seen;

 private:
  void poll();
  std::vector<QMessageBox::StandardButton> answers_;
  QTimer timer_;
};

// Answers the modal message boxes that open while it lives, in order, by clicking their
// buttons of the given object names (an empty name: the box's default button, as Enter does),
// and records each box's text and the object name of its default button.
class NamedBoxAnswerer {
 public:
  explicit NamedBoxAnswerer(std::vector<QString> buttonNames);
  struct Seen {
    QString text;
    QString defaultButton;
    QStringList buttons;  // captions, in order
  };
  std::vector<Seen> seen;

 private:
  void poll();
  std::vector<QString> names_;
  QTimer timer_;
};

// Writes a small colour JPEG test picture.
void WriteTestJpeg(const std::filesystem::path& file, int width = 48, int height = 32,
                   unsigned seed = 1);

// Clicks a tab on the window's tab strip, as the user does.
void ClickTab(TForm1& window, int index);

// The file list's names and the selected ones.
QStringList ListedNames(TForm1& window);
QStringList SelectedNames(TForm1& window);

// Selects exactly the named entries, the last of them focused.
void SelectNames(TForm1& window, const QStringList& names);

QString Q(const std::filesystem::path& path);

}  // namespace pixtrel::test
