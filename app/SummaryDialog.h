#pragma once
// The summary at the end of a "Resize & convert" run: how many files were written, skipped and
// failed, the bytes read and written, the time it took, every failed and skipped file with its
// message, and a button that opens the output folder. Like the classic batch's note it does not
// hold up the window, and closes with its button or Esc.
#include <QChar>
#include <QDialog>
#include <QString>
#include <functional>

#include "batch/ProcessRunner.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace pixtrel {

// The summary's lines: counts (with "stopped after" first when the run was stopped before
// the last of its total files), bytes, time; and the files, under "Failed:" and "Skipped:".
struct SummaryLines {
  QString lines;
  QString files;
};
SummaryLines DescribeSummary(const ProcessSummary& summary, int total,
                             const std::function<QString(int)>& text, QChar decimalPoint);

class SummaryDialog : public QDialog {
  Q_OBJECT
 public:
  // folder: where the outputs went, opened by the button; title: the tab's caption.
  SummaryDialog(QWidget* parent, const SummaryLines& text, const QString& folder,
                const QString& title, const std::function<QString(int)>& captions);

  QString folder() const { return folder_; }
  QLabel* lines() const { return lines_; }
  QPlainTextEdit* files() const { return files_; }
  QPushButton* openFolderButton() const { return openFolder_; }
  QPushButton* closeButton() const { return close_; }

 private:
  QString folder_;
  QLabel* lines_;
  QPlainTextEdit* files_;
  QPushButton* openFolder_;
  QPushButton* close_;
};

}  // namespace pixtrel
