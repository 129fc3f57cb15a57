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
  // Each page for itself: the pages' layouts, not the page shown, decide.
  int widest = strip_->minimumSizeHint().width();
  const int frame = 2 * pages_->frameWidth();
  for (int i = 0; i < pages_->count(); ++i)
    widest = std::max(widest, pages_->widget(i)->minimumSizeHint().width() + frame);
  return widest;
}

int PageControl::addPage(QWidget* page, const QString& caption, int position) {
  pages_->addWidget(page);
  return strip_->addTab(caption, position);
}

}  // namespace pixtrel
