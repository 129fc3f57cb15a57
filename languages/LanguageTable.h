#pragma once
// The translation table: one text per id, id = language code * 1000 + offset. The table is
// languages/texts.tsv, built into the program; a row is "id<TAB>text", and lines that are empty
// or start with "#" are left out. Texts are stored and shown exactly as written, in UTF-8.
#include <QByteArrayView>
#include <QHash>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>

namespace pixtrel {

// The window's texts from offset 500 on, by what they caption.
enum TextOffset : int {
  kTextOptions = 500,            // the Options tab and its entry in the File menu
  kTextConvertTo = 501,          // the "Convert to" tab and its entry in the Convert menu
  kTextFormat = 502,             // the format label of the "Convert to" tab
  kTextShrinkOnly = 503,         // Options: make pictures smaller but not larger
  kTextShrinkOnlyTip = 504,      //   its tooltip
  kTextIgnoreOrientation = 505,  // Options: leave photos as stored
  kTextIgnoreOrientationTip = 506,
  kTextMetadata = 507,  // Options: the metadata label and its three choices
  kTextMetadataKeep = 508,
  kTextMetadataStrip = 509,
  kTextMetadataStripGps = 510,
  kTextHowToSave = 511,   // Options: the save-mode group (the window adds "...")
  kTextSavePrefix = 512,  //   its three choices; %1 in the second is the path separator
  kTextSaveSubfolder = 513,
  kTextSaveOverwrite = 514,
  kTextSaveQuality = 515,     // Options: the JPEG save quality group
  kTextKeepDate = 516,        // Options: preserve the file date
  kTextLanguage = 517,        // the Language menu
  kTextSpecialFolders = 518,  // the Special folders menu and its four entries
  kTextPicturesFolder = 519,
  kTextDocumentsFolder = 520,
  kTextRecentFiles = 521,
  kTextDesktopFolder = 522,
  kTextForum = 523,         // Help menu (the window adds "...")
  kTextAddLanguage = 524,   // Language menu
  kTextStatusNotice = 525,  // the status bar's notice
  kTextAboutNotice = 526,   // the line under the About title
  kTextBanner = 527,        // the banner's line
  kTextDonate = 528,        // the donate button
  kTextStop = 529,          // Stop: beside the progress bar and in the error box
  kTextStopTip = 530,
  kTextSelectFirst = 531,  // a command button pressed with nothing selected
  kTextSkipFile = 532,     // the error box's other two buttons
  kTextSkipAll = 533,
  kTextWrittenMany = 534,   // the end of a batch: %1 pictures written to %2
  kTextWrittenOne = 535,    //   one picture written to %1
  kTextStoppedAfter = 536,  //   stopped after %1 of %2
  kTextFailedOf = 537,      //   %1 of %2 failed, a list follows
  kTextOpenFolder = 538,    //   the note's buttons
  kTextClose = 539,
  kTextPreviewHint = 540,  // the empty preview window
  kTextPixelSize = 541,    // the status bar: %1 x %2 pixels, and file sizes
  kTextBytes = 542,
  kTextKilobytes = 543,
  kTextMegabytes = 544,
  kTextPixelsWarning = 545,  // beside a Pixels: box whose text no resize would take
  kTextMoveToTrash = 546,    // Delete in the file list: the question (%1 the file's name)
  kTextYes = 547,            //   and its two answers
  kTextNo = 548,
  kTextTrashFailed = 549,       //   the file could not be moved (%1 the file's name)
  kTextNotAvailable = 550,      // a command missing from this build (%1 its name)
  kTextCannotOpenFolder = 551,  // a folder the browser cannot show (%1 the folder)
  // The "Resize & convert" tab: its title (also its button and menu entry), its controls' labels
  // and choices, the preset box, and the summary at the end of its run.
  kTextProcessTab = 560,
  kTextSize = 561,  // the size rule: its label and its ten choices
  kTextSizeNone = 562,
  kTextSizeLong = 563,
  kTextSizeShort = 564,
  kTextSizeWidth = 565,
  kTextSizeHeight = 566,
  kTextSizeFit = 567,
  kTextSizeFill = 568,
  kTextSizeStretch = 569,
  kTextSizePad = 570,
  kTextSizePercent = 571,
  kTextMethod = 572,      // the method (its other two choices are the resize tabs' 101 and 102)
  kTextMethodFast = 573,  //
  kTextTurn = 574,        // the turn (its other three choices are the Rotate tab's 441 to 443)
  kTextTurnNone = 575,
  kTextFlipH = 576,
  kTextFlipV = 577,
  kTextSameFormat = 578,  // the format choice that keeps each picture's own
  kTextQuality = 579,
  kTextLossless = 580,
  kTextProgressive = 581,
  kTextOptimise = 582,
  kTextBackground = 583,  // the background colour button's label and tooltip
  kTextBackgroundTip = 584,
  kTextSharpen = 585,  // sharpening: its label and three choices
  kTextSharpenNone = 586,
  kTextSharpenLight = 587,
  kTextSharpenMedium = 588,
  kTextOutputFolder = 589,  // the output folder: label, what an empty box means, browse button
  kTextBesideSources = 590,
  kTextBrowse = 591,
  kTextNameTemplate = 592,  // the name template and its tooltip naming the tokens
  kTextNameTemplateTip = 593,
  kTextExisting = 594,  // when the output exists: label and three choices
  kTextExistingNumber = 595,
  kTextExistingSkip = 596,
  kTextExistingOverwrite = 597,
  kTextPreset = 598,  // the preset box: label, the empty choice, its buttons and questions
  kTextNoPreset = 599,
  kTextSavePreset = 600,
  kTextDeletePreset = 601,
  kTextPresetName = 602,
  kTextPresetBuiltIn = 603,  //   %1 the preset's name
  kTextDeletePresetQuestion = 604,
  kTextSummaryCounts = 605,  // the summary: %1 written, %2 skipped, %3 failed
  kTextSummaryBytes = 606,   //   %1 read, %2 written (sizes)
  kTextSummaryTime = 607,    //   %1 seconds
  kTextFailedHeading = 608,
  kTextSkippedHeading = 609,
  kTextPresetEmail = 610,  // the built-in presets' names as the preset box shows them
  kTextPresetWeb = 611,
  kTextPresetPhone = 612,
  kTextPresetThumbnails = 613,
  kTextLosslessTurn = 720,     // the Rotate tab: turn JPEG files on their compressed data
  kTextLosslessTrim = 721,     //   and drop the partial edge blocks such a turn cannot keep
  kTextLosslessTurnTip = 722,  //   the first one's tooltip
};

// The offsets of the texts every language carries, in table order.
inline constexpr std::array<int, 142> kTextOffsets = {
    101, 102, 103, 104, 105, 106, 110, 111, 112, 120, 121, 122, 130, 131, 132, 133, 140, 152,
    153, 201, 301, 401, 412, 415, 419, 441, 442, 443, 492, 493, 494, 499, 500, 501, 502, 503,
    504, 505, 506, 507, 508, 509, 510, 511, 512, 513, 514, 515, 516, 517, 518, 519, 520, 521,
    522, 523, 524, 525, 526, 527, 528, 529, 530, 531, 532, 533, 534, 535, 536, 537, 538, 539,
    540, 541, 542, 543, 544, 545, 546, 547, 548, 549, 550, 551, 560, 561, 562, 563, 564, 565,
    566, 567, 568, 569, 570, 571, 572, 573, 574, 575, 576, 577, 578, 579, 580, 581, 582, 583,
    584, 585, 586, 587, 588, 589, 590, 591, 592, 593, 594, 595, 596, 597, 598, 599, 600, 601,
    602, 603, 604, 605, 606, 607, 608, 609, 610, 611, 612, 613, 700, 720, 721, 722};

// The note about a settings store that could not be read or written (%1: where it lives).
inline constexpr int kSettingsNoteOffset = 700;

// The language codes that have texts: Slovenian (1), English (2) and the translations.
inline constexpr std::array<int, 35> kLanguageCodes = {
    1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 19, 21,
    22, 23, 24, 28, 29, 30, 38, 40, 46, 47, 49, 50, 53, 58, 61, 63, 64};

inline constexpr int kEnglish = 2;
inline constexpr int kSlovenian = 1;

// A parsed table, with a line for every row that could not be read.
struct LanguageTable {
  QHash<int, QString> texts;
  QStringList errors;
};

// Reads rows of "id<TAB>text". A row with a bad id, no tab, an empty text, text that is not
// UTF-8 or an id seen before is left out and reported in errors, with its line number.
LanguageTable ParseLanguageTable(QByteArrayView utf8);

// The table built into the program, read once.
const LanguageTable& BuiltInLanguageTable();

// The text of an id; empty when the table has none.
QString LanguageText(int id);

// The text at an offset of a language; empty when the table has none, also for codes so large
// that code * 1000 + offset does not fit an id.
QString LanguageText(int code, int offset);

// The English text at an offset: the captions a control carries until a language is applied.
inline QString EnglishText(int offset) {
  return LanguageText(kEnglish, offset);
}

// The locale of a language's texts, for numbers (Slovenian: sl_SI, ...); English for a code
// without texts.
QLocale LocaleOf(int code);

// Hebrew is written from right to left; every other language of the table from left to right.
bool IsRightToLeft(int code);

}  // namespace pixtrel
