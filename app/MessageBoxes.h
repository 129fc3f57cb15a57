#pragma once
// The program's modal message boxes.
#include <QString>

class QWidget;

namespace pixtrel {

// An error text as shown: a full stop is appended when the last character sorts after ".".
QString WithFullStop(const QString& text);

// The error box: title "Pixtrel", error icon, "OK".
void ShowErrorBox(QWidget* parent, const QString& text);

// A warning box: title "Pixtrel", warning icon, "OK".
void ShowWarningBox(QWidget* parent, const QString& text);

// "All the original files will be overwritten!!..." in a "Confirm" box; true for "OK".
bool AskOverwrite(QWidget* parent);

// "Move NAME to the trash?"; true for "Yes".
bool AskMoveToTrash(QWidget* parent, const QString& name);

// Tells that a command of the window is missing from this build.
void ShowNotAvailable(QWidget* parent, const QString& command);

}  // namespace pixtrel
