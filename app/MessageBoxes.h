#pragma once
// The program's modal message boxes.
#include <QString>

class QWidget;

namespace pixtrel {

// An error text as shown: a full stop is appended when the last character sorts after ".".
QString WithFullStop(const QString& text);

// The error box for an error's message: title "Pixtrel", error icon, "OK"; the text as
// WithFullStop gives it.
void ShowErrorBox(QWidget* parent, const QString& text);

// The same box for a text the window words itself, from the translation table: shown as
// written, since each language ends its sentences in its own way.
void ShowWindowError(QWidget* parent, const QString& text);

// A warning box: title "Pixtrel", warning icon, "OK".
void ShowWarningBox(QWidget* parent, const QString& text);

// "All the original files will be overwritten!!..." in a "Confirm" box; true for "OK".
bool AskOverwrite(QWidget* parent);

// Asks before Delete moves a file to the trash, with the answers' captions in the window's
// language; true for yes (the default).
bool AskMoveToTrash(QWidget* parent, const QString& question, const QString& yes,
                    const QString& no);

// An information box: title "Pixtrel", information icon, "OK".
void ShowInformationBox(QWidget* parent, const QString& text);

}  // namespace pixtrel
