#pragma once
// Which tab resizes which format. The five formats the window has always resized keep their
// tabs, controls and Resize-menu entries by a frozen table (their object names and tab indexes
// are what stored settings, tests and scripts know); every other resizable row of the registry
// gets a page of its own, built from its key, after the "Convert to" tab.
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

#include "app/MainForm.h"
#include "codecs/FormatRow.h"

namespace pixtrel {

struct ClassicResizeTab {
  std::string_view key;  // the row's key
  int tab;               // its tab index
  const char* sheet;     // the page's object name
  const char* suffix;    // of its controls' names: Edit2, TrackBar2, Button2, LabelPixels2...
  const char* menu;      // its Resize-menu entry
  QSlider* TForm1::*method;
  QLineEdit* TForm1::*pixels;
  QPushButton* TForm1::*button;
};

// In the Resize menu's order: JPG, BMP, GIF, PNG, WebP.
const std::vector<ClassicResizeTab>& ClassicResizeTabs();
const ClassicResizeTab* ClassicResizeTabFor(const FormatRow& row);

// The resizable rows without a classic tab, in resize order: the i-th is on tab
// TForm1::TabConvertTo + 1 + i.
std::vector<const FormatRow*> AddedResizableRows();
// The tab that resizes the row's files, or nothing for a row that is not resized.
std::optional<int> ResizeTabOf(const FormatRow& row);
// The row a resize tab resizes, or null for any other tab.
const FormatRow* RowOfResizeTab(int tab);
// The suffix of an added row's controls' names: "_KEY" (Edit_KEY, TrackBar_KEY, Button_KEY).
QString AddedTabSuffix(const FormatRow& row);

}  // namespace pixtrel
