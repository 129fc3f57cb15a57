#include "app/WindowKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>

namespace pixtrel {
namespace {

constexpr Qt::KeyboardModifiers kChordModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

QList<QMenu*> BarMenus(QMainWindow* window) {
  QList<QMenu*> menus;
  for (QAction* action : window->menuBar()->actions()) {
    if (QMenu* menu = action->menu(); menu && action->isVisible()) menus.append(menu);
  }
  return menus;
}

// A title's mnemonic when it carries one ("&File"), else nothing.
QChar MarkedLetter(const QString& title) {
  for (qsizetype i = 0; i + 1 < title.size(); ++i) {
    if (title[i] != u'&') continue;
    if (title[i + 1] != u'&') return title[i + 1].toLower();
    ++i;
  }
  return QChar();
}

// The letter a key stands for, in lower case: its text, else a Latin letter or digit key.
QChar KeyLetter(const QKeyEvent& key) {
  if (!key.text().isEmpty() && key.text().front().isLetterOrNumber())
    return key.text().front().toLower();
  if (key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
    return QChar(u'a' + (key.key() - Qt::Key_A));
  if (key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9)
    return QChar(u'0' + (key.key() - Qt::Key_0));
  return QChar();
}

}  // namespace

WindowKeys::WindowKeys(QMainWindow* window) : QObject(window), window_(window) {
  qApp->installEventFilter(this);
}

QChar WindowKeys::MenuLetter(const QMenu* wanted) const {
  QSet<QChar> taken;
  for (const QMenu* menu : BarMenus(window_)) {
    QChar letter = MarkedLetter(menu->title());
    if (letter.isNull()) {
      for (const QChar c : menu->title()) {
        if (c.isLetterOrNumber() && !taken.contains(c.toLower())) {
          letter = c.toLower();
          break;
        }
      }
    }
    if (menu == wanted) return letter;
    if (!letter.isNull()) taken.insert(letter);
  }
  return QChar();
}

QMenu* WindowKeys::MenuForLetter(QChar letter) const {
  for (QMenu* menu : BarMenus(window_)) {
    if (menu->menuAction()->isEnabled() && MenuLetter(menu) == letter) return menu;
  }
  return nullptr;
}

bool WindowKeys::OpenMenu(QMenu* menu) {
  if (!menu || !window_->isActiveWindow()) return false;
  window_->menuBar()->setActiveAction(menu->menuAction());
  return true;
}

bool WindowKeys::OpenFirstMenu() {
  const QList<QMenu*> menus = BarMenus(window_);
  return !menus.isEmpty() && OpenMenu(menus.front());
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress) altAlone_ = false;  // Alt-click is not Alt alone
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  // Only keys inside the window itself: an open menu or another window handles its own.
  if (!widget || widget->window() != window_) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (type == QEvent::KeyRelease) {
    // Some styles hand the focus to the menu bar while Alt is down; the release counts all
    // the same, once.
    if (key->key() == Qt::Key_Alt && altAlone_) {
      altAlone_ = false;
      return OpenFirstMenu();
    }
    return false;
  }
  // A key reaches the focused widget and then its parents; only the first delivery counts.
  if (widget != QApplication::focusWidget()) return false;
  const Qt::KeyboardModifiers modifiers = key->modifiers() & kChordModifiers;

  if (key->key() == Qt::Key_Alt) {
    altAlone_ = !key->isAutoRepeat() || altAlone_;
    return false;
  }
  altAlone_ = false;
  if (key->key() == Qt::Key_F10 && modifiers == Qt::NoModifier) return OpenFirstMenu();
  if (modifiers == Qt::AltModifier) {
    // Alt and a menu's letter opens the menu; the letter never lands in a field.
    const QChar letter = KeyLetter(*key);
    if (QMenu* menu = letter.isNull() ? nullptr : MenuForLetter(letter)) return OpenMenu(menu);
    return false;
  }
  if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
      modifiers == Qt::NoModifier) {
    if (auto* button = qobject_cast<QPushButton*>(widget); button && button->isEnabled()) {
      if (!key->isAutoRepeat()) button->click();
      return true;
    }
  }
  return false;
}

}  // namespace pixtrel
