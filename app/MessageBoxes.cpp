#include "app/MessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace pixtrel {

QString WithFullStop(const QString& text) {
  if (!text.isEmpty() && text.back() > QChar(u'.')) return text + u'.';
  return text;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
  ShowWindowError(parent, WithFullStop(text));
}

void ShowWindowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Pixtrel"), text, QMessageBox::Ok, parent);
  box.exec();
}

void ShowWarningBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Pixtrel"), text, QMessageBox::Ok, parent);
  box.exec();
}

bool AskOverwrite(QWidget* parent) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"),
                  QStringLiteral("All the original files will be overwritten!! Are you sure you "
                                 "want to do this?"),
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok;
}

bool AskMoveToTrash(QWidget* parent, const QString& question, const QString& yes,
                    const QString& no) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Pixtrel"), question,
                  QMessageBox::Yes | QMessageBox::No, parent);
  // Qt's own captions would be English whatever the language shown.
  box.button(QMessageBox::Yes)->setText(yes);
  box.button(QMessageBox::No)->setText(no);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void ShowInformationBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Pixtrel"), text, QMessageBox::Ok,
                  parent);
  box.exec();
}

}  // namespace pixtrel
