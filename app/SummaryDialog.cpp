#include "app/SummaryDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "app/FileInfoText.h"
#include "languages/LanguageTable.h"
#include "windows/Links.h"

namespace pixtrel {
namespace {

QString Local(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// The file's name as the list showed it, with the reason.
QString FileLine(const FileReport& file) {
  const std::filesystem::path source(file.source);
  return QStringLiteral("  ") + Local(source.filename().string()) + QStringLiteral(": ") +
         Local(file.message);
}

}  // namespace

SummaryLines DescribeSummary(const ProcessSummary& summary, int total,
                             const std::function<QString(int)>& text, QChar decimalPoint) {
  QStringList lines;
  const int reported = static_cast<int>(summary.files.size());
  if (reported < total) lines << text(kTextStoppedAfter).arg(reported).arg(total);
  lines << text(kTextSummaryCounts).arg(summary.done).arg(summary.skipped).arg(summary.failed);
  lines << text(kTextSummaryBytes)
               .arg(FileSizeText(summary.bytesIn, text, decimalPoint))
               .arg(FileSizeText(summary.bytesOut, text, decimalPoint));
  lines << text(kTextSummaryTime)
               .arg(QString::number(summary.seconds, 'f', 1).replace(u'.', decimalPoint));
  QStringList files;
  for (const auto& [status, heading] :
       {std::pair{FileReport::Status::Failed, kTextFailedHeading},
        std::pair{FileReport::Status::Skipped, kTextSkippedHeading}}) {
    QStringList these;
    for (const FileReport& file : summary.files) {
      if (file.status == status) these << FileLine(file);
    }
    if (these.isEmpty()) continue;
    files << text(heading);
    files << these;
  }
  return {lines.join(u'\n'), files.join(u'\n')};
}

SummaryDialog::SummaryDialog(QWidget* parent, const SummaryLines& text, const QString& folder,
                             const QString& title, const std::function<QString(int)>& captions)
    : QDialog(parent), folder_(folder) {
  setObjectName(QStringLiteral("SummaryDialog"));
  setWindowTitle(title);
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);

  lines_ = new QLabel(text.lines, this);
  lines_->setObjectName(QStringLiteral("SummaryLines"));
  lines_->setTextFormat(Qt::PlainText);
  lines_->setWordWrap(true);
  lines_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  files_ = new QPlainTextEdit(text.files, this);
  files_->setObjectName(QStringLiteral("SummaryFiles"));
  files_->setReadOnly(true);
  files_->setLineWrapMode(QPlainTextEdit::NoWrap);
  files_->setVisible(!text.files.isEmpty());
  files_->setMinimumHeight(files_->fontMetrics().lineSpacing() * 6);

  auto* buttons = new QDialogButtonBox(this);
  openFolder_ = buttons->addButton(captions(kTextOpenFolder), QDialogButtonBox::ActionRole);
  openFolder_->setObjectName(QStringLiteral("SummaryOpenFolder"));
  close_ = buttons->addButton(captions(kTextClose), QDialogButtonBox::RejectRole);
  close_->setObjectName(QStringLiteral("SummaryClose"));
  close_->setDefault(true);
  connect(openFolder_, &QPushButton::clicked, this, [this] { OpenLocalFolder(folder_); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lines_);
  layout->addWidget(files_, 1);
  layout->addWidget(buttons);
  setMinimumWidth(420);
}

}  // namespace pixtrel
