// The choices kept in the settings store beside the pixel texts: "Make pictures smaller but not
// larger" ("shrinkonly", 0 or 1), "Ignore the orientation of photos" ("ignoreorientation", 0 or
// 1), the Rotate tab's "Turn JPEG files without loss" ("losslessturn") and its trimming
// ("losslesstrim"), and the metadata choice ("metadata": keep, strip or strip-gps), written when
// the window closes; the "Resize & convert" tab's ("Process/size", "Process/to", ...), written as
// they change. A value that names nothing known reads as the default.
#include <QCheckBox>
#include <QComboBox>
#include <algorithm>

#include "app/MainForm.h"
#include "app/MetadataChoices.h"
#include "app/ProcessPage.h"
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
  CheckBox2->setChecked(ReadSwitch(QStringLiteral("shrinkonly")));
  CheckBox3->setChecked(ReadSwitch(QStringLiteral("ignoreorientation")));
  CheckBox4->setChecked(ReadSwitch(QStringLiteral("losslessturn")));
  CheckBox5->setChecked(ReadSwitch(QStringLiteral("losslesstrim")));
  const QString metadata =
      Store::ReadString(kSettingsKeyPath, QStringLiteral("metadata"), QStringLiteral("keep"));
  ComboBox2->setCurrentIndex(MetadataChoiceIndex(metadata));
  // The "Resize & convert" tab's choices, each stored as it changes; its format starts at the
  // "Convert to" choice of the tab it replaced.
  ProcessTab->readStored();
}

void TForm1::WriteStoredChoices() {
  WriteSwitch(QStringLiteral("shrinkonly"), CheckBox2);
  WriteSwitch(QStringLiteral("ignoreorientation"), CheckBox3);
  WriteSwitch(QStringLiteral("losslessturn"), CheckBox4);
  WriteSwitch(QStringLiteral("losslesstrim"), CheckBox5);
  Store::WriteString(kSettingsKeyPath, QStringLiteral("metadata"),
                     ComboBox2->currentData().toString());
}

}  // namespace pixtrel
