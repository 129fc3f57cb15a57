#pragma once
// Controls are found by their object names (the settings, the languages and the tests reach
// them so); these give a new control its name where it is made.
#include <QString>
#include <QWidget>

namespace pixtrel {

template <class Widget>
Widget* Named(Widget* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}

inline QWidget* NewPage(const QString& name) {
  return Named(new QWidget, name);
}

}  // namespace pixtrel
