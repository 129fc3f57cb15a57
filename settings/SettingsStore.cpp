#include "settings/SettingsStore.h"

#include <QSettings>
#include <QStringList>
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

// Opens the store behind a key path, for one call.
std::unique_ptr<QSettings> OpenKey(const QString& keyPath) {
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

void Store(const QString& keyPath, const QString& name, const QString& text) {
  Report(SettingsStore::Access::Write, keyPath, name);
  auto settings = OpenKey(keyPath);
  settings->setValue(name, text);
  settings->sync();
  if (settings->status() != QSettings::NoError) {
    throw SettingsError("Failed to set data for '" + name.toStdString() + "'");
  }
}

// The value's text cut at its first NUL, or nothing when the value is absent.
std::optional<QString> StoredText(const QString& keyPath, const QString& name) {
  auto settings = OpenKey(keyPath);
  if (!settings->contains(name)) return std::nullopt;
  const QVariant value = settings->value(name);
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
      throw SettingsError("Invalid data type for '" + name.toStdString() + "'");
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

void SettingsStore::SetObserver(Observer observer) {
  CurrentObserver() = std::move(observer);
}

}  // namespace pixtrel
