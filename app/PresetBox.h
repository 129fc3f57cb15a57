#pragma once
// The preset box of the "Resize & convert" tab: the presets by name (the built-in ones first),
// Save, which keeps the tab's choices under a name, and Delete, offered for the user's own
// presets only. The presets live in the same folder pixtrel-batch reads, so a preset saved here
// is one `pixtrel-batch process --preset NAME` can use, and the other way round.
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/Preset.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace pixtrel {

// The folder of the user's presets: "pixtrel/presets" in the user's configuration folder, as
// pixtrel-batch finds it ($XDG_CONFIG_HOME or ~/.config; %APPDATA% on Windows).
std::filesystem::path WindowPresetFolder();

class PresetBox : public QWidget {
  Q_OBJECT
 public:
  using Options = std::vector<std::pair<std::string, std::string>>;
  // options: the tab's choices, read when a preset is saved.
  PresetBox(std::filesystem::path folder, std::function<Options()> options,
            QWidget* parent = nullptr);

  // The chosen preset's name; empty for "No preset".
  std::string current() const;
  // Lists the presets again, the named one chosen (none when empty or not there).
  void reload(const std::string& choose = std::string());
  // Keeps the tab's choices under the name and chooses it. A built-in preset's name, or a name
  // that is only spaces, is refused with a message box; false then.
  bool saveAs(const QString& name);
  // Deletes the chosen preset after asking (not asked when ask is false); false when nothing was
  // deleted (a built-in preset is refused with a message box).
  bool deleteCurrent(bool ask = true);
  void retranslate(const std::function<QString(int)>& text);
  const std::filesystem::path& folder() const { return folder_; }

  QLabel* label = nullptr;        // ProcessPresetLabel
  QComboBox* choice = nullptr;    // ProcessPreset
  QPushButton* save = nullptr;    // ProcessPresetSave
  QPushButton* remove = nullptr;  // ProcessPresetDelete

 signals:
  // The user chose a preset in the box.
  void presetChosen(const Preset& preset);
  // The preset shown in the box is another one (chosen, saved, deleted, listed again).
  void currentChanged();

 private:
  void chosen(int index);
  void askName();
  void updateButtons();
  QString text(int offset) const;

  std::filesystem::path folder_;
  std::function<Options()> options_;
  std::function<QString(int)> text_;
};

}  // namespace pixtrel
