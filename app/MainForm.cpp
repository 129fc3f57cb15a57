#include "app/MainForm.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <algorithm>

#include "app/ClassicResizeTabs.h"
#include "app/DefaultFolder.h"
#include "app/FileListBox.h"
#include "app/MessageBoxes.h"
#include "app/Pictures.h"
#include "app/WebAddresses.h"
#include "languages/LanguageTable.h"
#include "settings/SettingsStore.h"
#include "windows/PreviewForm.h"
#include "windows/ScreenPlacement.h"

namespace pixtrel {
namespace {

constexpr int kDesignWidth = 745;
constexpr int kDesignHeight = 549;

using Store = SettingsStore;

// True when enough of the rectangle lies on a screen to grab the window and move it back.
bool ReachableOnScreen(const QRect& frame) {
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect common = frame.intersected(screen->availableGeometry());
    if (common.width() >= 40 && common.height() >= 40) return true;
  }
  return false;
}

// The free area (without panels) of the screen holding most of the rectangle, or of the primary
// screen; empty when there is no screen at all.
QRect AreaHolding(const QRect& rect) {
  const QScreen* best = QGuiApplication::primaryScreen();
  qint64 most = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect common = rect.intersected(screen->availableGeometry());
    const qint64 area = qint64{common.width()} * common.height();
    if (area > most) {
      best = screen;
      most = area;
    }
  }
  return best ? best->availableGeometry() : QRect();
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Pixtrel"));
  setWindowIcon(ProgramIcon());
  setMinimumSize(kDesignWidth, kDesignHeight);
  resize(kDesignWidth, kDesignHeight);
  BuildLayout();
  BuildStatusBar();
  BuildMenus();
  ConnectCommandButtons();
  // Until a start folder is read, the browser shows the folder the program was started in.
  SetFolder(QDir::currentPath());

  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(500);
  Timer2->setTimerType(Qt::PreciseTimer);  // half a second, not up to 5 % less
  connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
  Timer2->start();

  UpdatePageAddress = kHomePageAddress;
  HomePageAddress = kHomePageAddress;
  MakerPageAddress = kMakerPageAddress;
  // No box may open here: its event loop would run the timer above against windows not yet
  // built. A store that cannot be written is told about once the window is up; one that cannot
  // be read gives the defaults.
  try {
    Store::WriteString(kSettingsKeyPath, QStringLiteral("prisoten"), QStringLiteral("ja"));
    Store::WriteString(kSettingsKeyPath, QStringLiteral("verzija"), ProgramVersion);
  } catch (const SettingsError&) {
    // Recorded by the store as damage.
  }
  CurrentLanguage = Store::ReadInteger(kSettingsKeyPath, QStringLiteral("jezik"), 2);
  BuildSecondaryWindows();
  QTimer::singleShot(0, this, &TForm1::NoteDamagedSettings);
  connect(FileListBox10, &FileListBox::pathsDropped, this,
          [this](const QStringList& paths) { Guarded([&] { OpenPaths(paths); }); });
}

TForm1::~TForm1() = default;

void TForm1::showEvent(QShowEvent* event) {
  // The set-up runs before the window first appears, so it opens where it was left.
  FormActivate();
  QMainWindow::showEvent(event);
  // A window cut to its screen is fitted with its frame as soon as the frame is there, not
  // only at the half-second step: the window manager shows it at once.
  if (!framedOnce_) {
    framedOnce_ = true;
    QTimer::singleShot(0, this, [this] { KeepTitleBarOnScreenOnceFramed(40); });
  }
}

void TForm1::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
  QMainWindow::changeEvent(event);
}

void TForm1::FormActivate() {
  if (!FirstActivation) return;
  // Cleared first: a store that fails must not bring its error back on every activation.
  FirstActivation = false;
  Guarded([this] {
    const int top = Store::ReadInteger(kSettingsKeyPath, QStringLiteral("x"), 104);
    const int left = Store::ReadInteger(kSettingsKeyPath, QStringLiteral("y"), 153);
    const int width = Store::ReadInteger(kSettingsKeyPath, QStringLiteral("w"), 713);
    const int height = Store::ReadInteger(kSettingsKeyPath, QStringLiteral("h"), 523);
    RestorePlacement(top, left, width, height);
    const QString defaultPixels = QStringLiteral("800");
    for (const ResizeTab& tab : resizeTabs_)
      tab.pixels->setText(Store::ReadString(kSettingsKeyPath, tab.settingsKey, defaultPixels));
    TrackBar7->setValue(Store::ReadInteger(kSettingsKeyPath, QStringLiteral("jpg.q"), 85));
    ReadStoredChoices();
    bool entered = false;
    try {
      const QString start =
          Store::ReadString(kSettingsKeyPath, QStringLiteral("Start"), DefaultFolder());
      entered = start.isEmpty() || SetFolder(start);  // empty: stay where the browser is
    } catch (const std::exception&) {
      entered = false;
    }
    if (!entered) SetFolder(DefaultFolder());
    LoadLanguageTexts(CurrentLanguage);
    ApplyLanguageTexts();
    NaloziRecent();
  });
  // The keys go to the file list first: Down, Home or a letter must not move the drive box
  // away from the folder the window opened at.
  FileListBox10->setFocus(Qt::OtherFocusReason);
}

void TForm1::RestorePlacement(int top, int left, int width, int height) {
  // A size larger than the screen its corner lies on (a damaged or hand-edited store) is cut to
  // that screen, though never below the window's minimum.
  const QScreen* screen = QGuiApplication::screenAt(QPoint(left, top));
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QSize stored(std::max(width, minimumWidth()), std::max(height, minimumHeight()));
  QSize size = stored;
  if (screen) size = size.boundedTo(screen->availableGeometry().size()).expandedTo(minimumSize());
  resize(size);
  // A window stored on a screen that is gone would open out of reach.
  if (!ReachableOnScreen(QRect(QPoint(left, top), size))) {
    top = 104;
    left = 153;
  }
  // The inside's top-left corner (the window without the window manager's frame), the same
  // point that closing stores. The frame is not known before the window manager has taken the
  // window, so it cannot be the point on both sides; the inside always can, and nothing creeps.
  // A corner off every screen (above a screen's top the title bar is out of reach), or a window
  // cut to its screen, is brought onto the screen holding most of the window; the frame is
  // looked at once it is there (KeepTitleBarOnScreen).
  QRect inside(QPoint(left, top), size);
  if (size != stored || !QGuiApplication::screenAt(inside.topLeft())) {
    const QRect area = AreaHolding(inside);
    if (!area.isEmpty()) inside.moveTopLeft(PlaceInside(inside, area));
  }
  setGeometry(inside);
}

bool TForm1::KeepTitleBarOnScreen() {
  if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
    return false;
  const QRect frame = frameGeometry();
  const QRect area = AreaHolding(frame);
  if (area.isEmpty()) return false;
  QRect inside = geometry();
  // Larger than the screen with its frame: cut to fit, though never below the minimum.
  const QSize frameExtra = frame.size() - inside.size();
  QSize size = inside.size();
  if (frame.width() > area.width())
    size.setWidth(std::max(minimumWidth(), area.width() - frameExtra.width()));
  if (frame.height() > area.height())
    size.setHeight(std::max(minimumHeight(), area.height() - frameExtra.height()));
  // The frame's top (the title bar) and left edge on the screen.
  const QPoint shift(std::max(0, area.left() - frame.left()),
                     std::max(0, area.top() - frame.top()));
  if (size == inside.size() && shift.isNull()) return false;
  setGeometry(QRect(inside.topLeft() + shift, size));
  return true;
}

void TForm1::KeepTitleBarOnScreenOnceFramed(int triesLeft) {
  // A window manager frames the window a moment after it is shown, later when the program was
  // slow to start; until then the frame is the window itself, and a window cut to its screen
  // leaves no room for the title bar. And a size asked for while it frames the window can be
  // undone by the size it settles first. So it is looked at again until the frame shows and a
  // look changes nothing, for two seconds at most (some platforms draw no frame at all).
  const bool framed = frameGeometry().size() != size();
  if (framed && !KeepTitleBarOnScreen()) return;
  if (triesLeft > 0) {
    QTimer::singleShot(50, this,
                       [this, triesLeft] { KeepTitleBarOnScreenOnceFramed(triesLeft - 1); });
  }
}

void TForm1::Timer2Timer() {
  Timer2->stop();
  Guarded([this] { OpenPreviewAtStart(); });
  KeepTitleBarOnScreen();
  show();
  raise();
  activateWindow();
  KeepTitleBarOnScreenOnceFramed(40);
  // The preview stays above the main window, also where no window manager keeps it on top.
  if (PreviewForm->isVisible()) PreviewForm->raise();
  NoteDamagedSettings();
}

void TForm1::NoteDamagedSettings() {
  const std::optional<QString> where = Store::TakeDamage();
  if (!where || settingsNoted_) return;
  settingsNoted_ = true;
  QString text = LanguageText(CurrentLanguage, kSettingsNoteOffset);
  if (text.isEmpty()) text = LanguageText(kEnglish, kSettingsNoteOffset);
  ShowWarningBox(this, text.arg(QDir::toNativeSeparators(*where)));
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (busy_) {
    // Closed while a batch runs: stop it after the file in hand, then close.
    closePending_ = true;
    RequestStop();
    event->ignore();
    return;
  }
  Timer2->stop();
  // The program ends here: the preview closing with it is not the user closing it.
  PreviewForm->SetProgramEnding();
  FormClose();
  event->accept();
}

void TForm1::FormClose() {
  // A store that cannot be written is reported, but never keeps the window from closing.
  Guarded([this] {
    // A preview never placed this run keeps the stored place.
    if (const std::optional<QPoint> preview = PreviewTopLeft()) {
      Store::WriteInteger(kSettingsKeyPath, QStringLiteral("preview_x"), preview->y());
      Store::WriteInteger(kSettingsKeyPath, QStringLiteral("preview_y"), preview->x());
    }
    // The inside, as restoring places it; a maximised window stores its normal place.
    QRect inside = geometry();
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) inside = normalGeometry();
    Store::WriteInteger(kSettingsKeyPath, QStringLiteral("x"), inside.top());
    Store::WriteInteger(kSettingsKeyPath, QStringLiteral("y"), inside.left());
    Store::WriteInteger(kSettingsKeyPath, QStringLiteral("w"), inside.width());
    Store::WriteInteger(kSettingsKeyPath, QStringLiteral("h"), inside.height());
    // The classic boxes in the order they have always been written (JPG, BMP, GIF, PNG, WebP),
    // then those of the formats added later.
    for (const ClassicResizeTab& classic : ClassicResizeTabs()) {
      for (const ResizeTab& tab : resizeTabs_) {
        if (tab.tab == classic.tab)
          Store::WriteString(kSettingsKeyPath, tab.settingsKey, tab.pixels->text());
      }
    }
    for (const ResizeTab& tab : resizeTabs_) {
      if (!ClassicResizeTabFor(*tab.row))
        Store::WriteString(kSettingsKeyPath, tab.settingsKey, tab.pixels->text());
    }
    Store::WriteInteger(kSettingsKeyPath, QStringLiteral("jpg.q"), TrackBar7->value());
    WriteStoredChoices();
    Store::WriteString(kSettingsKeyPath, QStringLiteral("Start"),
                       QDir::toNativeSeparators(Folder()));
  });
}

void TForm1::ShowError(const std::exception& error) {
  if (dynamic_cast<const SettingsError*>(&error)) {
    // The store's trouble is told once a run: every later write would fail the same way.
    if (settingsNoted_) return;
    settingsNoted_ = true;
    Store::TakeDamage();
  }
  ShowErrorBox(this, QString::fromLocal8Bit(error.what()));
}

}  // namespace pixtrel
