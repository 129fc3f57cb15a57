#include "app/BatchNote.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "batch/BatchRunner.h"
#include "languages/LanguageTable.h"
#include "windows/Links.h"

namespace pixtrel {

BatchEndText DescribeBatchEnd(const BatchResult& result, const QString& folder,
                              const std::function<QString(int)>& text) {
  QStringList lines, shortLines, failures;
  if (result.outcome == BatchOutcome::Stopped || result.outcome == BatchOutcome::Failed)
    lines << text(kTextStoppedAfter).arg(result.processed).arg(result.selected);
  QStringList failedNames;
  for (const FailedFile& file : result.skipped) {
    failedNames << QString::fromLocal8Bit(file.name);
    failures << QString::fromLocal8Bit(file.name) + QStringLiteral(": ") +
                    QString::fromLocal8Bit(file.message);
  }
  if (result.outcome == BatchOutcome::Failed) {
    failedNames << QString::fromLocal8Bit(result.failedName);
    failures << QString::fromLocal8Bit(result.failedName) + QStringLiteral(": ") +
                    QString::fromLocal8Bit(result.message);
  }
  shortLines = lines;
  if (!failures.isEmpty()) {
    const QString failed =
        text(kTextFailedOf).arg(static_cast<int>(failures.size())).arg(result.selected);
    lines << failed;
    shortLines << failed + u' ' + failedNames.join(QStringLiteral(", "));
  }
  const QString written = result.processed == 1
                              ? text(kTextWrittenOne).arg(folder)
                              : text(kTextWrittenMany).arg(result.processed).arg(folder);
  lines << written;
  shortLines << written;
  // The note puts the list of failures under its lines; the status bar has one line for all.
  if (!failures.isEmpty()) std::swap(lines[lines.size() - 1], lines[lines.size() - 2]);
  BatchEndText end;
  end.line = lines.join(u'\n');
  end.failures = failures.join(u'\n');
  end.statusLine = shortLines.join(QStringLiteral("; "));
  return end;
}

BatchNote::BatchNote(QWidget* parent, const BatchEndText& text, const QString& folder,
                     const QString& openFolderCaption, const QString& closeCaption)
    : QDialog(parent), folder_(folder) {
  setObjectName(QStringLiteral("BatchNote"));
  setWindowTitle(QStringLiteral("Pixtrel"));
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);

  summary_ = new QLabel(text.line, this);
  summary_->setObjectName(QStringLiteral("BatchNoteSummary"));
  summary_->setTextFormat(Qt::PlainText);
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  failures_ = new QPlainTextEdit(text.failures, this);
  failures_->setObjectName(QStringLiteral("BatchNoteFailures"));
  failures_->setReadOnly(true);
  failures_->setLineWrapMode(QPlainTextEdit::NoWrap);
  failures_->setVisible(!text.failures.isEmpty());
  failures_->setMinimumHeight(failures_->fontMetrics().lineSpacing() * 4);

  auto* buttons = new QDialogButtonBox(this);
  openFolder_ = buttons->addButton(openFolderCaption, QDialogButtonBox::ActionRole);
  openFolder_->setObjectName(QStringLiteral("BatchNoteOpenFolder"));
  close_ = buttons->addButton(closeCaption, QDialogButtonBox::RejectRole);
  close_->setObjectName(QStringLiteral("BatchNoteClose"));
  close_->setDefault(true);
  connect(openFolder_, &QPushButton::clicked, this, [this] { OpenLocalFolder(folder_); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(failures_, 1);
  layout->addWidget(buttons);
  setMinimumWidth(360);
}

}  // namespace pixtrel
