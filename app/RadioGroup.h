#pragma once
// A titled group of radio buttons with one chosen item, read and set by index.
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QStringList>

namespace pixtrel {

class RadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

  int itemIndex() const { return buttons_.checkedId(); }
  void setItemIndex(int index);
  int count() const { return static_cast<int>(buttons_.buttons().size()); }
  QRadioButton* item(int index) const;
  // Replaces the item captions, keeping the choice.
  void setItems(const QStringList& items);

 private:
  QButtonGroup buttons_;
};

}  // namespace pixtrel
