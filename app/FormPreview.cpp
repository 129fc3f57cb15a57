// The preview window and the viewer, as the main window drives them: file-list clicks, "View
// image", the "Preview images" toggle, the start-up reopening and what closing stores.
#include <QAction>

#include "app/MainForm.h"
#include "settings/SettingsStore.h"
#include "windows/PreviewForm.h"
#include "windows/Slikca.h"

namespace pixtrel {
namespace {

using Store = SettingsStore;

// Shows the preview at its stored place: "preview_x" is the top edge, "preview_y" the left.
void ShowAtStoredPlace(TPreviewForm& preview) {
  const int top = Store::ReadInteger(kSettingsKeyPath, QStringLiteral("preview_x"), 200);
  const int left = Store::ReadInteger(kSettingsKeyPath, QStringLiteral("preview_y"), 700);
  preview.ShowAt(top, left);
}

}  // namespace

void TForm1::BuildSecondaryWindows() {
  Slikca = new TSlikca(this);
  PreviewForm = new TPreviewForm(this, PreviewScaleDivisor);
  connect(PreviewForm, &TPreviewForm::closedByUser, this,
          [this] { Guarded([this] { PreviewFormClose(); }); });
}

void TForm1::Preview(const QString& path) {
  Slikca->ShowPicture(path, LanguageTexts.value(301, QStringLiteral("View image")));
}

void TForm1::UpdatePreview(const QString& path) {
  // Open or not, the preview follows the list; a picture it cannot read changes nothing.
  if (PreviewForm->LoadPicture(path)) PreviewForm->FitToPicture();
}

void TForm1::M12Click() {
  // The check mark follows the window alone, also when a step below fails.
  M12->setChecked(PreviewForm->isVisible());
  int state = 0;
  if (PreviewForm->isVisible()) {
    PreviewForm->close();  // its close handler stores the place
  } else {
    PreviewForm->FitToPicture();
    ShowAtStoredPlace(*PreviewForm);
    state = 1;
  }
  M12->setChecked(state == 1);
  Store::WriteInteger(kSettingsKeyPath, QStringLiteral("preview"), state);
}

void TForm1::OpenPreviewAtStart() {
  if (Store::ReadInteger(kSettingsKeyPath, QStringLiteral("preview"), 1) != 1) return;
  ShowAtStoredPlace(*PreviewForm);
  M12->setChecked(true);
}

void TForm1::PreviewFormClose() {
  M12->setChecked(false);
  Store::WriteInteger(kSettingsKeyPath, QStringLiteral("preview"), 0);
  const QPoint place = PreviewForm->geometry().topLeft();  // the inside, as ShowAt places it
  Store::WriteInteger(kSettingsKeyPath, QStringLiteral("preview_x"), place.y());
  Store::WriteInteger(kSettingsKeyPath, QStringLiteral("preview_y"), place.x());
}

void TForm1::RetitleSecondaryWindows() {
  Slikca->Retitle(LanguageTexts.value(301, QStringLiteral("View image")));
  PreviewForm->setWindowTitle(LanguageTexts.value(412, QStringLiteral("Preview images")));
}

std::optional<QPoint> TForm1::PreviewTopLeft() const {
  // Before the window was placed this run its position is only the design place; writing that
  // would lose where the user left it.
  if (!PreviewForm || !PreviewForm->Placed()) return std::nullopt;
  return PreviewForm->geometry().topLeft();
}

}  // namespace pixtrel
