// What the window says a file becomes, told from its header before the run, is what the run
// makes of it: the output's name and pixel size for every size rule, the turns, the orientation
// tag, name templates with sizes and numbers, other formats and folders, and an output that is
// there already. And which encoder settings each format's writer heeds.
#include "batch/OutputPreview.h"

#include <gtest/gtest.h>

#include "codecs/Registry.h"
#include "core/Errors.h"
#include "io/FileBytes.h"
#include "operations/WriterOptions.h"
#include "tests/support/TestSupport.h"

namespace pixtrel::test {
namespace {

namespace fs = std::filesystem;

// An EXIF block (from its TIFF header on) holding only the orientation tag.
std::vector<std::uint8_t> OrientationExif(int tag) {
  return {'I',  'I',  42, 0, 8, 0, 0, 0,  // little-endian TIFF, first directory at 8
          1,    0,                        // one entry
          0x12, 0x01, 3,  0, 1, 0, 0, 0, static_cast<std::uint8_t>(tag),
          0,    0,    0,  0, 0, 0, 0};  // no next directory
}

// In the format its name says.
void WritePicture(const fs::path& file, int width, int height, int orientation = 0) {
  PictureMetadata metadata;
  if (orientation) metadata.exif = OrientationExif(orientation);
  EncodeJob job;
  job.raster = TestPattern(width, height, 3);
  job.metadata = &metadata;
  WriteBytes(file, RowForFileName(file.filename().string())->encode(job));
}

ProcessJob JobOf(const std::vector<std::pair<std::string, std::string>>& options) {
  ProcessJob job;
  for (const auto& [name, value] : options)
    ApplyOption(job, name, value);
  return job;
}

TEST(OutputPreview, TellsTheNameAndSizeTheRunGives) {
  TempFolder folder;
  WritePicture(folder / "a.jpg", 64, 48, 6);  // upright: 48 x 64
  WritePicture(folder / "b.png", 50, 30);
  WritePicture(folder / "c.webp", 21, 33);
  const std::vector<std::vector<std::pair<std::string, std::string>>> jobs = {
      {},
      {{"size", "long:20"}, {"to", "png"}},
      {{"size", "short:10"}},
      {{"size", "width:25"}, {"to", "bmp"}},
      {{"size", "height:25"}, {"shrink-only", "yes"}},
      {{"size", "fit:30x30"}, {"to", "gif"}},
      {{"size", "fill:30x10"}},
      {{"size", "stretch:13x7"}, {"method", "better"}},
      {{"size", "pad:40x40"}, {"to", "png"}},
      {{"size", "percent:50"}},
      {{"size", "long:20"}, {"method", "better"}, {"to", "keep"}},  // the resize tabs' routine
      {{"turn", "right"}, {"size", "width:16"}},
      {{"turn", "flip-h"}, {"ignore-orientation", "yes"}, {"size", "height:10"}},
      {{"name", "{name}-{w}x{h}-from-{W}x{H}-{n:3}"}, {"out", "sub/dir"}, {"to", "png"}},
      {{"name", "{name}"}, {"out", "sub/dir"}, {"to", "png"}},
      {{"name", "{name}"}, {"out", "sub/dir"}, {"to", "png"}},  // numbered: the last one's there
      {{"name", "{name}"}, {"out", "sub/dir"}, {"to", "png"}, {"existing", "overwrite"}},
  };
  int checked = 0;
  for (const auto& options : jobs) {
    const ProcessJob job = JobOf(options);
    for (const char* name : {"a.jpg", "b.png", "c.webp"}) {
      const ListedInput listed{InputFile{folder / name, name}, 4};
      const std::optional<OutputPreview> told = PreviewOutput(job, listed);
      ASSERT_TRUE(told) << name;
      ProcessHost host;
      const ProcessSummary made = RunProcess(job, {listed}, true, host);
      ASSERT_EQ(made.done, 1) << name << ": " << made.files.at(0).message;
      const FileReport& file = made.files.at(0);
      EXPECT_EQ(told->path.string(), file.output) << name << " " << checked;
      EXPECT_EQ(told->width, file.width) << name << " " << checked;
      EXPECT_EQ(told->height, file.height) << name << " " << checked;
      EXPECT_FALSE(told->skipped);
      ++checked;
    }
  }
  EXPECT_TRUE(fs::exists(folder / "sub" / "dir" / "a-48x64-from-48x64-005.png"));
  EXPECT_TRUE(fs::exists(folder / "sub" / "dir" / "a (2).png"));

  // Skipped when the output is there and the job skips it.
  const ListedInput listed{InputFile{folder / "b.png", "b.png"}, 0};
  const std::optional<OutputPreview> skipped =
      PreviewOutput(JobOf({{"out", "sub/dir"}, {"to", "png"}, {"existing", "skip"}}), listed);
  ASSERT_TRUE(skipped);
  EXPECT_TRUE(skipped->skipped);
  EXPECT_EQ(skipped->path, folder / "sub" / "dir" / "b.png");
}

TEST(OutputPreview, NothingForAHeaderItCannotReadAndARefusalForWhatTheRunRefuses) {
  TempFolder folder;
  WriteBytes(folder / "cut.jpg", Bytes{0xFF, 0xD8, 0xFF});
  WriteBytes(folder / "notes.txt", Bytes{'h', 'i'});
  WritePicture(folder / "a.jpg", 8, 8);
  const auto at = [&](const char* name) { return ListedInput{InputFile{folder / name, name}, 0}; };
  EXPECT_FALSE(PreviewOutput(ProcessJob(), at("cut.jpg")));
  EXPECT_FALSE(PreviewOutput(ProcessJob(), at("notes.txt")));
  EXPECT_FALSE(PreviewOutput(ProcessJob(), at("gone.jpg")));
  EXPECT_THROW(PreviewOutput(JobOf({{"name", "{nope}"}}), at("a.jpg")), Exception);
  EXPECT_THROW(PreviewOutput(JobOf({{"name", "../{name}"}}), at("a.jpg")), Exception);
  EXPECT_THROW(PreviewOutput(JobOf({{"to", "tiff"}}), at("a.jpg")), Exception);
}

TEST(WriterOptions, EachFormatOffersTheSettingsItsWriterHeeds) {
  const WriterOptions jpeg = WriterOptionsOf(*RowForKey("jpg"));
  EXPECT_TRUE(jpeg.quality);
  EXPECT_FALSE(jpeg.lossless);
  EXPECT_TRUE(jpeg.progressive);
  EXPECT_TRUE(jpeg.optimise);
  const WriterOptions webp = WriterOptionsOf(*RowForKey("webp"));
  EXPECT_TRUE(webp.quality);
  EXPECT_TRUE(webp.lossless);
  EXPECT_FALSE(webp.progressive);
  EXPECT_FALSE(webp.optimise);
  for (const char* key : {"png", "gif", "bmp"}) {
    const WriterOptions none = WriterOptionsOf(*RowForKey(key));
    EXPECT_FALSE(none.quality || none.lossless || none.progressive || none.optimise) << key;
  }
  const WriterOptions jxl = WriterOptionsOf(*RowForKey("jxl"));
  EXPECT_TRUE(jxl.quality && jxl.lossless);
  const WriterOptions avif = WriterOptionsOf(*RowForKey("avif"));
  EXPECT_TRUE(avif.quality && avif.lossless && !avif.progressive && !avif.optimise);
  const WriterOptions heic = WriterOptionsOf(*RowForKey("heic"));
  EXPECT_TRUE(heic.quality && !heic.lossless && !heic.progressive && !heic.optimise);
  for (const FormatRow* listed : Registry()) {
    const FormatRow& row = *listed;
    if (row.writable()) continue;
    const WriterOptions none = WriterOptionsOf(row);  // read only: nothing to offer
    EXPECT_FALSE(none.quality || none.lossless || none.progressive || none.optimise) << row.key;
  }
}

}  // namespace
}  // namespace pixtrel::test
