// pixtrel-batch with several files in flight, end to end: the bytes and the order of one file at
// a time, a damaged file in the middle, and the memory budget measured with /usr/bin/time.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/jpeg/JpegImage.h"
#include "concurrency/WorkerPool.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

void WriteJpeg(const fs::path& file, int w, int h, unsigned seed) {
  TJPEGImage picture;
  SetJpegRaster(picture, TestPattern(w, h, seed));
  picture.Quality = 90;
  WriteJpegFile(picture, file);
}

// 30 names in list order: JPEG, GIF and BMP files in turn.
std::vector<std::string> MixedFolder(const fs::path& folder) {
  std::vector<std::string> names;
  for (int i = 0; i < 10; ++i) {
    const std::string n = std::to_string(10 + i);
    WriteJpeg(folder / ("m" + n + ".jpg"), 200 + 11 * i, 150 + 5 * i, i + 1);
    TGIFImage gif;
    SetGifRaster(gif, TestPattern(90 + i, 70 + 2 * i, i + 20));
    WriteGifFile(gif, folder / ("m" + n + ".gif"));
    WriteBmpFile(TestPattern(80 + 3 * i, 60 + i, i + 40), folder / ("m" + n + ".bmp"));
    for (const char* ext : {".jpg", ".gif", ".bmp"})
      names.push_back("m" + n + ext);
  }
  return names;
}

std::vector<std::string> Args(std::vector<std::string> head, const std::vector<std::string>& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

long long ModifiedNs(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

TEST(BatchJobsTool, MixedRotateWithFourJobsMatchesOneJobByteForByteAndInOrder) {
  TempFolder one, four;
  const std::vector<std::string> names = MixedFolder(one.path());
  MixedFolder(four.path());
  const RunResult a = RunBatchTool(Args({"rotate", "--turn", "180", "--jpeg-quality", "75", "-q",
                                         "--jobs", "1", "-C", one.path().string()},
                                        names));
  ASSERT_EQ(a.exitCode, 0) << a.err;
  const RunResult b = RunBatchTool(Args({"rotate", "--turn", "180", "--jpeg-quality", "75", "-q",
                                         "--jobs", "4", "-C", four.path().string()},
                                        names));
  ASSERT_EQ(b.exitCode, 0) << b.err;
  long long previous = 0;
  for (const std::string& n : names) {
    const Bytes x = FileContents(one / ("180-" + n)), y = FileContents(four / ("180-" + n));
    ASSERT_FALSE(x.empty()) << n;
    EXPECT_EQ(x, y) << n;
    // Written in list order: each output is no older than the one before it.
    const long long t = ModifiedNs(four / ("180-" + n));
    EXPECT_GE(t, previous) << n;
    previous = t;
  }
}

TEST(BatchJobsTool, ADamagedFileInTheMiddleOfThirtyStopsTheRunWithFourJobs) {
  TempFolder folder;
  std::vector<std::string> names;
  for (int i = 0; i < 30; ++i) {
    const std::string name = "r" + std::to_string(10 + i) + ".jpg";
    if (i == 15) {
      WriteBytes(folder / name, Bytes{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'g'});
    } else {
      WriteJpeg(folder / name, 160, 120, i + 1);
    }
    names.push_back(name);
  }
  const RunResult r = RunBatchTool(Args(
      {"resize-jpg", "--pixels", "64", "-q", "--jobs", "4", "-C", folder.path().string()}, names));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("pixtrel-batch: r25.jpg: "), std::string::npos) << r.err;
  for (int i = 0; i < 30; ++i) {
    EXPECT_EQ(fs::exists(folder / ("mini-" + names[static_cast<std::size_t>(i)])), i < 15) << i;
  }
}

TEST(BatchJobsTool, JobsMustBeAPositiveNumber) {
  for (const char* bad : {"0", "-2", "many", ""}) {
    const RunResult r = RunBatchTool({"quality", "--jobs", bad, "x.jpg"});
    EXPECT_EQ(r.exitCode, 2) << bad;
    EXPECT_NE(r.err.find("--jobs"), std::string::npos) << r.err;
  }
}

// Peak resident memory in kilobytes of a pixtrel-batch run, as /usr/bin/time reports it.
long long PeakKilobytes(const std::vector<std::string>& env, const std::vector<std::string>& args,
                        std::string& err) {
  std::vector<std::string> argv{"/usr/bin/env"};
  argv.insert(argv.end(), env.begin(), env.end());
  argv.insert(argv.end(), {"/usr/bin/time", "-f", "peak=%M", PIXTREL_BATCH_PATH});
  argv.insert(argv.end(), args.begin(), args.end());
  const RunResult r = RunProgram(argv);
  err = r.err;
  if (r.exitCode != 0) return -1;
  const auto at = r.err.rfind("peak=");
  return at == std::string::npos ? -1 : std::stoll(r.err.substr(at + 5));
}

TEST(BatchJobsTool, TheMemoryBudgetKeepsLargePicturesOneAtATime) {
  // Under AddressSanitizer a run's peak is mostly the sanitizer's own reserve (about 120 MB for
  // one picture of 18 MB), which hides a second picture in flight; the Release run checks this.
  if (kAddressSanitizer) GTEST_SKIP() << "peak memory is not what was held at once under ASan";
  if (!fs::exists("/usr/bin/time"))
    PIXTREL_SKIP_MISSING_TOOL() << "/usr/bin/time (Debian package time)";
  TempFolder folder;
  std::vector<std::string> names;
  for (int i = 0; i < 4; ++i) {
    names.push_back("big" + std::to_string(i) + ".jpg");
    WriteJpeg(folder / names.back(), 3000, 2000, i + 1);
  }
  const std::vector<std::string> quality =
      Args({"quality", "--quality", "80", "-q", "-C", folder.path().string()}, names);
  std::string err;
  const long long single = PeakKilobytes({}, Args({"--jobs", "1"}, quality), err);
  ASSERT_GT(single, 0) << err;
  // The budget is a little over one picture's estimate (6 million pixels, 4 copies of 3 bytes
  // each, about 70 MiB): the second picture may not start while the first is in flight.
  const long long capped =
      PeakKilobytes({"PIXTREL_BATCH_MEMORY_MB=100"}, Args({"--jobs", "4"}, quality), err);
  ASSERT_GT(capped, 0) << err;
  // One raster of the picture is 18 MB: a second picture in flight would add at least that.
  EXPECT_LT(capped, single + 12 * 1024) << "one job: " << single << " kB, budget: " << capped;
  // And without the budget several pictures are in flight at once, on the cores there are: at
  // least one raster more than one picture at a time needs.
  // Whether two pictures overlap depends on how the threads are scheduled: on a busy machine one
  // run may happen to go one picture after the other, so the highest of three runs counts.
  long long free = 0;
  for (int run = 0; run < 3 && free <= single + 12 * 1024; ++run) {
    const long long peak = PeakKilobytes({}, Args({"--jobs", "4"}, quality), err);
    ASSERT_GT(peak, 0) << err;
    free = std::max(free, peak);
  }
  if (UsableCoreCount() >= 2) {
    EXPECT_GT(free, single + 12 * 1024) << "one job: " << single << " kB, four jobs: " << free;
  }
  RecordProperty("peak_kb_one_job", std::to_string(single));
  RecordProperty("peak_kb_budget", std::to_string(capped));
  RecordProperty("peak_kb_four_jobs", std::to_string(free));
  std::cout << "peak kB: one job " << single << ", four jobs within 100 MiB " << capped
            << ", four jobs " << free << "\n";
}

TEST(BatchJobsTool, MemoryFreedByOneFileIsReusedByTheNext) {
  // The allocator keeps what a file freed for the next file. Large and small pictures taking
  // turns on several workers, under a budget that lets one large picture in at a time.
  if (kAddressSanitizer) GTEST_SKIP() << "peak memory is not what was held at once under ASan";
  if (!fs::exists("/usr/bin/time"))
    PIXTREL_SKIP_MISSING_TOOL() << "/usr/bin/time (Debian package time)";
  TempFolder folder;
  std::vector<std::string> names;
  for (int i = 0; i < 8; ++i) {
    names.push_back("p" + std::to_string(i) + ".jpg");
    if (i % 2 == 0) {
      WriteJpeg(folder / names.back(), 3000, 2000, i + 1);
    } else {
      WriteJpeg(folder / names.back(), 1700 + 50 * i, 1100 + 30 * i, i + 1);
    }
  }
  const std::vector<std::string> rotate = {"rotate", "--turn", "left",
                                           "-q",     "-C",     folder.path().string()};
  std::string err;
  const long long largest = PeakKilobytes({}, Args({"--jobs", "1"}, Args(rotate, {"p0.jpg"})), err);
  ASSERT_GT(largest, 0) << err;
  // The budget lets one large picture in at a time; the workers take the files in turn.
  fs::remove(folder / "left-p0.jpg");
  const long long all = PeakKilobytes({"PIXTREL_BATCH_MEMORY_MB=100"},
                                      Args({"--jobs", "4"}, Args(rotate, names)), err);
  ASSERT_GT(all, 0) << err;
  // The budget lets a small picture run beside a large one, and the memory kept for reuse is
  // what the budget leaves beside the files in flight: the whole run stays within the budget
  // (freed rasters kept by every worker's heap, or never given back, would pass it).
  EXPECT_LT(all, 100 * 1024) << "largest alone: " << largest << " kB, batch: " << all;
  std::cout << "peak kB: largest picture alone " << largest << ", batch of 8 " << all << "\n";
}

}  // namespace
