#pragma once
// The main window: banner, folder browser, the eighteen tabs with their commands, progress bar,
// status bar and menus. It owns the working folder (also the process's current directory) and
// the selection, and hands both, with its option controls, to the batch commands.
//
// The class is split over several files: MainForm.cpp (start, first activation, close),
// MainFormLayout.cpp, MainFormPages.cpp, MainFormFormatPages.cpp, MainFormInfoPages.cpp,
// MainFormMenus.cpp, MainFormBrowser.cpp, MainFormBatch.cpp, MainFormProcess.cpp,
// MainFormStoredChoices.cpp, and the hooks that the language, preview and recent-folder parts fill:
// FormLanguage.cpp, FormPreview.cpp, FormRecent.cpp.
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMap>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/OpenRequest.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QShortcut;
class QSlider;
class QSplitter;
class QStatusBar;
class QTimer;

#include "batch/BatchHost.h"
#include "batch/CommandId.h"
#include "codecs/FormatRow.h"

namespace pixtrel {

class WindowBatchRun;
struct BatchResult;
class BatchNote;
class DriveComboBox;
class FileListBox;
class FolderTree;
class PageControl;
class ProcessPage;
class SummaryDialog;
class WindowProcessRun;
class RadioGroup;
class TPreviewForm;
class TSlikca;

class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // Creation: builds the window, writes "prisoten" and "verzija" and reads "jezik".
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Program-wide values.
  const QString ProgramVersion = QStringLiteral("1.2");
  const int PreviewScaleDivisor = 4;
  QString UpdatePageAddress;
  QString HomePageAddress;
  QString MakerPageAddress;
  int CurrentLanguage = 2;
  bool FirstActivation = true;
  QMap<int, QString> LanguageTexts;  // by text offset
  // The direction of the loaded texts: right to left for Hebrew.
  Qt::LayoutDirection LanguageDirection = Qt::LeftToRight;

  // Tab indexes. The menus, the masks and the settings know tabs by these; tabs added later take
  // the next indexes, whatever place they are shown at on the strip.
  enum Tab {
    TabJpg = 0,
    TabGif,
    TabBmp,
    TabAbout,
    TabHelp,
    TabGifToJpg,
    TabJpgToGif,
    TabBmpToJpg,
    TabBmpToGif,
    TabRotate,
    TabJpegQuality,
    TabGreyscale,
    TabOptions,
    TabJpgToBmp,
    TabGifToBmp,
    TabPng,
    TabWebp,
    TabConvertTo  // "Resize & convert", in the place of the "Convert to…" tab it replaced
  };

  // The folder browser's width at first start, and the least it can be narrowed to.
  static constexpr int kBrowserWidth = 220;
  static constexpr int kBrowserMinimumWidth = 160;

  // Controls, named as their object names.
  QWidget* Panel1 = nullptr;
  QLabel* Image1 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  DriveComboBox* DriveComboBox10 = nullptr;
  FolderTree* DirectoryListBox10 = nullptr;
  FileListBox* FileListBox10 = nullptr;
  QSplitter* Splitter1 = nullptr;  // between the folder browser and the tabs
  QMenu* PopupMenu1 = nullptr;
  QAction* P1 = nullptr;
  PageControl* PageControl1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QPushButton* StopButton = nullptr;
  QShortcut* StopShortcut = nullptr;  // Esc while a batch runs
  QStatusBar* StatusBar1 = nullptr;
  QLabel* StatusPanel1 = nullptr;
  QLabel* StatusPanel2 = nullptr;
  QLabel* StatusPanel3 = nullptr;  // the focused file's size, or how the last batch ended
  QTimer* Timer2 = nullptr;
  // The viewer and the preview window, created hidden after the main window's own controls.
  TSlikca* Slikca = nullptr;
  TPreviewForm* PreviewForm = nullptr;

  QSlider* TrackBar1 = nullptr;   // GIF: 0 normal, 1 better
  QSlider* TrackBar2 = nullptr;   // JPG
  QSlider* TrackBar3 = nullptr;   // BMP
  QSlider* TrackBar7 = nullptr;   // the JPEG quality command's quality
  QSlider* TrackBar9 = nullptr;   // hidden: resampling filter of the JPG tab
  QSlider* TrackBar10 = nullptr;  // JPEG quality when saving
  QSlider* TrackBar15 = nullptr;  // PNG
  QSlider* TrackBar16 = nullptr;  // WebP
  QLineEdit* Edit1 = nullptr;     // GIF pixels
  QLineEdit* Edit2 = nullptr;     // JPG pixels
  QLineEdit* Edit3 = nullptr;     // BMP pixels
  QLineEdit* Edit4 = nullptr;     // hidden, empty
  QLineEdit* Edit15 = nullptr;    // PNG pixels
  QLineEdit* Edit16 = nullptr;    // WebP pixels
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* Button6 = nullptr;
  QPushButton* Button7 = nullptr;
  QPushButton* Button8 = nullptr;
  QPushButton* Button9 = nullptr;
  QPushButton* Button10 = nullptr;
  QPushButton* Button11 = nullptr;
  QPushButton* Button12 = nullptr;
  QPushButton* Button13 = nullptr;
  QPushButton* Button14 = nullptr;
  QPushButton* Button15 = nullptr;    // resize PNG
  QPushButton* Button16 = nullptr;    // resize WebP
  QPushButton* Button17 = nullptr;    // runs the "Resize & convert" tab
  RadioGroup* Radio1 = nullptr;       // save mode
  RadioGroup* Radio2 = nullptr;       // rotation
  QCheckBox* CheckBox1 = nullptr;     // keep date and time
  QCheckBox* CheckBox2 = nullptr;     // make pictures smaller but not larger
  QCheckBox* CheckBox3 = nullptr;     // ignore the orientation tag of photos
  QCheckBox* CheckBox4 = nullptr;     // Rotate tab: turn JPEG files without loss
  QCheckBox* CheckBox5 = nullptr;     //   and trim the edge blocks such a turn cannot keep
  QComboBox* ComboBox1 = nullptr;     // that tab's format: items carry the format's key, or keep
  ProcessPage* ProcessTab = nullptr;  // the "Resize & convert" tab (MainFormProcess.cpp)
  QComboBox* ComboBox2 = nullptr;     // metadata: items carry "keep", "strip", "strip-gps"
  QLabel* Image2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Image30 = nullptr;
  QLabel* HotLabel1 = nullptr;
  QLabel* Label6 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QPlainTextEdit* Memo2 = nullptr;
  QPlainTextEdit* Memo3 = nullptr;
  QPlainTextEdit* Memo4 = nullptr;
  QPlainTextEdit* Memo5 = nullptr;
  QPlainTextEdit* Memo6 = nullptr;

  QMenu* M1 = nullptr;  // File
  QMenu* M2 = nullptr;  // Resize
  QMenu* M3 = nullptr;  // Convert
  QMenu* M7 = nullptr;  // Language
  QMenu* M9 = nullptr;  // Help
  QMenu* M15 = nullptr;
  QMenu* M16 = nullptr;
  QAction* M12 = nullptr;
  QAction* M13 = nullptr;
  QAction* M14 = nullptr;  // Options
  QAction* M151 = nullptr;
  QAction* M152 = nullptr;
  QAction* M153 = nullptr;
  QAction* M154 = nullptr;
  QAction* M155 = nullptr;
  QAction* M161 = nullptr;
  QAction* M162 = nullptr;
  QAction* M163 = nullptr;
  QAction* M164 = nullptr;
  QAction* M19 = nullptr;
  QAction* M71 = nullptr;
  QAction* M72 = nullptr;
  QAction* M79 = nullptr;
  QAction* M91 = nullptr;
  QAction* M92 = nullptr;
  QAction* M93 = nullptr;
  QAction* M94 = nullptr;
  QAction* M95 = nullptr;
  QAction* M96 = nullptr;
  QAction* M97 = nullptr;
  QAction* M99 = nullptr;

  // Start and stop.
  void FormActivate();
  void Timer2Timer();

  // The folder browser.
  QString Folder() const;
  // Moves the browser to the folder; false when it cannot be entered.
  bool SetFolder(const QString& path);
  void PageControl1Change();
  // Shows the tab and sets its file mask, as choosing it on the tab strip does.
  void ShowTab(int index);
  // Opens what the command line or a drop names: the folder, or the files' folder with exactly
  // those files selected on the tab of their format; what cannot be opened is told in a box.
  void OpenPaths(const QStringList& paths, OpenJob job = OpenJob::Any);
  void Osvezi();
  void P1Click() { Osvezi(); }
  // The focused file's full path when its entry is selected, otherwise empty.
  QString FocusedFilePath() const;
  void FileListBox10Click();
  // The status bar tells the focused file's pixel size and file size.
  void ShowFocusedFileInfo();
  // The tab shown step places after (or before) the current one on the strip, wrapping round,
  // chosen as a click on it would; the focus goes to the tab's first control.
  void StepTab(int step);
  // Moves the focus to the first control of the tab shown, drawn as keyboard focus.
  void FocusTabStart();
  // Under a "Pixels:" box: a warning while its text is not a size a resize would take.
  void CheckPixelsText(QLineEdit* box);
  void FileListBox10DblClick();
  void DeleteFocusedFile();
  void TrackBar7Change();

  // Batch commands, by their names in the core's registry or by id. The batch runs on a thread
  // of its own: the call returns at once, with the controls locked until it ends.
  void RunCommand(const QString& commandName);
  void RunCommand(CommandId command);
  // The button that runs the command.
  QPushButton* CommandButton(CommandId command) const;
  // A resize tab: the format it resizes, its tab index and its controls. One for each resizable
  // row of the registry, in resize order.
  struct ResizeTab {
    const FormatRow* row = nullptr;
    int tab = 0;
    QSlider* method = nullptr;
    QLineEdit* pixels = nullptr;
    QPushButton* button = nullptr;
    QString suffix;       // of its controls' names: "2" (Edit2), "_KEY" (Edit_KEY)
    QString settingsKey;  // of its pixel text: "KEY.px"
  };
  const std::vector<ResizeTab>& ResizeTabs() const { return resizeTabs_; }
  bool BatchRunning() const { return busy_; }
  bool IsBusy() const { return busy_; }
  // The "Resize & convert" tab's button: the one-pass command over the selected files, on a
  // thread of its own, with the window locked as for the other commands (MainFormProcess.cpp).
  void RunProcessTab();
  // Its end, on the window's thread: unlock, refresh the list, the summary.
  void ProcessThreadEnded();
  // The summary of the last run of the tab, while it is open.
  SummaryDialog* LastSummary() const;
  // The tab's line for the focused file.
  void UpdateProcessLine();
  // Waits, serving the window's events, until the running batch (if any) has ended.
  void WaitForBatch();
  // Files a batch works on at once; 0 (the default) means one per core, 1 one after the other.
  void SetBatchJobs(int jobs) { batchJobs_ = jobs; }
  int BatchJobs() const { return batchJobs_; }
  // The end of a batch, on the window's thread: unlock, report, close when asked meanwhile.
  void BatchThreadEnded();
  bool StopRequested() const { return stop_; }
  void RequestStop();
  // A file of the running batch failed: the error box with "Stop" (the default), "Skip this
  // file" and "Skip all errors".
  FailureChoice AskAboutFailure(const QString& name, const QString& message);
  // The end of a batch told: a line in the status bar, and a note when it took a while or
  // anything failed or was stopped.
  void ShowBatchEnd(const BatchResult& result, const QString& outputFolder, qint64 milliseconds);
  // The note of the last batch, while it is open.
  BatchNote* LastBatchNote() const;
  // Batches that took longer than this get a note even when all went well.
  static constexpr qint64 kNoteAfterMilliseconds = 3000;
  // Recent and special folders (FormRecent.cpp).
  void AddFolderToRecent();
  void NaloziRecent();
  // The folders the entries M151 to M155 show, newest first.
  QStringList RecentCaptions() const;
  void M151Click();
  void M152Click();
  void M153Click();
  void M154Click();
  void M155Click();
  void M161Click();
  void M162Click();
  void M163Click();
  void M164Click();
  // Languages (FormLanguage.cpp).
  void LoadLanguageTexts(int code);
  void ApplyLanguageTexts();
  void ShowLanguageMemos(int code);
  void ChooseLanguage(int code);
  // The loaded language's text at an offset for a message box, the English one where the
  // language has none: a message never shows empty.
  QString WindowText(int offset) const;
  // Preview and viewer (FormPreview.cpp).
  void Preview(const QString& path);
  void UpdatePreview(const QString& path);
  void M12Click();
  void OpenPreviewAtStart();
  // The preview window's inside top-left corner (without the frame), once the window was
  // placed during this run.
  std::optional<QPoint> PreviewTopLeft() const;
  // The preview window's close handler: clears M12's check mark, stores "preview" = 0 and the
  // window's place.
  void PreviewFormClose();
  // Titles the viewer and the preview window from the language texts (offsets 301 and 412).
  void RetitleSecondaryWindows();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildLayout();
  QWidget* BuildBanner();
  QWidget* BuildBrowser();
  void BuildPages();
  void BuildFormatPages();
  QWidget* BuildResizePage(const QString& sheet, const QString& suffix, QSlider*& method,
                           QLineEdit*& pixels, QPushButton*& button);
  QWidget* BuildButtonPage(QPushButton*& button, const QString& name, const QString& caption);
  QWidget* BuildRotatePage();
  QWidget* BuildQualityPage();
  QWidget* BuildProcessPage();
  // Tells, under the button and in the status bar, that nothing is selected; true then.
  bool NothingSelected(QWidget* button);
  QWidget* BuildOptionsPage();
  QWidget* BuildPictureOptions(QWidget* page);
  // Between the Options tab's check boxes and choices.
  static constexpr int kOptionSpacing = 4;
  QWidget* BuildAboutPage();
  QWidget* BuildHelpPage();
  void BuildStatusBar();
  void BuildMenus();
  void BuildLanguageMenu();
  void BuildHelpMenu();
  void ConnectCommandButtons();

  void FormClose();
  // The choices stored beside the pixel texts: the conversion target, shrink-only, the
  // orientation tag and the metadata (MainFormStoredChoices.cpp).
  void ReadStoredChoices();
  void WriteStoredChoices();
  void RestorePlacement(int top, int left, int width, int height);
  void SetBatchLock(bool locked);
  // The end of a run: controls unlocked, Stop and the progress bar hidden, a pending mask set.
  void EndRunLock();
  void VolumePicked(const QString& root);
  void BuildSecondaryWindows();
  // Moves the browser to a recent or special folder; one that cannot be entered is reported.
  void GoToFolder(const QString& folder);
  void OpenRecentEntry(QAction* entry);
  void UpdateSpecialFolderEntries();

  // Runs a handler's work; an error ends it and shows its message in the error box.
  template <class Work>
  void Guarded(Work&& work);
  void ShowError(const std::exception& error);
  // Tells once a run, when the event loop runs, that the settings store was found damaged.
  void NoteDamagedSettings();
  // Moves the window down or in where its frame's title bar lies off the screen.
  // True when it moved or cut the window.
  bool KeepTitleBarOnScreen();
  void KeepTitleBarOnScreenOnceFramed(int triesLeft);
  bool framedOnce_ = false;  // the first show has started watching for the frame
  bool settingsNoted_ = false;
  void StartBatch(const BatchCommand& command);
  friend class WindowBatchRun;

  std::vector<ResizeTab> resizeTabs_;
  std::vector<std::function<void()>> unlock_;  // restores what the batch lock changed
  bool busy_ = false;
  bool stop_ = false;
  bool closePending_ = false;
  std::optional<QString> pendingMask_;
  QMap<QString, QString> lastFolderOnVolume_;
  int batchJobs_ = 0;
  QElapsedTimer batchClock_;
  QPointer<BatchNote> batchNote_;
  QPointer<SummaryDialog> summary_;
  // Last, so it ends first: a batch still running when the window goes is stopped and waited for.
  struct EndBatchRun {
    void operator()(WindowBatchRun* run) const;
  };
  std::unique_ptr<WindowBatchRun, EndBatchRun> batchRun_;
  struct EndProcessRun {
    void operator()(WindowProcessRun* run) const;
  };
  std::unique_ptr<WindowProcessRun, EndProcessRun> processRun_;

 signals:
  // A batch started from the window has ended and the window is unlocked.
  void batchFinished();
};

template <class Work>
void TForm1::Guarded(Work&& work) {
  try {
    work();
  } catch (const std::exception& error) {
    ShowError(error);
  }
}

}  // namespace pixtrel
