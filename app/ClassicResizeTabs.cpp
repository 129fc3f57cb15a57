#include "app/ClassicResizeTabs.h"

#include "codecs/Registry.h"

namespace pixtrel {

const std::vector<ClassicResizeTab>& ClassicResizeTabs() {
  static const std::vector<ClassicResizeTab> tabs = {
      {"jpg", TForm1::TabJpg, "TabSheet2", "2", "M21", &TForm1::TrackBar2, &TForm1::Edit2,
       &TForm1::Button2},
      {"bmp", TForm1::TabBmp, "TabSheet5", "3", "M22", &TForm1::TrackBar3, &TForm1::Edit3,
       &TForm1::Button3},
      {"gif", TForm1::TabGif, "TabSheet1", "1", "M23", &TForm1::TrackBar1, &TForm1::Edit1,
       &TForm1::Button1},
      {"png", TForm1::TabPng, "TabSheet16", "15", "M24", &TForm1::TrackBar15, &TForm1::Edit15,
       &TForm1::Button15},
      {"webp", TForm1::TabWebp, "TabSheet17", "16", "M25", &TForm1::TrackBar16, &TForm1::Edit16,
       &TForm1::Button16},
  };
  return tabs;
}

const ClassicResizeTab* ClassicResizeTabFor(const FormatRow& row) {
  for (const ClassicResizeTab& tab : ClassicResizeTabs()) {
    if (RowForKey(tab.key) == &row) return &tab;
  }
  return nullptr;
}

std::vector<const FormatRow*> AddedResizableRows() {
  std::vector<const FormatRow*> rows;
  for (const FormatRow* row : ResizableRows()) {
    if (!ClassicResizeTabFor(*row)) rows.push_back(row);
  }
  return rows;
}

std::optional<int> ResizeTabOf(const FormatRow& row) {
  if (const ClassicResizeTab* classic = ClassicResizeTabFor(row)) return classic->tab;
  const std::vector<const FormatRow*> added = AddedResizableRows();
  for (std::size_t i = 0; i < added.size(); ++i) {
    if (added[i] == &row) return TForm1::TabConvertTo + 1 + static_cast<int>(i);
  }
  return std::nullopt;
}

const FormatRow* RowOfResizeTab(int tab) {
  for (const ClassicResizeTab& classic : ClassicResizeTabs()) {
    if (classic.tab == tab) return RowForKey(classic.key);
  }
  const std::vector<const FormatRow*> added = AddedResizableRows();
  const int i = tab - TForm1::TabConvertTo - 1;
  return i >= 0 && i < static_cast<int>(added.size()) ? added[static_cast<std::size_t>(i)]
                                                      : nullptr;
}

QString AddedTabSuffix(const FormatRow& row) {
  return QStringLiteral("_") + QString::fromUtf8(row.key.data(), qsizetype(row.key.size()));
}

}  // namespace pixtrel
