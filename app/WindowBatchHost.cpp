#include "app/WindowBatchHost.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

#include "app/FileListBox.h"
#include "app/MainForm.h"
#include "app/MessageBoxes.h"
#include "app/RadioGroup.h"

namespace pixtrel {

int WindowBatchHost::itemCount() {
  return form_.FileListBox10->count();
}

bool WindowBatchHost::itemSelected(int index) {
  const QListWidgetItem* item = form_.FileListBox10->item(index);
  return item && item->isSelected();
}

std::string WindowBatchHost::itemName(int index) {
  const QListWidgetItem* item = form_.FileListBox10->item(index);
  return item ? QFile::encodeName(item->text()).toStdString() : std::string();
}

int WindowBatchHost::selectedCount() {
  return static_cast<int>(form_.FileListBox10->selectedItems().size());
}

SaveMode WindowBatchHost::saveMode() {
  switch (form_.Radio1->itemIndex()) {
    case 1:
      return SaveMode::Subfolder;
    case 2:
      return SaveMode::Overwrite;
    default:
      return SaveMode::AddPrefix;
  }
}

bool WindowBatchHost::keepDate() {
  return form_.CheckBox1->isChecked();
}

BatchOptions WindowBatchHost::options() {
  BatchOptions o;
  o.saveQuality = form_.TrackBar10->value();
  o.qualityCommandValue = form_.TrackBar7->value();
  for (ImageFormat format : {ImageFormat::Jpeg, ImageFormat::Gif, ImageFormat::Bmp}) {
    const QLineEdit* edit = format == ImageFormat::Jpeg  ? form_.Edit2
                            : format == ImageFormat::Gif ? form_.Edit1
                                                         : form_.Edit3;
    const QSlider* slider = format == ImageFormat::Jpeg  ? form_.TrackBar2
                            : format == ImageFormat::Gif ? form_.TrackBar1
                                                         : form_.TrackBar3;
    const int slot = BatchOptions::FormatSlot(format);
    o.pixelText[slot] = edit->text().toStdString();
    o.method[slot] = slider->value() == 0 ? ResizeMethod::Normal : ResizeMethod::Better;
  }
  switch (form_.Radio2->itemIndex()) {
    case 1:
      o.turn = TurnChoice::Left;
      break;
    case 2:
      o.turn = TurnChoice::UpsideDown;
      break;
    default:
      o.turn = TurnChoice::Right;
  }
  return o;
}

bool WindowBatchHost::confirmOverwrite() {
  return AskOverwrite(&form_);
}

void WindowBatchHost::recordFolder() {
  form_.AddFolderToRecent();
}

void WindowBatchHost::showProgress(int maximum) {
  form_.ProgressBar1->setRange(0, maximum);
  form_.ProgressBar1->setValue(0);
  form_.ProgressBar1->show();
  form_.StopButton->show();
}

void WindowBatchHost::advanceProgress() {
  form_.ProgressBar1->setValue(form_.ProgressBar1->value() + 1);
}

void WindowBatchHost::hideProgress() {
  form_.ProgressBar1->hide();
  form_.StopButton->hide();
}

void WindowBatchHost::pumpEvents() {
  QCoreApplication::processEvents();
}

void WindowBatchHost::refresh() {
  form_.Osvezi();
}

bool WindowBatchHost::stopRequested() {
  return form_.StopRequested();
}

}  // namespace pixtrel
