#include "app/ProcessPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <cstdio>

#include "app/PresetBox.h"
#include "batch/OutputPreview.h"
#include "batch/Preset.h"
#include "codecs/Registry.h"
#include "core/Errors.h"
#include "languages/LanguageTable.h"
#include "settings/SettingsStore.h"
#include "windows/LocalPath.h"

namespace pixtrel {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

ProcessPage::ProcessPage(const std::filesystem::path& presetFolder, QWidget* parent)
    : QWidget(parent), text_([](int offset) { return EnglishText(offset); }) {
  setObjectName(QStringLiteral("TabSheet18"));
  build(presetFolder);
  // The first values, so that a preset starts from them.
  defaults_ = options();
  connectChanges();
  retranslate(text_);
  showFormatOptions();
}

void ProcessPage::optionChanged(const std::string& option) {
  if (option == "size" || option == "to" || option == "lossless") showFormatOptions();
  if (!restoring_) store(option);
  updateFocusedLine();
  emit changed();
}

void ProcessPage::store(const std::string& option) {
  for (const Binding& binding : bindings_) {
    if (binding.option != option) continue;
    try {
      SettingsStore::WriteString(kSettingsKeyPath, QStringLiteral("Process/") + FromUtf8(option),
                                 FromUtf8(binding.get()));
    } catch (const SettingsError&) {
      // Recorded by the store as damage; the window tells of it once.
    }
  }
}

ProcessPage::Options ProcessPage::options() const {
  Options all;
  for (const Binding& binding : bindings_)
    all.emplace_back(binding.option, binding.get());
  all.insert(all.end(), unshown_.begin(), unshown_.end());
  return all;
}

ProcessJob ProcessPage::job() const {
  ProcessJob job;
  for (const auto& [name, value] : options())
    ApplyOption(job, name, value);
  job.preset = presets->current();
  return job;
}

void ProcessPage::setOption(const std::string& name, const std::string& value) {
  // The option's own reader says what the text means; the control shows that.
  ProcessJob read;
  ApplyOption(read, name, value);
  if (name == "to" && read.to != "keep") {
    const FormatRow* row = RowForKey(read.to);
    if (!row || !row->writable()) throw Exception("Cannot write " + read.to + " files");
    read.to = std::string(row->key);  // "heif" is shown as HEIC
  }
  for (const Binding& binding : bindings_) {
    if (binding.option == name) {
      binding.set(read);
      return;
    }
  }
  std::erase_if(unshown_, [&](const auto& option) { return option.first == name; });
  unshown_.emplace_back(name, value);
}

void ProcessPage::applyPreset(const Preset& preset) {
  restoring_ = true;
  unshown_.clear();
  std::string refused;
  for (const auto& [name, value] : defaults_)
    setOption(name, value);
  for (const auto& [name, value] : preset.options) {
    try {
      setOption(name, value);
    } catch (const std::exception& error) {
      if (refused.empty()) refused = "Preset " + preset.name + ": " + error.what();
    }
  }
  restoring_ = false;
  for (const Binding& binding : bindings_)
    store(binding.option);
  updateFocusedLine();
  emit changed();
  if (!refused.empty()) throw Exception(refused);
}

void ProcessPage::readStored() {
  // A text that cannot be what it names is left out: the control keeps its first value.
  const QString absent = QStringLiteral("\x01");
  restoring_ = true;
  for (const Binding& binding : bindings_) {
    QString value = SettingsStore::ReadString(
        kSettingsKeyPath, QStringLiteral("Process/") + FromUtf8(binding.option), absent);
    if (value == absent && binding.option == "to") {
      value = SettingsStore::ReadString(kSettingsKeyPath, QStringLiteral("convert.to"),
                                        QStringLiteral("jpg"));
    }
    if (value == absent) continue;
    try {
      setOption(binding.option, value.toStdString());
    } catch (const std::exception&) {
    }
  }
  // The preset last chosen, named for {preset} again; its options came back one by one above.
  const QString preset =
      SettingsStore::ReadString(kSettingsKeyPath, QStringLiteral("Process/preset"), QString());
  presets->reload(preset.toStdString());
  restoring_ = false;
  updateFocusedLine();
}

void ProcessPage::showFormatOptions() {
  showSizeNumbers();
  // A setting is offered where the chosen format's writer heeds it; with the source's own
  // format, where any writable format does.
  WriterOptions heeded;
  const std::string key = format->currentData().toString().toStdString();
  for (const FormatRow* listed : Registry()) {
    const FormatRow& row = *listed;
    if (key != "keep" && row.key != key) continue;
    const std::string rowKey(row.key);
    if (!row.writable()) continue;
    if (!heeded_.count(rowKey)) heeded_[rowKey] = WriterOptionsOf(row);
    const WriterOptions& o = heeded_[rowKey];
    heeded.quality |= o.quality;
    heeded.lossless |= o.lossless;
    heeded.progressive |= o.progressive;
    heeded.optimise |= o.optimise;
  }
  const bool lossy = heeded.quality && !(heeded.lossless && lossless->isChecked() && key != "keep");
  quality->setVisible(lossy);
  qualityLabel_->setVisible(lossy);
  lossless->setVisible(heeded.lossless);
  progressive->setVisible(heeded.progressive);
  optimise->setVisible(heeded.optimise);
}

QString ProcessPage::colourName() const {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(backgroundColour_));
  return QString::fromLatin1(text);
}

void ProcessPage::setBackground(std::uint32_t colour) {
  backgroundColour_ = colour & 0xFFFFFF;
  paintBackground();
  optionChanged("background");
}

void ProcessPage::paintBackground() {
  QPixmap swatch(32, 14);
  swatch.fill(QColor::fromRgb(backgroundColour_));
  QPainter(&swatch).drawRect(swatch.rect().adjusted(0, 0, -1, -1));
  background->setIcon(swatch);
  background->setIconSize(swatch.size());
  background->setToolTip(text_(kTextBackgroundTip) + QStringLiteral(" (") + colourName() + u')');
}

void ProcessPage::chooseBackground() {
  const QColor chosen = QColorDialog::getColor(QColor::fromRgb(backgroundColour_), this,
                                               text_(kTextBackground).remove(u':'));
  if (chosen.isValid()) setBackground(chosen.rgb() & 0xFFFFFF);
}

void ProcessPage::chooseFolder() {
  const QString start = outFolder->text();
  const QString chosen =
      QFileDialog::getExistingDirectory(this, text_(kTextOutputFolder).remove(u':'), start);
  if (!chosen.isEmpty()) outFolder->setText(QDir::toNativeSeparators(chosen));
}

QString ProcessPage::outputFolderFor(const QString& folder) const {
  const QString out = outFolder->text();
  if (out.isEmpty()) return folder;
  return QDir::cleanPath(QDir(folder).absoluteFilePath(out));
}

void ProcessPage::showFocusedFile(const QString& path, std::size_t position) {
  focusedPath_ = path;
  focusedPosition_ = position;
  updateFocusedLine();
}

void ProcessPage::updateFocusedLine() {
  focusedLine->setStyleSheet(QString());
  if (focusedPath_.isEmpty()) {
    focusedLine->clear();
    return;
  }
  try {
    const std::filesystem::path source = LocalPath(focusedPath_);
    const std::optional<OutputPreview> made =
        PreviewOutput(job(), ListedInput{InputFile{source, source.filename()}, focusedPosition_});
    if (!made) {
      focusedLine->clear();
      return;
    }
    // Named as below the picture's folder where it goes there, else in full.
    const QString output = QString::fromStdString(made->path.string());
    QString shown = QDir(QFileInfo(focusedPath_).absolutePath()).relativeFilePath(output);
    if (shown.startsWith(QStringLiteral(".."))) shown = output;
    // Right to left (Hebrew) the line starts at the right, the arrow pointing the way it reads.
    const bool rightToLeft = QApplication::layoutDirection() == Qt::RightToLeft;
    focusedLine->setText((rightToLeft ? QStringLiteral("\u200F← ") : QStringLiteral("→ ")) +
                         QDir::toNativeSeparators(shown) + QStringLiteral(", ") +
                         text_(kTextPixelSize).arg(made->width).arg(made->height));
  } catch (const std::exception& error) {
    // What the run would refuse, said before it starts.
    focusedLine->setStyleSheet(QStringLiteral("color: rgb(176, 0, 0);"));
    focusedLine->setText(QString::fromLocal8Bit(error.what()));
  }
}

void ProcessPage::retranslate(const std::function<QString(int)>& text) {
  text_ = [text](int offset) {
    const QString shown = text(offset);
    return shown.isEmpty() ? EnglishText(offset) : shown;
  };
  for (const auto& [control, offset] : captions_) {
    if (auto* caption = qobject_cast<QLabel*>(control)) caption->setText(text_(offset));
    if (auto* button = qobject_cast<QAbstractButton*>(control)) button->setText(text_(offset));
  }
  for (const auto& [box, index, offset] : items_)
    box->setItemText(index, text_(offset));
  background->setAccessibleName(text_(kTextBackground).remove(u':'));
  paintBackground();
  outFolder->setPlaceholderText(text_(kTextBesideSources));
  nameTemplate->setToolTip(text_(kTextNameTemplateTip));
  // A tab's and a button's "&" would mark a key; the caption's own "&" is shown as it is.
  run->setText(text_(kTextProcessTab).replace(u'&', QStringLiteral("&&")));
  presets->retranslate(text_);
  updateFocusedLine();
}

}  // namespace pixtrel
