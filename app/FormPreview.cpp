// The preview and viewer windows hang here; they are not built yet, so the menu entries that
// open them stay disabled and these steps do nothing.
#include "app/MainForm.h"

namespace pixtrel {

void TForm1::Preview(const QString& /*path*/) {}

void TForm1::UpdatePreview(const QString& /*path*/) {}

void TForm1::M12Click() {}

void TForm1::OpenPreviewAtStart() {}

// The preview window's top-left corner, as closing stores it: its design place until the
// window exists.
QPoint TForm1::PreviewTopLeft() const {
  return QPoint(717, 207);
}

}  // namespace pixtrel
