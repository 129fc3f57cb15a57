#include "app/PresetBox.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include "app/MessageBoxes.h"
#include "app/NamedWidget.h"
#include "languages/LanguageTable.h"
#include "windows/LocalPath.h"

namespace pixtrel {
namespace {

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The built-in presets keep their names (pixtrel-batch and {preset} know them so); the box shows
// them in the window's language.
int BuiltInCaption(const std::string& name) {
  static const std::pair<const char*, int> kCaptions[] = {
      {"Email", kTextPresetEmail},
      {"Web", kTextPresetWeb},
      {"Phone photos to JPEG", kTextPresetPhone},
      {"Thumbnails", kTextPresetThumbnails}};
  for (const auto& [builtIn, caption] : kCaptions) {
    if (name == builtIn) return caption;
  }
  return 0;
}

bool IsBuiltInName(const std::string& name) {
  for (const Preset& preset : BuiltInPresets()) {
    if (preset.name == name) return true;
  }
  return false;
}

}  // namespace

std::filesystem::path WindowPresetFolder() {
#ifdef Q_OS_WIN
  // The roaming application data folder (%APPDATA%), above the program's own folder in it.
  const QString own = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  const QString config = QFileInfo(QFileInfo(own).path()).path();
#else
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
  return LocalPath(config) / "pixtrel" / "presets";
}

PresetBox::PresetBox(std::filesystem::path folder, std::function<Options()> options,
                     QWidget* parent)
    : QWidget(parent),
      folder_(std::move(folder)),
      options_(std::move(options)),
      text_([](int offset) { return EnglishText(offset); }) {
  setObjectName(QStringLiteral("ProcessPresets"));
  label = Named(new QLabel(this), QStringLiteral("ProcessPresetLabel"));
  choice = Named(new QComboBox(this), QStringLiteral("ProcessPreset"));
  choice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  choice->setMinimumContentsLength(16);
  label->setBuddy(choice);
  save = Named(new QPushButton(this), QStringLiteral("ProcessPresetSave"));
  remove = Named(new QPushButton(this), QStringLiteral("ProcessPresetDelete"));
  // The choice on the row of its label, the buttons under it.
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addWidget(remove);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(choice);
  layout->addLayout(buttons);
  connect(choice, &QComboBox::activated, this, &PresetBox::chosen);
  connect(choice, &QComboBox::currentIndexChanged, this, &PresetBox::updateButtons);
  connect(save, &QPushButton::clicked, this, &PresetBox::askName);
  connect(remove, &QPushButton::clicked, this, [this] { deleteCurrent(); });
  retranslate(text_);
  reload();
}

QString PresetBox::text(int offset) const {
  const QString shown = text_(offset);
  return shown.isEmpty() ? EnglishText(offset) : shown;
}

std::string PresetBox::current() const {
  return choice->currentData().toString().toStdString();
}

void PresetBox::reload(const std::string& choose) {
  const QSignalBlocker quiet(choice);
  choice->clear();
  choice->addItem(text(kTextNoPreset), QString());
  // A damaged preset file is reported when it is chosen, not here: the others stay usable.
  std::vector<Preset> presets;
  try {
    presets = PresetStore(folder_).list();
  } catch (const std::exception&) {
    presets = BuiltInPresets();
  }
  for (const Preset& preset : presets) {
    const int caption = preset.builtIn ? BuiltInCaption(preset.name) : 0;
    choice->addItem(caption ? text(caption) : FromUtf8(preset.name), FromUtf8(preset.name));
  }
  choice->setCurrentIndex(std::max(0, choice->findData(FromUtf8(choose))));
  updateButtons();
  emit currentChanged();
}

void PresetBox::chosen(int index) {
  updateButtons();
  emit currentChanged();
  if (index <= 0) return;
  try {
    if (const std::optional<Preset> preset = PresetStore(folder_).find(current())) {
      emit presetChosen(*preset);
    } else {
      reload();  // deleted meanwhile, by another copy or by hand
    }
  } catch (const std::exception& error) {
    ShowErrorBox(this, QString::fromLocal8Bit(error.what()));
  }
}

void PresetBox::askName() {
  QInputDialog dialog(this);
  dialog.setObjectName(QStringLiteral("PresetNameDialog"));
  dialog.setWindowTitle(QStringLiteral("Pixtrel"));
  dialog.setLabelText(text(kTextPresetName));
  dialog.setTextValue(FromUtf8(current()));
  dialog.setOkButtonText(text(kTextSavePreset).remove(u'…'));
  if (dialog.exec() == QDialog::Accepted) saveAs(dialog.textValue());
}

bool PresetBox::saveAs(const QString& name) {
  const std::string key = name.trimmed().toStdString();
  if (key.empty()) return false;
  if (IsBuiltInName(key)) {
    ShowWindowError(this, text(kTextPresetBuiltIn).arg(text(BuiltInCaption(key))));
    return false;
  }
  try {
    PresetStore(folder_).save(Preset{key, options_(), false});
  } catch (const std::exception& error) {
    ShowErrorBox(this, QString::fromLocal8Bit(error.what()));
    return false;
  }
  reload(key);
  return true;
}

bool PresetBox::deleteCurrent(bool ask) {
  const std::string name = current();
  if (name.empty()) return false;
  if (IsBuiltInName(name)) {
    ShowWindowError(this, text(kTextPresetBuiltIn).arg(choice->currentText()));
    return false;
  }
  if (ask && !AskYesNo(this, text(kTextDeletePresetQuestion).arg(FromUtf8(name)), text(kTextYes),
                       text(kTextNo)))
    return false;
  try {
    PresetStore(folder_).remove(name);
  } catch (const std::exception& error) {
    ShowErrorBox(this, QString::fromLocal8Bit(error.what()));
    return false;
  }
  reload();
  return true;
}

void PresetBox::updateButtons() {
  // Built-in presets come with the program: there is nothing of the user's to delete.
  const std::string name = current();
  remove->setEnabled(!name.empty() && !IsBuiltInName(name));
}

void PresetBox::retranslate(const std::function<QString(int)>& text) {
  text_ = text;
  label->setText(this->text(kTextPreset));
  save->setText(this->text(kTextSavePreset));
  remove->setText(this->text(kTextDeletePreset));
  if (choice->count() > 0) choice->setItemText(0, this->text(kTextNoPreset));
  for (int i = 1; i < choice->count(); ++i) {
    if (const int caption = BuiltInCaption(choice->itemData(i).toString().toStdString()))
      choice->setItemText(i, this->text(caption));
  }
}

}  // namespace pixtrel
