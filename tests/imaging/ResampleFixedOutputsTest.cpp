// The resampler against outputs computed once, outside this code: make_resample_reference.py
// evaluates the resampler's definition in plain Python (exact fractions for the sums) for a few
// small pictures and every filter of the table, and its outputs are committed in
// resample_reference/. Every byte must match, all rows at once and row by row.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "imaging/ResampleBitmap.h"
#include "imaging/RowResampler.h"

namespace fs = std::filesystem;

namespace pixtrel {
namespace {

const fs::path kFolder = fs::path(PIXTREL_SOURCE_DIR) / "tests/imaging/resample_reference";

// A binary PPM (P6, maxval 255) as a Bitmap24; empty when the file is not one.
Bitmap24 ReadPpm(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int width = 0, height = 0, maxval = 0;
  in >> magic >> width >> height >> maxval;
  in.get();  // the one blank after the header
  if (!in || magic != "P6" || maxval != 255 || width < 1 || height < 1) return Bitmap24();
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      char rgb[3];
      if (!in.read(rgb, 3)) return Bitmap24();
      for (int c = 0; c < 3; ++c)
        picture.row(y)[3 * x + 2 - c] = static_cast<std::uint8_t>(rgb[c]);
    }
  }
  return picture;
}

const FilterEntry* FilterNamed(const std::string& name) {
  for (const FilterEntry& entry : FilterTable) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

TEST(ResampleFixedOutputs, EveryFilterGivesTheCommittedBytes) {
  std::map<std::string, Bitmap24> sources;
  std::set<std::string> filtersSeen;
  int compared = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kFolder)) {
    // SOURCE-WxH-FILTER.ppm; the sources themselves are SOURCE.ppm.
    const std::string stem = entry.path().stem().string();
    const auto firstDash = stem.find('-');
    if (firstDash == std::string::npos) continue;
    const auto secondDash = stem.find('-', firstDash + 1);
    ASSERT_NE(secondDash, std::string::npos) << stem;
    const std::string sourceName = stem.substr(0, firstDash);
    const std::string filterName = stem.substr(secondDash + 1);
    const FilterEntry* filter = FilterNamed(filterName);
    ASSERT_NE(filter, nullptr) << stem;

    if (!sources.count(sourceName)) sources[sourceName] = ReadPpm(kFolder / (sourceName + ".ppm"));
    const Bitmap24& source = sources[sourceName];
    ASSERT_FALSE(source.empty()) << sourceName;
    const Bitmap24 expected = ReadPpm(entry.path());
    ASSERT_FALSE(expected.empty()) << stem;

    Bitmap24 target(expected.width(), expected.height(), 77);
    ResampleBitmap(source, target, filter->function, filter->support);
    for (int y = 0; y < expected.height(); ++y) {
      for (int i = 0; i < expected.width() * 3; ++i) {
        ASSERT_EQ(target.row(y)[i], expected.row(y)[i])
            << stem << ": pixel " << i / 3 << "," << y << " channel " << i % 3;
      }
    }
    // The JPEG resize feeds the resampler two rows at a time as they are decoded.
    Bitmap24 byRows(expected.width(), expected.height(), 77);
    RowResampler rows(source.width(), source.height(), byRows, filter->function, filter->support);
    for (int y = 0; y < source.height(); y += 2)
      rows.AddRows(source.row(y), source.stride(), y, std::min(2, source.height() - y));
    rows.Finish();
    for (int y = 0; y < expected.height(); ++y)
      ASSERT_TRUE(std::equal(byRows.row(y), byRows.row(y) + expected.width() * 3, expected.row(y)))
          << stem << ": row " << y << " given row by row";
    filtersSeen.insert(filterName);
    ++compared;
  }
  EXPECT_EQ(filtersSeen.size(), FilterTable.size());
  EXPECT_EQ(compared, 3 * static_cast<int>(FilterTable.size()));
}

}  // namespace
}  // namespace pixtrel
