// The packed local date-time of the keep-date option.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "io/FileStamp.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// Runs the test body in a given time zone and restores the previous one.
class InTimeZone {
 public:
  explicit InTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~InTimeZone() {
    if (old_.empty())
      unsetenv("TZ");
    else
      setenv("TZ", old_.c_str(), 1);
    tzset();
  }

 private:
  std::string old_;
};

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return t;
}

TEST(FileStamp, PackingHalvesTheSeconds) {
  const FileStamp s = PackFileStamp(LocalTime(2024, 7, 19, 10, 15, 37));
  EXPECT_EQ(static_cast<std::uint32_t>(s),
            (44u << 25) | (7u << 21) | (19u << 16) | (10u << 11) | (15u << 5) | 18u);
  std::tm back{};
  ASSERT_TRUE(UnpackFileStamp(s, back));
  EXPECT_EQ(back.tm_hour, 10);
  EXPECT_EQ(back.tm_min, 15);
  EXPECT_EQ(back.tm_sec, 36);
}

TEST(FileStamp, YearsOutsideTheRangeCannotBePacked) {
  EXPECT_EQ(PackFileStamp(LocalTime(1979, 12, 31, 23, 59, 59)), kNoFileStamp);
  EXPECT_EQ(PackFileStamp(LocalTime(2108, 1, 1, 0, 0, 0)), kNoFileStamp);
  EXPECT_NE(PackFileStamp(LocalTime(2107, 12, 31, 23, 59, 58)), kNoFileStamp);
  std::tm unused{};
  EXPECT_FALSE(UnpackFileStamp(kNoFileStamp, unused));
}

// A file last written at 10:15:37 local time gives a copy written at 10:15:36 local time,
// whatever the zone.
TEST(FileStamp, ReadAndApplyInSeveralZones) {
  for (const char* zone : {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "NZST-12NZDT,M9.5.0,M4.1.0/3",
                           "EST5EDT,M3.2.0,M11.1.0"}) {
    SCOPED_TRACE(zone);
    InTimeZone tz(zone);
    TempFolder folder;
    WriteBytes(folder / "source.jpg", {1, 2, 3});
    WriteBytes(folder / "copy.jpg", {4});
    std::tm summer = LocalTime(2024, 7, 19, 10, 15, 37);
    const std::time_t when = std::mktime(&summer);
    struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (folder / "source.jpg").c_str(), times, 0), 0);

    const FileStamp stamp = ReadFileStamp(folder / "source.jpg");
    ASSERT_NE(stamp, kNoFileStamp);
    ApplyFileStamp(folder / "copy.jpg", stamp);
    struct stat st {};
    ASSERT_EQ(stat((folder / "copy.jpg").c_str(), &st), 0);
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    EXPECT_EQ(local.tm_hour, 10);
    EXPECT_EQ(local.tm_min, 15);
    EXPECT_EQ(local.tm_sec, 36);
    EXPECT_EQ(local.tm_mday, 19);
  }
}

TEST(FileStamp, FailuresAreSilent) {
  TempFolder folder;
  EXPECT_EQ(ReadFileStamp(folder / "missing.jpg"), kNoFileStamp);
  ApplyFileStamp(folder / "missing.jpg", PackFileStamp(LocalTime(2020, 1, 1, 0, 0, 0)));
  EXPECT_FALSE(std::filesystem::exists(folder / "missing.jpg"));  // never created
  WriteBytes(folder / "a.jpg", {1});
  const auto before = std::filesystem::last_write_time(folder / "a.jpg");
  ApplyFileStamp(folder / "a.jpg", kNoFileStamp);
  EXPECT_EQ(std::filesystem::last_write_time(folder / "a.jpg"), before);
}

}  // namespace
