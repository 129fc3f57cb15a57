#include "settings/SettingsStore.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>

#include "settings/StoredInteger.h"

namespace pixtrel {
namespace {

SettingsStore::Observer& CurrentObserver() {
  static SettingsStore::Observer observer;
  return observer;
}

void Report(SettingsStore::Access access, const QString& keyPath, const QString& name) {
  if (CurrentObserver()) CurrentObserver()(access, keyPath, name);
}

std::optional<QString>& Damage() {
  static std::optional<QString> where;
  return where;
}

void NoteDamage(const QSettings& settings) {
  if (!Damage()) Damage() = settings.fileName();
}

std::unique_ptr<QSettings> MakeSettings(const QString& keyPath) {
#ifdef Q_OS_WIN
  return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\") + keyPath,
                                     QSettings::NativeFormat);
#else
  QStringList parts = keyPath.split(u'\\', Qt::SkipEmptyParts);
  if (!parts.isEmpty() && parts.front().compare(u"Software", Qt::CaseInsensitive) == 0) {
    parts.removeFirst();
  }
  if (parts.size() < 2) throw SettingsError("Failed to create key " + keyPath.toStdString());
  const QString organisation = parts.takeFirst();
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, organisation,
                                     parts.join(u'/'));
#endif
}

// The store behind a key path as last opened: the QSettings, and whether the file could not be
// read (Qt tells only the QSettings that parsed the file, not those that share it later).
struct OpenStore {
  std::unique_ptr<QSettings> settings;
  bool damaged = false;
  qint64 size = -1;
  QDateTime modified;
};

// True when the file is no settings file: a folder, or bytes that are not text (Qt writes its
// settings as UTF-8 text, a NUL escaped; a file holding one is damaged, though Qt's own reader
// does not always say so).
bool NotASettingsFile(const QFileInfo& info) {
  if (info.isDir()) return true;
  if (!info.isFile()) return false;
  QFile file(info.filePath());
  if (!file.open(QIODevice::ReadOnly)) return false;  // Qt reports what it cannot read
  while (!file.atEnd()) {
    const QByteArray block = file.read(1 << 20);
    if (block.isEmpty() || block.contains('\0')) return !block.isEmpty();
  }
  return false;
}

// Opens the store behind a key path, for one call. Opening reads the store anew whenever it
// changed since the last call (here or in another running copy); the last one opened for each
// key path is kept, because Qt shares a file's parsed contents between the QSettings open on it
// and would otherwise parse the whole file again at every call (seconds for a file of a million
// keys).
OpenStore& OpenKey(const QString& keyPath) {
  static std::map<QString, OpenStore> open;
  std::unique_ptr<QSettings> settings = MakeSettings(keyPath);
  OpenStore& kept = open[keyPath];
  const QFileInfo file(settings->fileName());
  const bool changed = !kept.settings || kept.settings->fileName() != settings->fileName() ||
                       file.size() != kept.size || file.lastModified() != kept.modified;
  // A file that is a folder, unreadable or not text reads as empty and is never written.
  if (settings->status() != QSettings::NoError) {
    kept.damaged = true;
  } else if (changed) {
    kept.damaged = NotASettingsFile(file);
  }
  kept.size = file.size();
  kept.modified = file.lastModified();
  kept.settings = std::move(settings);  // the older one ends once the new one shares the file
  if (kept.damaged) NoteDamage(*kept.settings);
  return kept;
}

void Store(const QString& keyPath, const QString& name, const QString& text) {
  Report(SettingsStore::Access::Write, keyPath, name);
  OpenStore& store = OpenKey(keyPath);
  QSettings& settings = *store.settings;
  const auto failed = [&] {
    NoteDamage(settings);
    throw SettingsError("Failed to set data for '" + name.toStdString() + "'");
  };
  // A store that could not be read is not written either: that would replace what is in it.
  if (store.damaged) failed();
  // A value that already holds the text is not written again: the file would come out the
  // same, and a large one takes long to write.
  const QVariant stored = settings.value(name);
  if (stored.typeId() == QMetaType::QString && stored.toString() == text) return;
  settings.setValue(name, text);
  settings.sync();
  if (settings.status() != QSettings::NoError) {
    NoteDamage(settings);
    // The value that was not stored must not be read back from memory.
    store.settings.reset();
    throw SettingsError("Failed to set data for '" + name.toStdString() + "'");
  }
}

// The value's text cut at its first NUL, or nothing when the value is absent or cannot be read.
std::optional<QString> StoredText(const QString& keyPath, const QString& name) {
  OpenStore& store = OpenKey(keyPath);
  QSettings& settings = *store.settings;
  if (store.damaged || !settings.contains(name)) return std::nullopt;
  const QVariant value = settings.value(name);
  QString text;
  switch (value.typeId()) {
    case QMetaType::QString:
      text = value.toString();
      break;
    case QMetaType::QStringList:
      // An unquoted text with commas, typed into the file by hand.
      text = value.toStringList().join(QStringLiteral(", "));
      break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      text = value.toString();  // a number kept by the platform store as a number
      break;
    default:
      // Bytes, a point, a list of lists...: not a value this program wrote.
      NoteDamage(settings);
      return std::nullopt;
  }
  const qsizetype nul = text.indexOf(QChar(u'\0'));
  if (nul >= 0) text.truncate(nul);
  return text;
}

}  // namespace

QString SettingsStore::ReadString(const QString& keyPath, const QString& name,
                                  const QString& defaultText) {
  Report(Access::Read, keyPath, name);
  return StoredText(keyPath, name).value_or(defaultText);
}

void SettingsStore::WriteString(const QString& keyPath, const QString& name, const QString& text) {
  Store(keyPath, name, text);
}

int SettingsStore::ReadInteger(const QString& keyPath, const QString& name, int defaultValue) {
  Report(Access::Read, keyPath, name);
  const std::optional<QString> text = StoredText(keyPath, name);
  if (!text) return defaultValue;
  return ParseStoredInteger(*text).value_or(defaultValue);
}

void SettingsStore::WriteInteger(const QString& keyPath, const QString& name, int value) {
  Store(keyPath, name, QString::number(value));
}

std::optional<QString> SettingsStore::TakeDamage() {
  std::optional<QString> where = std::move(Damage());
  Damage().reset();
  return where;
}

void SettingsStore::SetObserver(Observer observer) {
  CurrentObserver() = std::move(observer);
}

}  // namespace pixtrel
