#include "app/MessageBoxes.h"

#include <QMessageBox>

namespace pixtrel {

QString WithFullStop(const QString& text) {
  if (!text.isEmpty() && text.back() > QChar(u'.')) return text + u'.';
  return text;
}

void ShowErrorBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Pixtrel"), WithFullStop(text),
                  QMessageBox::Ok, parent);
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

bool AskMoveToTrash(QWidget* parent, const QString& name) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Pixtrel"),
                  QStringLiteral("Move %1 to the trash?").arg(name),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void ShowNotAvailable(QWidget* parent, const QString& command) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Pixtrel"),
                  QStringLiteral("The command \"%1\" is not available in this build of Pixtrel; "
                                 "nothing was done.")
                      .arg(command),
                  QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace pixtrel
