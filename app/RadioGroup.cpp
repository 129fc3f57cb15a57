#include "app/RadioGroup.h"

#include <QVBoxLayout>

namespace pixtrel {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent) {
  auto* layout = new QVBoxLayout(this);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    buttons_.addButton(button, i);
    layout->addWidget(button);
  }
  layout->addStretch();
  setItemIndex(0);
}

void RadioGroup::setItemIndex(int index) {
  if (QAbstractButton* button = buttons_.button(index)) button->setChecked(true);
}

QRadioButton* RadioGroup::item(int index) const {
  return qobject_cast<QRadioButton*>(buttons_.button(index));
}

void RadioGroup::setItems(const QStringList& items) {
  for (int i = 0; i < items.size() && i < count(); ++i)
    item(i)->setText(items[i]);
}

}  // namespace pixtrel
