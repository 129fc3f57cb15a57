#pragma once
// The note at the end of a batch: what was written where, what was stopped or failed, and a
// button that opens the folder the pictures were written to. It does not hold up the window:
// the user can go on working while it is open, and it closes with its button or Esc.
#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace pixtrel {

// What a batch's end says: a line for the status bar and the note, and the files that failed,
// one per line ("NAME: MESSAGE"), for the note only.
struct BatchEndText {
  QString line;        // the note's lines
  QString failures;    // "NAME: MESSAGE" per line
  QString statusLine;  // all on one line, the failed files by name
};

struct BatchResult;

// The texts of a batch's end, in the language `text` gives by offset.
BatchEndText DescribeBatchEnd(const BatchResult& result, const QString& folder,
                              const std::function<QString(int)>& text);

class BatchNote : public QDialog {
  Q_OBJECT
 public:
  // openFolderCaption and closeCaption are the buttons' captions in the language shown.
  BatchNote(QWidget* parent, const BatchEndText& text, const QString& folder,
            const QString& openFolderCaption, const QString& closeCaption);

  QString folder() const { return folder_; }
  QLabel* summary() const { return summary_; }
  QPlainTextEdit* failures() const { return failures_; }
  QPushButton* openFolderButton() const { return openFolder_; }
  QPushButton* closeButton() const { return close_; }

 private:
  QString folder_;
  QLabel* summary_;
  QPlainTextEdit* failures_;
  QPushButton* openFolder_;
  QPushButton* close_;
};

}  // namespace pixtrel
