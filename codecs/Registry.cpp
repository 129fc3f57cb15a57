#include "codecs/Registry.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "core/FileName.h"

// The formats in registry order (the conversion targets' order), one a line; each row is
// defined in its codec's folder: ROW(Jpeg) is JpegRow() of codecs/jpeg/JpegRow.cpp. A new
// format is one more line above the last.
#define PIXTREL_FORMAT_ROWS(ROW) \
  ROW(Jpeg)                      \
  ROW(Png)                       \
  ROW(Webp)                      \
  ROW(Gif)                       \
  ROW(Bmp)                       \
  ROW(Heic)                      \
  ROW(Avif)                      \
  ROW(Jxl)                       \
  /* end of the list */

namespace pixtrel {

#define PIXTREL_DECLARE_ROW(Name) const FormatRow& Name##Row();
PIXTREL_FORMAT_ROWS(PIXTREL_DECLARE_ROW)
#undef PIXTREL_DECLARE_ROW

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

}  // namespace

const std::vector<const FormatRow*>& Registry() {
#define PIXTREL_LIST_ROW(Name) &Name##Row(),
  static const std::vector<const FormatRow*> rows = {PIXTREL_FORMAT_ROWS(PIXTREL_LIST_ROW)};
#undef PIXTREL_LIST_ROW
  return rows;
}

std::string FormatRow::mask() const {
  std::string text;
  for (std::string_view extension : extensions) {
    if (!text.empty()) text += ';';
    text += '*';
    text += extension;
  }
  return text;
}

const FormatRow* RowForKey(std::string_view word) {
  const std::string lower = Lower(word);
  for (const FormatRow* row : Registry()) {
    if (row->key == lower) return row;
    if (std::find(row->aliases.begin(), row->aliases.end(), lower) != row->aliases.end())
      return row;
  }
  return nullptr;
}

const FormatRow* RowForFileName(std::string_view fileName) {
  const std::string extension = Lower(ExtensionOf(fileName));
  for (const FormatRow* row : Registry()) {
    if (std::find(row->extensions.begin(), row->extensions.end(), extension) !=
        row->extensions.end())
      return row;
  }
  return nullptr;
}

std::vector<const FormatRow*> ResizableRows() {
  std::vector<const FormatRow*> rows;
  for (const FormatRow* row : Registry()) {
    if (row->resizable()) rows.push_back(row);
  }
  std::stable_sort(rows.begin(), rows.end(), [](const FormatRow* a, const FormatRow* b) {
    return a->resizeRank < b->resizeRank;
  });
  return rows;
}

std::vector<const FormatRow*> WritableRows() {
  std::vector<const FormatRow*> rows;
  for (const FormatRow* row : Registry()) {
    if (row->writable()) rows.push_back(row);
  }
  return rows;
}

}  // namespace pixtrel
