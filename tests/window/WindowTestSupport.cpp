#include "tests/window/WindowTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>

#include "app/FileListBox.h"
#include "app/PageControl.h"
#include "codecs/jpeg/JpegImage.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

void SetVariable(const char* name, const QByteArray& value) {
  if (value.isNull()) {
    qunsetenv(name);
  } else {
    qputenv(name, value);
  }
}

QByteArray Variable(const char* name) {
  return qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray();
}

std::unique_ptr<QSettings> Direct() {
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                     QStringLiteral("Korvane"), QStringLiteral("Pixtrel"));
}

}  // namespace

QString Q(const fs::path& path) {
  return QString::fromStdString(path.string());
}

WindowEnvironment::WindowEnvironment()
    : oldHome_(Variable("HOME")),
      oldConfig_(Variable("XDG_CONFIG_HOME")),
      oldData_(Variable("XDG_DATA_HOME")),
      oldDirectory_(fs::current_path()) {
  fs::create_directories(home());
  fs::create_directories(config());
  fs::create_directories(start());
  // The folder's canonical form, as the window reports folders.
  qputenv("HOME", QByteArray::fromStdString(fs::canonical(home()).string()));
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config().string()));
  qunsetenv("XDG_DATA_HOME");  // the trash is then the home folder's
  FollowConfigFolder();
  fs::current_path(start());
  // Damage a test before met in the store is not this test's.
  (void)SettingsStore::TakeDamage();
}

void FollowConfigFolder() {
  // QSettings reads the configuration folder once per process; tests that run one after another
  // in the same process point it at the folder XDG_CONFIG_HOME names now.
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

WindowEnvironment::~WindowEnvironment() {
  std::error_code ignored;
  fs::current_path(oldDirectory_, ignored);
  SetVariable("HOME", oldHome_);
  SetVariable("XDG_CONFIG_HOME", oldConfig_);
  SetVariable("XDG_DATA_HOME", oldData_);
  FollowConfigFolder();
}

fs::path WindowEnvironment::makeFolder(const std::string& name) const {
  const fs::path folder = fs::canonical(folder_.path()) / name;
  fs::create_directories(folder);
  return folder;
}

QString Stored(const QString& name) {
  const auto settings = Direct();
  return settings->contains(name) ? settings->value(name).toString() : QStringLiteral("<absent>");
}

void Store(const QString& name, const QString& text) {
  const auto settings = Direct();
  settings->setValue(name, text);
  settings->sync();
}

StoreTraffic::StoreTraffic() {
  SettingsStore::SetObserver(
      [this](SettingsStore::Access access, const QString& keyPath, const QString& name) {
        EXPECT_EQ(keyPath, kSettingsKeyPath);
        const bool read = access == SettingsStore::Access::Read;
        (read ? reads : writes).push_back(name);
        all.push_back((read ? QStringLiteral("read ") : QStringLiteral("write ")) + name);
      });
}

StoreTraffic::~StoreTraffic() {
  SettingsStore::SetObserver(nullptr);
}

std::unique_ptr<TForm1> StartWindow() {
  auto window = std::make_unique<TForm1>();
  window->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QApplication::processEvents();
  return window;
}

BoxAnswerer::BoxAnswerer(std::vector<QMessageBox::StandardButton> answers)
    : answers_(std::move(answers)) {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
  timer_.start();
}

void BoxAnswerer::poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box || !box->isVisible()) return;
  SeenBox record;
  record.title = box->windowTitle();
  record.text = box->text();
  record.icon = box->icon();
  record.buttons = box->standardButtons();
  for (QAbstractButton* button : box->buttons())
    record.captions[box->standardButton(button)] = button->text();
  if (QPushButton* button = box->defaultButton()) {
    record.defaultButton = box->standardButton(button);
  }
  const std::size_t index = seen.size();
  seen.push_back(record);
  QAbstractButton* answer =
      index < answers_.size() ? box->button(answers_[index]) : box->escapeButton();
  if (answer) {
    answer->click();
  } else {
    box->reject();
  }
}

NamedBoxAnswerer::NamedBoxAnswerer(std::vector<QString> buttonNames)
    : names_(std::move(buttonNames)) {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
  timer_.start();
}

void NamedBoxAnswerer::poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box || !box->isVisible()) return;
  Seen record;
  record.text = box->text();
  if (QPushButton* button = box->defaultButton()) record.defaultButton = button->objectName();
  for (QAbstractButton* button : box->buttons())
    record.buttons.append(button->text());
  const std::size_t index = seen.size();
  seen.push_back(record);
  QAbstractButton* answer = nullptr;
  if (index < names_.size() && !names_[index].isEmpty()) {
    answer = box->findChild<QAbstractButton*>(names_[index]);
  } else {
    answer = box->defaultButton();
  }
  if (answer) {
    answer->click();
  } else {
    box->reject();
  }
}

void WriteTestJpeg(const fs::path& file, int width, int height, unsigned seed) {
  TJPEGImage picture;
  SetJpegRaster(picture, Raster(TestPattern(width, height, seed)));
  picture.Quality = 90;
  WriteJpegFile(picture, file);
}

void ClickTab(TForm1& window, int index) {
  TabStrip* strip = window.PageControl1->tabStrip();
  QTest::mouseClick(strip, Qt::LeftButton, Qt::NoModifier, strip->tabRect(index).center());
  QApplication::processEvents();
}

QStringList ListedNames(TForm1& window) {
  return window.FileListBox10->names();
}

QStringList SelectedNames(TForm1& window) {
  return window.FileListBox10->selectedNames();
}

void SelectNames(TForm1& window, const QStringList& names) {
  FileListBox* list = window.FileListBox10;
  list->clearSelection();
  for (const QString& name : names) {
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    list->setCurrentItem(found.front(), QItemSelectionModel::Select);
  }
}

}  // namespace pixtrel::test
