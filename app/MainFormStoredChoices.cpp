// The choices kept in the settings store beside the pixel texts: the "Convert to" format
// ("convert.to", a format's key), "Make pictures smaller but not larger" ("shrinkonly", 0 or 1),
// "Ignore the orientation of photos" ("ignoreorientation", 0 or 1) and the metadata choice
// ("metadata": keep, strip or strip-gps). A value that names nothing known reads as the default.
#include <QCheckBox>
#include <QComboBox>
#include <algorithm>

#include "app/MainForm.h"
#include "app/MetadataChoices.h"
#include "settings/SettingsStore.h"

namespace pixtrel {
namespace {

using Store = SettingsStore;

bool ReadSwitch(const QString& name) {
  return Store::ReadInteger(kSettingsKeyPath, name, 0) == 1;
}

void WriteSwitch(const QString& name, const QCheckBox* box) {
  Store::WriteInteger(kSettingsKeyPath, name, box->isChecked() ? 1 : 0);
}

}  // namespace

void TForm1::ReadStoredChoices() {
  const QString target =
      Store::ReadString(kSettingsKeyPath, QStringLiteral("convert.to"), QStringLiteral("jpg"));
  ComboBox1->setCurrentIndex(std::max(0, ComboBox1->findData(target)));
  CheckBox2->setChecked(ReadSwitch(QStringLiteral("shrinkonly")));
  CheckBox3->setChecked(ReadSwitch(QStringLiteral("ignoreorientation")));
  const QString metadata =
      Store::ReadString(kSettingsKeyPath, QStringLiteral("metadata"), QStringLiteral("keep"));
  ComboBox2->setCurrentIndex(MetadataChoiceIndex(metadata));
}

void TForm1::WriteStoredChoices() {
  Store::WriteString(kSettingsKeyPath, QStringLiteral("convert.to"),
                     ComboBox1->currentData().toString());
  WriteSwitch(QStringLiteral("shrinkonly"), CheckBox2);
  WriteSwitch(QStringLiteral("ignoreorientation"), CheckBox3);
  Store::WriteString(kSettingsKeyPath, QStringLiteral("metadata"),
                     ComboBox2->currentData().toString());
}

}  // namespace pixtrel
