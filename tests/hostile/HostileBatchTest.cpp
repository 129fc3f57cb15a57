// Damaged and hostile files through pixtrel-batch: every run ends with exit 0 or 1 (never a
// signal or a hang), and a failure is one line naming the file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "codecs/bmp/Bmp.h"
#include "codecs/gif/GifCodec.h"
#include "codecs/jpeg/JpegImage.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace pixtrel;
using namespace pixtrel::test;

namespace {

void Put16(Bytes& b, std::size_t at, unsigned v) {
  if (at + 1 < b.size()) b[at] = v & 0xFF, b[at + 1] = (v >> 8) & 0xFF;
}
void Put32(Bytes& b, std::size_t at, unsigned v) {
  for (int i = 0; i < 4 && at + i < b.size(); ++i)
    b[at + i] = (v >> (8 * i)) & 0xFF;
}
void Put16BigEndian(Bytes& b, std::size_t at, unsigned v) {
  if (at + 1 < b.size()) b[at] = (v >> 8) & 0xFF, b[at + 1] = v & 0xFF;
}

struct Sample {
  std::string name;
  Bytes bytes;
};

// Valid files of one format to start from: our own and the committed corpus made by other tools.
std::vector<Bytes> Seeds(const std::string& format) {
  std::vector<Bytes> seeds;
  const fs::path corpus = fs::path(PIXTREL_SOURCE_DIR) / "tests/fuzz/corpus" / format;
  for (const auto& e : fs::directory_iterator(corpus)) {
    if (e.file_size() > 0 && e.file_size() < 3000) seeds.push_back(FileContents(e.path()));
  }
  std::sort(seeds.begin(), seeds.end());
  return seeds;
}

// Truncations, random byte flips (fixed seed) and the given field mutations of every seed.
std::vector<Sample> Damaged(const std::string& format, const std::string& extension,
                            const std::function<void(const Bytes&, std::vector<Sample>&)>& fields) {
  std::vector<Sample> out;
  std::mt19937 random(20261208);
  int n = 0;
  for (const Bytes& seed : Seeds(format)) {
    for (int k = 1; k <= 6; ++k) {
      const std::size_t cut = seed.size() * k / 7;
      out.push_back(
          {"cut" + std::to_string(n++) + extension, Bytes(seed.begin(), seed.begin() + cut)});
    }
    for (int k = 0; k < 6; ++k) {
      Bytes b = seed;
      for (int f = 0; f < 1 + k % 4; ++f)
        b[random() % b.size()] ^= 1 + random() % 255;
      out.push_back({"flip" + std::to_string(n++) + extension, b});
    }
    std::vector<Sample> mutated;
    fields(seed, mutated);
    for (Sample& s : mutated)
      out.push_back({"field" + std::to_string(n++) + "-" + s.name + extension, s.bytes});
  }
  return out;
}

void CheckRun(const std::vector<std::string>& command, const Sample& sample,
              const TempFolder& dir) {
  SCOPED_TRACE(sample.name + " through " + command[0]);
  WriteBytes(dir / sample.name, sample.bytes);
  std::vector<std::string> argv{PIXTREL_BATCH_PATH};
  argv.insert(argv.end(), command.begin(), command.end());
  argv.push_back(sample.name);
  const RunResult r = RunProgram(argv, dir.path(), 60);
  ASSERT_EQ(r.signal, 0) << r.err;
  ASSERT_TRUE(r.exitCode == 0 || r.exitCode == 1) << r.exitCode << " " << r.err;
  if (r.exitCode == 1) {
    EXPECT_EQ(r.err.rfind("pixtrel-batch: " + sample.name + ": ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  // Nothing half-written stays behind.
  for (const auto& e : fs::directory_iterator(dir.path())) {
    EXPECT_EQ(e.path().filename().string().find(".pixtrel-"), std::string::npos);
  }
}

void RunAll(const std::vector<Sample>& samples,
            const std::vector<std::vector<std::string>>& commands) {
  TempFolder dir;
  std::size_t index = 0;
  for (const Sample& s : samples) {
    CheckRun(commands[index++ % commands.size()], s, dir);
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_GT(samples.size(), 100u);
}

TEST(HostileBatch, BmpFiles) {
  const auto samples = Damaged("bmp", ".bmp", [](const Bytes& seed, std::vector<Sample>& out) {
    for (unsigned v : {0u, 1u, 0x7FFFu, 0xFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu, 65501u}) {
      for (std::size_t at : {std::size_t{18}, std::size_t{22}}) {  // width, height
        Bytes b = seed;
        Put32(b, at, v);
        out.push_back({"size", b});
      }
    }
    for (unsigned bits : {0u, 2u, 3u, 7u, 48u, 0xFFFFu}) {
      Bytes b = seed;
      Put16(b, 28, bits);
      out.push_back({"bits", b});
    }
    for (unsigned planes : {0u, 2u}) {
      Bytes b = seed;
      Put16(b, 26, planes);
      out.push_back({"planes", b});
    }
    for (unsigned c : {1u, 2u, 3u, 4u, 5u, 6u, 99u}) {
      Bytes b = seed;
      Put32(b, 30, c);
      out.push_back({"compression", b});
    }
    for (unsigned colours : {255u, 256u, 257u, 100000u, 0xFFFFFFFFu}) {
      Bytes b = seed;
      Put32(b, 46, colours);
      out.push_back({"colours", b});
    }
    for (unsigned offset : {0u, 14u, 0x7FFFFFFFu}) {
      Bytes b = seed;
      Put32(b, 10, offset);
      out.push_back({"offset", b});
    }
  });
  RunAll(samples, {{"bmp2gif"}, {"resize-bmp", "--pixels", "50"}, {"rotate"}});
}

TEST(HostileBatch, JpegFiles) {
  const auto samples = Damaged("jpeg", ".jpg", [](const Bytes& seed, std::vector<Sample>& out) {
    std::size_t sof = 0;
    for (std::size_t i = 2; i + 9 < seed.size(); ++i) {
      if (seed[i] == 0xFF && seed[i + 1] >= 0xC0 && seed[i + 1] <= 0xC2) {
        sof = i;
        break;
      }
    }
    if (!sof) return;
    for (unsigned v : {0u, 1u, 16000u, 60000u, 65535u}) {
      for (std::size_t at : {sof + 5, sof + 7}) {
        Bytes b = seed;
        Put16BigEndian(b, at, v);
        out.push_back({"size", b});
      }
    }
    for (unsigned v : {0u, 2u, 12u, 16u, 255u}) {  // precision
      Bytes b = seed;
      b[sof + 4] = static_cast<std::uint8_t>(v);
      out.push_back({"precision", b});
    }
    for (unsigned v : {0u, 2u, 4u, 5u, 255u}) {  // component count
      Bytes b = seed;
      b[sof + 9] = static_cast<std::uint8_t>(v);
      out.push_back({"components", b});
    }
    for (unsigned v : {0x00u, 0x55u, 0xFFu, 0x41u}) {  // sampling factors of the first component
      Bytes b = seed;
      if (sof + 11 < b.size()) b[sof + 11] = static_cast<std::uint8_t>(v);
      out.push_back({"sampling", b});
    }
  });
  RunAll(samples, {{"jpg2bmp"}, {"greyscale"}, {"resize-jpg", "--pixels", "40"}, {"jpg2gif"}});
}

TEST(HostileBatch, GifFiles) {
  const auto samples = Damaged("gif", ".gif", [](const Bytes& seed, std::vector<Sample>& out) {
    for (unsigned v : {0u, 1u, 65535u}) {
      for (std::size_t at : {std::size_t{6}, std::size_t{8}}) {  // screen width, height
        Bytes b = seed;
        Put16(b, at, v);
        out.push_back({"screen", b});
      }
    }
    for (unsigned packed : {0x00u, 0x07u, 0x80u, 0xFFu}) {
      Bytes b = seed;
      b[10] = static_cast<std::uint8_t>(packed);
      out.push_back({"packed", b});
    }
    // The first image descriptor: position and size pushed out of the screen, the LZW minimum
    // code size to its extremes.
    std::size_t image = 0;
    for (std::size_t i = 13 + ((seed[10] & 0x80) ? 3u << ((seed[10] & 7) + 1) : 0); i < seed.size();
         ++i) {
      if (seed[i] == ',') {
        image = i;
        break;
      }
    }
    if (!image || image + 10 >= seed.size()) return;
    for (unsigned v : {0u, 65535u, 60000u}) {
      for (std::size_t at : {image + 1, image + 3, image + 5, image + 7}) {
        Bytes b = seed;
        Put16(b, at, v);
        out.push_back({"frame", b});
      }
    }
    const std::size_t table = (seed[image + 9] & 0x80) ? 3u << ((seed[image + 9] & 7) + 1) : 0;
    if (image + 10 + table < seed.size()) {
      for (unsigned size : {0u, 1u, 9u, 12u, 255u}) {
        Bytes b = seed;
        b[image + 10 + table] = static_cast<std::uint8_t>(size);
        out.push_back({"codesize", b});
      }
    }
  });
  RunAll(samples, {{"gif2bmp"},
                   {"resize-gif", "--method", "normal", "--pixels", "30"},
                   {"resize-gif", "--pixels", "30"},
                   {"gif2jpg"},
                   {"rotate"}});
}

// Tiny files that claim huge pictures are refused at once, whatever the format.
TEST(HostileBatch, TinyFilesClaimingHugePictures) {
  TempFolder dir;
  auto frameSizeAt = [](const Bytes& b) {
    for (std::size_t i = 2; i + 9 < b.size(); ++i)
      if (b[i] == 0xFF && (b[i + 1] == 0xC0 || b[i + 1] == 0xC2)) return i + 5;
    return std::size_t{0};
  };
  std::vector<Sample> samples;
  for (bool progressive : {false, true}) {
    for (unsigned side : {60000u, 16000u}) {
      TJPEGImage p;
      SetJpegRaster(p, TestPattern(8, 8));
      p.Progressive = progressive;
      EncodeJpeg(p);
      Bytes b = p.data();
      Put16BigEndian(b, frameSizeAt(b), side);
      Put16BigEndian(b, frameSizeAt(b) + 2, side);
      samples.push_back({std::string(progressive ? "p" : "b") + std::to_string(side) + ".jpg", b});
    }
  }
  TGIFImage gif;
  SetGifRaster(gif, TestPattern(4, 4));
  Bytes g = EncodeGif(gif);
  Put16(g, 6, 65535);
  Put16(g, 8, 65535);
  samples.push_back({"screen.gif", g});
  Bytes rle = EncodeBmp(PaletteBitmap(4, 4, 8, {{1, 2, 3}}));
  Put32(rle, 18, 60000);
  Put32(rle, 22, 4000);
  Put32(rle, 30, 1);
  samples.push_back({"rle.bmp", rle});

  for (const Sample& s : samples) {
    SCOPED_TRACE(s.name);
    WriteBytes(dir / s.name, s.bytes);
    const std::string command =
        s.name.ends_with(".jpg") ? "jpg2bmp" : (s.name.ends_with(".gif") ? "gif2bmp" : "bmp2jpg");
    const RunResult r = RunProgram({PIXTREL_BATCH_PATH, command, s.name}, dir.path(), 60);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("Picture too large"), std::string::npos) << r.err;
    // Far below the 768 MiB raster the header asks for (the sanitizers' own needs included).
    EXPECT_LT(PeakChildMemoryKiB(), 400L << 10);
  }
}

// A progressive file with thousands of scans stops at the scan limit instead of running on.
TEST(HostileBatch, ThousandsOfScans) {
  TJPEGImage p;
  SetJpegRaster(p, TestPattern(16, 16));
  p.Progressive = true;
  EncodeJpeg(p);
  const Bytes& b = p.data();
  // Repeat the first scan (the DC scan, whose data decodes the same whatever came before)
  // thousands of times, so only the number of scans is wrong with the file.
  std::vector<std::size_t> scans;
  for (std::size_t i = 2; i + 1 < b.size(); ++i)
    if (b[i] == 0xFF && b[i + 1] == 0xDA) scans.push_back(i);
  ASSERT_GE(scans.size(), 2u);
  Bytes many(b.begin(), b.begin() + scans[0]);
  const Bytes scan(b.begin() + scans[0], b.begin() + scans[1]);
  for (int i = 0; i < 5000; ++i)
    many.insert(many.end(), scan.begin(), scan.end());
  many.insert(many.end(), b.begin() + scans[1], b.end());
  TempFolder dir;
  WriteBytes(dir / "scans.jpg", many);
  const RunResult r = RunProgram({PIXTREL_BATCH_PATH, "jpg2bmp", "scans.jpg"}, dir.path(), 60);
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("more than 100 progressive scans"), std::string::npos) << r.err;
}

}  // namespace
