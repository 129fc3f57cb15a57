#include "app/PageControl.h"

#include <QVBoxLayout>
#include <algorithm>

namespace pixtrel {

PageControl::PageControl(QWidget* parent) : QWidget(parent) {
  strip_ = new TabStrip(this);
  strip_->setObjectName(QStringLiteral("TabStrip"));
  pages_ = new QStackedWidget(this);
  pages_->setFrameShape(QFrame::StyledPanel);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(strip_);
  layout->addWidget(pages_, 1);
  connect(strip_, &TabStrip::currentChanged, pages_, &QStackedWidget::setCurrentIndex);
  connect(strip_, &TabStrip::tabChosen, this, &PageControl::userChanged);
  connect(strip_, &TabStrip::tabClicked, this, &PageControl::tabClicked);
}

int PageControl::widestMinimumWidth() {
  const int shown = pages_->currentIndex();
  int widest = 0;
  for (int i = 0; i < pages_->count(); ++i) {
    pages_->setCurrentIndex(i);
    widest = std::max(widest, minimumSizeHint().width());
  }
  pages_->setCurrentIndex(shown);
  return widest;
}

int PageControl::addPage(QWidget* page, const QString& caption, int position) {
  pages_->addWidget(page);
  return strip_->addTab(caption, position);
}

}  // namespace pixtrel
