// The preview window and the viewer, as the main window drives them: file-list clicks, "View
// image", the "Preview images" toggle, the start-up reopening and what closing stores.
#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <limits>

#include "app/FileListBox.h"
#include "app/MainForm.h"
#include "languages/LanguageTable.h"
#include "settings/SettingsStore.h"
#include "windows/PreviewForm.h"
#include "windows/PreviewFormPlace.h"
#include "windows/Slikca.h"

namespace pixtrel {
namespace {

using Store = SettingsStore;

// Where the preview first opens, for an inside of the given size.
QPoint FirstRunPlace(const TPreviewForm& preview, const QWidget& main, QSize inside) {
  // While the window manager is still framing the main window its frame can lag behind the
  // window itself; the window is then the better guess.
  QRect frame = main.frameGeometry();
  if (!frame.contains(main.geometry())) frame = main.geometry();
  const QScreen* where = QGuiApplication::screenAt(frame.center());
  if (!where) where = main.screen();
  if (!where) return QPoint(700, 200);
  const QSize frameSize = inside + (preview.ExpectedFrameSize() - preview.size());
  const QPoint corner = FirstPreviewPlace(frame, frameSize, where->availableGeometry());
  // The preview is placed by its inside: the frame's side borders are taken as equal and the
  // rest of its height as the title bar.
  const QSize margins = frameSize - preview.size();
  const int side = margins.width() / 2;
  return corner + QPoint(side, margins.height() - side);
}

// Shows the preview at its stored place: "preview_x" is the top edge, "preview_y" the left.
// Nothing stored yet: beside the main window, clear of its tabs.
void ShowAtStoredPlace(TPreviewForm& preview, const QWidget& main) {
  // No place stored (or none that could be): read as a value no place has.
  constexpr int kNone = std::numeric_limits<int>::min();
  int top = Store::ReadInteger(kSettingsKeyPath, QStringLiteral("preview_x"), kNone);
  int left = Store::ReadInteger(kSettingsKeyPath, QStringLiteral("preview_y"), kNone);
  if (top == kNone || left == kNone) {
    // The first time: beside the main window as an empty preview would stand, and a picture
    // it holds already only as large as the room from there to the screen's edges, so that it
    // does not cover the main window on a small screen.
    const QPoint first = FirstRunPlace(preview, main, TPreviewForm::EmptySize());
    const QScreen* where = QGuiApplication::screenAt(first);
    if (!where) where = main.screen();
    if (where) {
      const QRect area = where->availableGeometry();
      const QSize margins = preview.ExpectedFrameSize() - preview.size();
      preview.FitToPicture(QSize(area.right() + 1 - first.x() - margins.width(),
                                 area.bottom() + 1 - first.y() - margins.height())
                               .expandedTo(TPreviewForm::EmptySize()));
    }
    const QPoint place = FirstRunPlace(preview, main, preview.size());
    if (top == kNone) top = place.y();
    if (left == kNone) left = place.x();
  }
  preview.ShowAt(top, left);
}

}  // namespace

void TForm1::BuildSecondaryWindows() {
  Slikca = new TSlikca(this);
  PreviewForm = new TPreviewForm(this, PreviewScaleDivisor);
  connect(PreviewForm, &TPreviewForm::closedByUser, this,
          [this] { Guarded([this] { PreviewFormClose(); }); });
  // The preview follows the focus through the list, by keys as well as by clicks. Queued: a
  // mouse press moves the focus before it selects the entry.
  connect(
      FileListBox10, &QListWidget::currentItemChanged, this,
      [this] { UpdatePreview(FocusedFilePath()); }, Qt::QueuedConnection);
  // With nothing selected it shows its hint again. Queued, so that a refresh, which empties the
  // list and selects again, does not count.
  connect(
      FileListBox10, &QListWidget::itemSelectionChanged, this,
      [this] {
        if (FileListBox10->selectedItems().isEmpty()) PreviewForm->Clear();
      },
      Qt::QueuedConnection);
}

void TForm1::Preview(const QString& path) {
  // Read on the viewer's own thread: a large photo does not hold up the window.
  Slikca->RequestPicture(path, LanguageTexts.value(301, QStringLiteral("View image")));
}

void TForm1::UpdatePreview(const QString& path) {
  // Open or not, the preview follows the list. No selected entry under the focus leaves the
  // picture; a file it cannot read empties it, so it never shows a picture for the wrong file.
  // The picture is read on a thread of its own: the window answers meanwhile, and a click on
  // another file makes the older one count no more.
  if (path.isEmpty()) return;
  PreviewForm->RequestPicture(path);
}

void TForm1::M12Click() {
  // The check mark follows the window alone, also when a step below fails.
  M12->setChecked(PreviewForm->isVisible());
  int state = 0;
  if (PreviewForm->isVisible()) {
    PreviewForm->close();  // its close handler stores the place
  } else {
    PreviewForm->FitToPicture();
    ShowAtStoredPlace(*PreviewForm, *this);
    state = 1;
  }
  M12->setChecked(state == 1);
  Store::WriteInteger(kSettingsKeyPath, QStringLiteral("preview"), state);
}

void TForm1::OpenPreviewAtStart() {
  if (Store::ReadInteger(kSettingsKeyPath, QStringLiteral("preview"), 1) != 1) return;
  ShowAtStoredPlace(*PreviewForm, *this);
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
  PreviewForm->SetHint(LanguageTexts.value(kTextPreviewHint, EnglishText(kTextPreviewHint)));
}

std::optional<QPoint> TForm1::PreviewTopLeft() const {
  // Before the window was placed this run its position is only the design place; writing that
  // would lose where the user left it.
  if (!PreviewForm || !PreviewForm->Placed()) return std::nullopt;
  return PreviewForm->geometry().topLeft();
}

}  // namespace pixtrel
