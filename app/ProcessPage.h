#pragma once
// The "Resize & convert" tab: every choice of the one-pass command as a control. Each control
// stands for one of the command's options by its name ("size", "to", "quality", ...) and gives
// and takes the option's text: the job a run gets, the presets saved and loaded and the values
// stored under "Process/..." all go through ApplyOption, so the window and pixtrel-batch read
// every choice alike. A control's value is stored as soon as it changes, and so is the name of
// the preset chosen ("Process/preset").
#include <QString>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "operations/ProcessJob.h"
#include "operations/WriterOptions.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace pixtrel {

class PresetBox;
struct Preset;

class ProcessPage : public QWidget {
  Q_OBJECT
 public:
  // presetFolder: where the user's presets are kept (the folder pixtrel-batch reads them from).
  explicit ProcessPage(const std::filesystem::path& presetFolder, QWidget* parent = nullptr);

  using Options = std::vector<std::pair<std::string, std::string>>;
  // Every option the controls stand for, as ApplyOption reads them, in the order a preset
  // lists them; options a preset brought that no control shows follow.
  Options options() const;
  // The job the controls make, named after the chosen preset for {preset}. Throws what
  // ApplyOption refuses.
  ProcessJob job() const;
  // Sets one option's control from its text; throws ApplyOption's error for a text it refuses,
  // leaving the control as it was. An option no control shows is kept for the job as given.
  void setOption(const std::string& name, const std::string& value);
  // Every control back at its first value, then the preset's options set.
  void applyPreset(const Preset& preset);

  // Reads every control's stored value; a value that is absent or refused leaves the control
  // at its first value. The format starts, until one is stored, at the "Convert to" choice the
  // window kept before this tab replaced it ("convert.to").
  void readStored();
  // The captions in the language the texts come from (by offset).
  void retranslate(const std::function<QString(int)>& text);
  // The line under the controls: what the file at path becomes with the choices made (its
  // position among the files the run gets, from 0, for {n}); an empty path clears it.
  void showFocusedFile(const QString& path, std::size_t position);
  // The output folder for files of the given folder: the folder itself, or the chosen one.
  QString outputFolderFor(const QString& folder) const;

  // The controls, named as their object names.
  PresetBox* presets = nullptr;       // ProcessPresets
  QComboBox* sizeMode = nullptr;      // ProcessSize: the rule's kind
  QSpinBox* sizeFirst = nullptr;      // ProcessSizeA: N, a box's width or the percentage
  QSpinBox* sizeSecond = nullptr;     // ProcessSizeB: a box's height
  QSpinBox* sizePercent = nullptr;    // ProcessSizePercent
  QCheckBox* shrinkOnly = nullptr;    // ProcessShrinkOnly
  QCheckBox* ignoreTag = nullptr;     // ProcessIgnoreOrientation
  QComboBox* method = nullptr;        // ProcessMethod
  QComboBox* turn = nullptr;          // ProcessTurn
  QComboBox* format = nullptr;        // ComboBox1: the output format, as the tab it replaced
  QSpinBox* quality = nullptr;        // ProcessQuality
  QCheckBox* lossless = nullptr;      // ProcessLossless
  QCheckBox* progressive = nullptr;   // ProcessProgressive
  QCheckBox* optimise = nullptr;      // ProcessOptimise
  QPushButton* background = nullptr;  // ProcessBackground
  QComboBox* sharpen = nullptr;       // ProcessSharpen
  QComboBox* metadata = nullptr;      // ProcessMetadata
  QCheckBox* keepDate = nullptr;      // ProcessKeepDate
  QLineEdit* outFolder = nullptr;     // ProcessOut
  QPushButton* browse = nullptr;      // ProcessBrowse
  QLineEdit* nameTemplate = nullptr;  // ProcessName
  QComboBox* existing = nullptr;      // ProcessExisting
  QLabel* focusedLine = nullptr;      // ProcessFocusedLine
  QPushButton* run = nullptr;         // Button17, as the tab it replaced

 signals:
  // A choice changed (by the user, a preset or a stored value).
  void changed();

 private:
  struct Binding {
    std::string option;
    std::function<std::string()> get;
    std::function<void(const ProcessJob&)> set;  // shows the option as ApplyOption read it
  };
  struct Item {
    QComboBox* box;
    int index;
    int text;
  };
  void bind(std::string option, std::function<std::string()> get,
            std::function<void(const ProcessJob&)> set);
  // ProcessPageLayout.cpp: the controls made, laid out and bound to their options.
  void build(const std::filesystem::path& presetFolder);
  void connectChanges();
  void store(const std::string& option);
  void optionChanged(const std::string& option);
  void showFormatOptions();
  void showSizeNumbers();
  QString colourName() const;  // "#RRGGBB"
  void setBackground(std::uint32_t colour);
  void paintBackground();
  void chooseBackground();
  void chooseFolder();
  void updateFocusedLine();

  std::vector<Binding> bindings_;
  std::vector<std::pair<QWidget*, int>> captions_;  // labels, check boxes, buttons
  std::vector<Item> items_;                         // the boxes' choices
  QLabel* qualityLabel_ = nullptr;
  std::map<std::string, WriterOptions> heeded_;  // by format key, asked once
  Options unshown_;                              // a preset's options that no control shows
  Options defaults_;                             // every control's first value
  std::uint32_t backgroundColour_ = 0xFFFFFF;
  bool restoring_ = false;  // values set by the program, not stored again one by one
  QString focusedPath_;
  std::size_t focusedPosition_ = 0;
  std::function<QString(int)> text_;
};

}  // namespace pixtrel
