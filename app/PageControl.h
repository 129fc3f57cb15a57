#pragma once
// A set of pages under a wrapping tab strip. Only a choice on the strip itself (mouse or keys)
// is reported as the user's change; showing a page from code is not.
#include <QStackedWidget>
#include <QWidget>

#include "app/TabStrip.h"

namespace pixtrel {

class PageControl : public QWidget {
  Q_OBJECT
 public:
  explicit PageControl(QWidget* parent = nullptr);

  // The page gets the next index; its tab shows at position in the strip (-1: at the end).
  int addPage(QWidget* page, const QString& caption, int position = -1);
  int count() const { return strip_->count(); }
  QWidget* page(int index) const { return pages_->widget(index); }
  int currentIndex() const { return strip_->currentIndex(); }
  void setCurrentIndex(int index) { strip_->setCurrentIndex(index); }
  QString tabText(int index) const { return strip_->tabText(index); }
  void setTabText(int index, const QString& text) { strip_->setTabText(index, text); }
  TabStrip* tabStrip() const { return strip_; }
  // The least width that shows every page: some pages need more than others (words wrapped
  // to the width), and a width that changed with the page shown would move the tabs.
  int widestMinimumWidth();

 signals:
  // The user picked another tab on the strip.
  void userChanged(int index);
  // The user clicked a tab on the strip (also the one shown).
  void tabClicked(int index);

 private:
  TabStrip* strip_;
  QStackedWidget* pages_;
};

}  // namespace pixtrel
