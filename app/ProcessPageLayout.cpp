// The "Resize & convert" tab's controls: made, laid out in the order they are read and reached
// by the keys, and bound each to the option it stands for (ProcessPage.cpp holds the rest).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/MessageBoxes.h"
#include "app/MetadataChoices.h"
#include "app/NamedWidget.h"
#include "app/PresetBox.h"
#include "app/ProcessPage.h"
#include "batch/Preset.h"
#include "codecs/Registry.h"
#include "core/Limits.h"
#include "languages/LanguageTable.h"
#include "settings/SettingsStore.h"

namespace pixtrel {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Flag(const QCheckBox* box) {
  return box->isChecked() ? "yes" : "no";
}

// The size rules in the order the box offers them; numbers: how many the rule takes.
struct SizeChoice {
  SizeRule::Kind kind;
  int text;
  int numbers;
};
constexpr SizeChoice kSizeChoices[] = {
    {SizeRule::Kind::None, kTextSizeNone, 0},     {SizeRule::Kind::Long, kTextSizeLong, 1},
    {SizeRule::Kind::Short, kTextSizeShort, 1},   {SizeRule::Kind::Width, kTextSizeWidth, 1},
    {SizeRule::Kind::Height, kTextSizeHeight, 1}, {SizeRule::Kind::Fit, kTextSizeFit, 2},
    {SizeRule::Kind::Fill, kTextSizeFill, 2},     {SizeRule::Kind::Stretch, kTextSizeStretch, 2},
    {SizeRule::Kind::Pad, kTextSizePad, 2},       {SizeRule::Kind::Percent, kTextSizePercent, 1},
};

// The choices of the other boxes: the option's word and the caption's offset.
struct Word {
  const char* word;
  int text;
};
constexpr Word kMethods[] = {{"fast", kTextMethodFast}, {"better", 102}, {"normal", 101}};
constexpr Word kTurns[] = {{"none", kTextTurnNone}, {"right", 441},
                           {"left", 442},           {"180", 443},
                           {"flip-h", kTextFlipH},  {"flip-v", kTextFlipV}};
constexpr Word kSharpening[] = {
    {"none", kTextSharpenNone}, {"light", kTextSharpenLight}, {"medium", kTextSharpenMedium}};
constexpr Word kExisting[] = {{"number", kTextExistingNumber},
                              {"skip", kTextExistingSkip},
                              {"overwrite", kTextExistingOverwrite}};

template <std::size_t N>
QComboBox* WordBox(const Word (&words)[N], QWidget* parent, const QString& name) {
  auto* box = Named(new QComboBox(parent), name);
  for (const Word& word : words)
    box->addItem(EnglishText(word.text), QString::fromLatin1(word.word));
  return box;
}

std::string Current(const QComboBox* box) {
  return box->currentData().toString().toStdString();
}

void Choose(QComboBox* box, const std::string& word) {
  box->setCurrentIndex(std::max(0, box->findData(FromUtf8(word))));
}

}  // namespace

void ProcessPage::bind(std::string option, std::function<std::string()> get,
                       std::function<void(const ProcessJob&)> set) {
  bindings_.push_back({std::move(option), std::move(get), std::move(set)});
}

void ProcessPage::build(const std::filesystem::path& presetFolder) {
  auto* form = new QWidget;
  form->setObjectName(QStringLiteral("ProcessForm"));
  auto* grid = new QGridLayout(form);
  grid->setContentsMargins(0, 0, 8, 0);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  int row = 0;
  // A label for a control: its text by offset, its buddy so Alt and a letter reach the control.
  auto label = [&](int offset, QWidget* buddy, int r, int column) {
    auto* caption = Named(new QLabel(form), buddy->objectName() + QStringLiteral("Label"));
    caption->setBuddy(buddy);
    caption->setWordWrap(true);  // a long translation takes two lines, not the fields' room
    captions_.push_back({caption, offset});
    grid->addWidget(caption, r, column);
    return caption;
  };
  auto words = [&](QComboBox* box, std::initializer_list<int> offsets) {
    int i = 0;
    for (int offset : offsets)
      items_.push_back({box, i++, offset});
  };

  presets = new PresetBox(
      presetFolder, [this] { return options(); }, form);
  captions_.push_back({presets->label, kTextPreset});
  // Beside the choice, not the buttons under it.
  grid->addWidget(presets->label, row, 0, Qt::AlignTop);
  grid->addWidget(presets, row++, 1);

  sizeMode = Named(new QComboBox(form), QStringLiteral("ProcessSize"));
  for (const SizeChoice& choice : kSizeChoices) {
    items_.push_back({sizeMode, sizeMode->count(), choice.text});
    sizeMode->addItem(EnglishText(choice.text));
  }
  sizeFirst = Named(new QSpinBox(form), QStringLiteral("ProcessSizeA"));
  sizeSecond = Named(new QSpinBox(form), QStringLiteral("ProcessSizeB"));
  for (QSpinBox* box : {sizeFirst, sizeSecond})
    box->setRange(1, static_cast<int>(kMaxPictureSide));
  sizeSecond->setPrefix(QStringLiteral("× "));
  sizeFirst->setValue(1600);
  sizeSecond->setValue(1200);
  sizePercent = Named(new QSpinBox(form), QStringLiteral("ProcessSizePercent"));
  sizePercent->setRange(1, 10000);
  sizePercent->setSuffix(QStringLiteral(" %"));
  sizePercent->setValue(50);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->addWidget(sizeFirst);
  sizeRow->addWidget(sizeSecond);
  sizeRow->addWidget(sizePercent);
  sizeRow->addStretch();
  label(kTextSize, sizeMode, row, 0);
  grid->addWidget(sizeMode, row++, 1);
  grid->addLayout(sizeRow, row++, 1);
  bind(
      "size",
      [this] {
        const SizeChoice& choice = kSizeChoices[std::max(0, sizeMode->currentIndex())];
        SizeRule rule{choice.kind, sizeFirst->value(), sizeSecond->value()};
        if (choice.kind == SizeRule::Kind::Percent) rule.a = sizePercent->value();
        return SizeRuleText(rule);
      },
      [this](const ProcessJob& job) {
        for (int i = 0; i < static_cast<int>(std::size(kSizeChoices)); ++i) {
          if (kSizeChoices[i].kind == job.size.kind) sizeMode->setCurrentIndex(i);
        }
        if (job.size.kind == SizeRule::Kind::Percent) {
          sizePercent->setValue(job.size.a);
        } else if (job.size.kind != SizeRule::Kind::None) {
          sizeFirst->setValue(job.size.a);
          if (job.size.b > 0) sizeSecond->setValue(job.size.b);
        }
      });

  shrinkOnly = Named(new QCheckBox(form), QStringLiteral("ProcessShrinkOnly"));
  captions_.push_back({shrinkOnly, kTextShrinkOnly});
  grid->addWidget(shrinkOnly, row++, 0, 1, 2);
  bind(
      "shrink-only", [this] { return Flag(shrinkOnly); },
      [this](const ProcessJob& job) { shrinkOnly->setChecked(job.shrinkOnly); });
  ignoreTag = Named(new QCheckBox(form), QStringLiteral("ProcessIgnoreOrientation"));
  captions_.push_back({ignoreTag, kTextIgnoreOrientation});

  method = WordBox(kMethods, form, QStringLiteral("ProcessMethod"));
  words(method, {kTextMethodFast, 102, 101});
  label(kTextMethod, method, row, 0);
  grid->addWidget(method, row++, 1);
  bind(
      "method", [this] { return Current(method); },
      [this](const ProcessJob& job) {
        Choose(method, kMethods[static_cast<int>(job.method)].word);
      });
  turn = WordBox(kTurns, form, QStringLiteral("ProcessTurn"));
  words(turn, {kTextTurnNone, 441, 442, 443, kTextFlipH, kTextFlipV});
  label(kTextTurn, turn, row, 0);
  grid->addWidget(turn, row++, 1);
  grid->addWidget(ignoreTag, row++, 0, 1, 2);
  bind(
      "turn", [this] { return Current(turn); },
      [this](const ProcessJob& job) { Choose(turn, kTurns[static_cast<int>(job.turn)].word); });
  bind(
      "ignore-orientation", [this] { return Flag(ignoreTag); },
      [this](const ProcessJob& job) { ignoreTag->setChecked(!job.upright); });

  // Every format that can be written, in the table's order, after "the source's own".
  format = Named(new QComboBox(form), QStringLiteral("ComboBox1"));
  format->addItem(EnglishText(kTextSameFormat), QStringLiteral("keep"));
  items_.push_back({format, 0, kTextSameFormat});
  for (const FormatRow* listed : Registry()) {
    const FormatRow& r = *listed;
    if (r.writable()) format->addItem(FromUtf8(r.title), FromUtf8(r.key));
  }
  Choose(format, "jpg");  // as the "Convert to" tab started
  label(kTextFormat, format, row, 0);
  grid->addWidget(format, row++, 1);
  bind(
      "to", [this] { return Current(format); },
      [this](const ProcessJob& job) { Choose(format, job.to); });
  quality = Named(new QSpinBox(form), QStringLiteral("ProcessQuality"));
  quality->setRange(0, 100);
  quality->setValue(89);
  qualityLabel_ = label(kTextQuality, quality, row, 0);
  grid->addWidget(quality, row++, 1, Qt::AlignLeft);
  bind(
      "quality", [this] { return std::to_string(quality->value()); },
      [this](const ProcessJob& job) { quality->setValue(job.quality); });

  lossless = Named(new QCheckBox(form), QStringLiteral("ProcessLossless"));
  progressive = Named(new QCheckBox(form), QStringLiteral("ProcessProgressive"));
  optimise = Named(new QCheckBox(form), QStringLiteral("ProcessOptimise"));
  captions_.push_back({lossless, kTextLossless});
  captions_.push_back({progressive, kTextProgressive});
  captions_.push_back({optimise, kTextOptimise});
  for (QCheckBox* box : {lossless, progressive, optimise})
    grid->addWidget(box, row++, 0, 1, 2);
  bind(
      "lossless", [this] { return Flag(lossless); },
      [this](const ProcessJob& job) { lossless->setChecked(job.lossless); });
  bind(
      "progressive", [this] { return Flag(progressive); },
      [this](const ProcessJob& job) { progressive->setChecked(job.progressive); });
  bind(
      "optimise", [this] { return Flag(optimise); },
      [this](const ProcessJob& job) { optimise->setChecked(job.optimise); });

  background = Named(new QPushButton(form), QStringLiteral("ProcessBackground"));
  label(kTextBackground, background, row, 0);
  grid->addWidget(background, row++, 1, Qt::AlignLeft);
  bind(
      "background", [this] { return colourName().toStdString(); },
      [this](const ProcessJob& job) { setBackground(job.background); });
  sharpen = WordBox(kSharpening, form, QStringLiteral("ProcessSharpen"));
  words(sharpen, {kTextSharpenNone, kTextSharpenLight, kTextSharpenMedium});
  label(kTextSharpen, sharpen, row, 0);
  grid->addWidget(sharpen, row++, 1);
  bind(
      "sharpen", [this] { return Current(sharpen); },
      [this](const ProcessJob& job) {
        Choose(sharpen, kSharpening[static_cast<int>(job.sharpen)].word);
      });

  metadata = Named(new QComboBox(form), QStringLiteral("ProcessMetadata"));
  for (const MetadataChoice& choice : MetadataChoices()) {
    items_.push_back({metadata, metadata->count(), choice.text});
    metadata->addItem(choice.caption, choice.key);
  }
  label(kTextMetadata, metadata, row, 0);
  grid->addWidget(metadata, row++, 1);
  bind(
      "metadata", [this] { return Current(metadata); },
      [this](const ProcessJob& job) {
        for (const MetadataChoice& choice : MetadataChoices()) {
          if (choice.mode == job.metadata) Choose(metadata, choice.key.toStdString());
        }
      });
  keepDate = Named(new QCheckBox(form), QStringLiteral("ProcessKeepDate"));
  captions_.push_back({keepDate, kTextKeepDate});
  grid->addWidget(keepDate, row++, 0, 1, 2);
  bind(
      "keep-date", [this] { return Flag(keepDate); },
      [this](const ProcessJob& job) { keepDate->setChecked(job.keepDate); });

  outFolder = Named(new QLineEdit(form), QStringLiteral("ProcessOut"));
  browse = Named(new QPushButton(form), QStringLiteral("ProcessBrowse"));
  captions_.push_back({browse, kTextBrowse});
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(outFolder, 1);
  folderRow->addWidget(browse);
  label(kTextOutputFolder, outFolder, row, 0);
  grid->addLayout(folderRow, row++, 1);
  bind(
      "out", [this] { return outFolder->text().toStdString(); },
      [this](const ProcessJob& job) { outFolder->setText(FromUtf8(job.out)); });

  nameTemplate = Named(new QLineEdit(form), QStringLiteral("ProcessName"));
  nameTemplate->setPlaceholderText(QStringLiteral("{name}"));
  label(kTextNameTemplate, nameTemplate, row, 0);
  grid->addWidget(nameTemplate, row++, 1);
  bind(
      "name",
      [this] {
        const QString name = nameTemplate->text();
        return name.isEmpty() ? std::string("{name}") : name.toStdString();
      },
      [this](const ProcessJob& job) {
        nameTemplate->setText(job.name == "{name}" ? QString() : FromUtf8(job.name));
      });
  existing = WordBox(kExisting, form, QStringLiteral("ProcessExisting"));
  words(existing, {kTextExistingNumber, kTextExistingSkip, kTextExistingOverwrite});
  label(kTextExisting, existing, row, 0);
  grid->addWidget(existing, row++, 1);
  bind(
      "existing", [this] { return Current(existing); },
      [this](const ProcessJob& job) {
        Choose(existing, kExisting[static_cast<int>(job.existing)].word);
      });
  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(1, 3);
  // Boxes as wide as about 14 letters at least: a long choice shows whole in the open list.
  for (QComboBox* box : form->findChildren<QComboBox*>()) {
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(14);
  }
  grid->setRowStretch(row, 1);

  // The keys go through the controls as they stand, top to bottom.
  QWidget* order[] = {presets->choice, presets->save, presets->remove, sizeMode, sizeFirst,
                      sizeSecond,      sizePercent,   shrinkOnly,      method,   turn,
                      ignoreTag,       format,        quality,         lossless, progressive,
                      optimise,        background,    sharpen,         metadata, keepDate,
                      outFolder,       browse,        nameTemplate,    existing};
  for (std::size_t i = 1; i < std::size(order); ++i)
    QWidget::setTabOrder(order[i - 1], order[i]);

  // The choices scroll where the window is small; the file's line and the button stay in view.
  auto* scroll = Named(new QScrollArea(this), QStringLiteral("ProcessScroll"));
  scroll->setWidget(form);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The control the keys reach is scrolled into view, also when they come from outside the part
  // that scrolls (the scroll area itself only sees moves between its own controls).
  connect(qApp, &QApplication::focusChanged, scroll, [scroll](QWidget*, QWidget* now) {
    if (!now || !scroll->widget()->isAncestorOf(now)) return;
    // All of it, not only its text cursor as ensureWidgetVisible would for a box that takes text.
    const QPoint centre = now->mapTo(scroll->widget(), now->rect().center());
    scroll->ensureVisible(centre.x(), centre.y(), now->width() / 2 + 8, now->height() / 2 + 8);
  });
  focusedLine = Named(new QLabel(this), QStringLiteral("ProcessFocusedLine"));
  focusedLine->setTextFormat(Qt::PlainText);
  focusedLine->setWordWrap(true);
  run = Named(new QPushButton(this), QStringLiteral("Button17"));
  run->setMinimumWidth(120);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(run);
  buttonRow->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 0, 8);
  layout->setSpacing(6);
  layout->addWidget(scroll, 1);
  layout->addWidget(focusedLine);
  layout->addLayout(buttonRow);
}

void ProcessPage::connectChanges() {
  const auto on = [this](auto* control, auto signal, const char* option) {
    connect(control, signal, this, [this, option] { optionChanged(option); });
  };
  on(sizeMode, &QComboBox::currentIndexChanged, "size");
  on(sizeFirst, &QSpinBox::valueChanged, "size");
  on(sizeSecond, &QSpinBox::valueChanged, "size");
  on(sizePercent, &QSpinBox::valueChanged, "size");
  on(shrinkOnly, &QCheckBox::toggled, "shrink-only");
  on(ignoreTag, &QCheckBox::toggled, "ignore-orientation");
  on(method, &QComboBox::currentIndexChanged, "method");
  on(turn, &QComboBox::currentIndexChanged, "turn");
  on(format, &QComboBox::currentIndexChanged, "to");
  on(quality, &QSpinBox::valueChanged, "quality");
  on(lossless, &QCheckBox::toggled, "lossless");
  on(progressive, &QCheckBox::toggled, "progressive");
  on(optimise, &QCheckBox::toggled, "optimise");
  on(sharpen, &QComboBox::currentIndexChanged, "sharpen");
  on(metadata, &QComboBox::currentIndexChanged, "metadata");
  on(keepDate, &QCheckBox::toggled, "keep-date");
  on(outFolder, &QLineEdit::textChanged, "out");
  on(nameTemplate, &QLineEdit::textChanged, "name");
  on(existing, &QComboBox::currentIndexChanged, "existing");
  connect(background, &QPushButton::clicked, this, &ProcessPage::chooseBackground);
  connect(browse, &QPushButton::clicked, this, &ProcessPage::chooseFolder);
  connect(presets, &PresetBox::currentChanged, this, [this] {
    if (restoring_) return;
    try {
      SettingsStore::WriteString(kSettingsKeyPath, QStringLiteral("Process/preset"),
                                 QString::fromStdString(presets->current()));
    } catch (const SettingsError&) {
      // Recorded by the store as damage; the window tells of it once.
    }
    updateFocusedLine();  // {preset} may be in the name
  });
  connect(presets, &PresetBox::presetChosen, this, [this](const Preset& preset) {
    try {
      applyPreset(preset);
    } catch (const std::exception& error) {
      ShowErrorBox(this, QString::fromLocal8Bit(error.what()));
    }
  });
}

void ProcessPage::showSizeNumbers() {
  const SizeChoice& size = kSizeChoices[std::max(0, sizeMode->currentIndex())];
  sizeFirst->setVisible(size.numbers >= 1 && size.kind != SizeRule::Kind::Percent);
  sizeSecond->setVisible(size.numbers == 2);
  sizePercent->setVisible(size.kind == SizeRule::Kind::Percent);
}

}  // namespace pixtrel
