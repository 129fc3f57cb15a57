#pragma once
// The per-user settings store. Every value is text; integers are kept as their decimal text.
// Each call opens the store, does its one read or write and closes it again: nothing is cached,
// so a value written by one call is seen by the next read, also from another running copy.
//
// The store is QSettings in the platform's native per-user format. A key path
// "Software\Org\App" is, on Windows, that registry key under the current user; elsewhere the
// file Org/App.conf in the user's configuration folder ($XDG_CONFIG_HOME or ~/.config), values
// in its [General] section.
#include <QString>
#include <functional>
#include <optional>

#include "core/Errors.h"

namespace pixtrel {

inline const QString kSettingsKeyPath = QStringLiteral("Software\\Korvane\\Pixtrel");

// A store that cannot be written, or a key path that names no key.
class SettingsError : public Exception {
 public:
  using Exception::Exception;
};

// A damaged store never stops a read: a value of another kind (a hand-edited or foreign file:
// "@ByteArray(..)"), or a store that cannot be read at all (its file is a folder, unreadable or
// not text), reads as the caller's default. The damage is recorded, so the window can say so
// once (TakeDamage).
class SettingsStore {
 public:
  // The stored text cut at its first NUL, or defaultText when the value is absent or cannot be
  // read. A value holding the empty text reads as empty, not as the default.
  static QString ReadString(const QString& keyPath, const QString& name,
                            const QString& defaultText);
  // Stores the text unchanged; the empty text is stored as an empty value. Throws SettingsError
  // "Failed to set data for 'NAME'" when the store cannot be written (recorded as damage too).
  static void WriteString(const QString& keyPath, const QString& name, const QString& text);
  // The stored text converted (ParseStoredInteger), or defaultValue when the value is absent,
  // cannot be read or does not convert.
  static int ReadInteger(const QString& keyPath, const QString& name, int defaultValue);
  // Stores the decimal text of value.
  static void WriteInteger(const QString& keyPath, const QString& name, int value);

  // Where the store lives (its file, or its registry key) when damage was met since the last
  // call: a value that could not be read, a store that could not be read or written. Clears it.
  static std::optional<QString> TakeDamage();

  // Every read and write is reported to the observer, if one is set (diagnostics and tests).
  enum class Access { Read, Write };
  using Observer = std::function<void(Access, const QString& keyPath, const QString& name)>;
  static void SetObserver(Observer observer);
};

}  // namespace pixtrel
