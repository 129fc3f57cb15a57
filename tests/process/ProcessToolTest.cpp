// pixtrel-batch process end to end: sizes, turns and formats checked with PIL; the resize tabs'
// bytes for their own jobs; names, folders and existing outputs; a damaged file in the middle;
// reports, presets, name lists and shards.
#include <gtest/gtest.h>

#include <cctype>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <set>
#include <tuple>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

class ProcessTool : public ::testing::Test {
 protected:
  void SetUp() override {
    PIXTREL_SKIP_WITHOUT_PIL();
    PIXTREL_SKIP_WITHOUT_PROGRAM("convert");
    fs::create_directories(src);
    ASSERT_TRUE(Magick({"-seed", "4", "-size", "400x300", "plasma:fractal", "-depth", "8",
                        (src / "wide.png").string()}));
    ASSERT_TRUE(
        Magick({(src / "wide.png").string(), "-quality", "92", (src / "photo.jpg").string()}));
  }
  // pixtrel-batch process ARGS in the temporary folder, its outputs checked by other readers.
  RunResult Process(std::vector<std::string> args, bool checked = true) {
    args.insert(args.begin(), "process");
    if (checked) return RunBatchTool(args, temp.path());
    args.insert(args.begin(), PIXTREL_BATCH_PATH);
    args.insert(args.begin(), "XDG_CONFIG_HOME=" + (temp / "config").string());
    args.insert(args.begin(), "env");
    return RunProgram(args, temp.path());
  }
  std::string Size(const fs::path& file) {
    const auto picture = ReadWithPil(file);
    return picture ? std::to_string(picture->width) + "x" + std::to_string(picture->height) + " " +
                         picture->format
                   : "unreadable";
  }
  std::set<std::string> Files(const fs::path& folder) {
    std::set<std::string> names;
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file())
        names.insert(fs::relative(entry.path(), folder).generic_string());
    }
    return names;
  }
  TempFolder temp;
  fs::path src = temp / "src";
};

TEST_F(ProcessTool, EverySizeModeGivesItsPixels) {
  const std::pair<const char*, const char*> modes[] = {
      {"none", "400x300"},         {"long:200", "200x150"},    {"short:150", "200x150"},
      {"width:100", "100x75"},     {"height:60", "80x60"},     {"fit:120x120", "120x90"},
      {"fill:100x100", "100x100"}, {"stretch:50x70", "50x70"}, {"pad:120x120", "120x120"},
      {"percent:25", "100x75"}};
  for (const auto& [mode, size] : modes) {
    SCOPED_TRACE(mode);
    const RunResult r =
        Process({"--size", mode, "--to", "png", "--out", "out", "--name",
                 std::string(mode).substr(0, std::string(mode).find(':')), "src/wide.png"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string name = std::string(mode).substr(0, std::string(mode).find(':')) + ".png";
    EXPECT_EQ(Size(src / "out" / name), std::string(size) + " PNG");
  }
  // Pad centres the picture on the background colour.
  ASSERT_EQ(Process({"--size", "pad:400x400", "--background", "#FF0000", "--to", "png", "--name",
                     "padded", "src/wide.png"})
                .exitCode,
            0);
  const auto padded = PilRgba(src / "padded.png");
  ASSERT_TRUE(padded);
  EXPECT_EQ(padded->at(200, 10)[0], 255);
  EXPECT_EQ(padded->at(200, 10)[1], 0);
  const auto source = PilRgba(src / "wide.png");
  EXPECT_EQ(std::vector<std::uint8_t>(padded->at(0, 50), padded->at(0, 50) + 4),
            std::vector<std::uint8_t>(source->at(0, 0), source->at(0, 0) + 4));
}

TEST_F(ProcessTool, TurnsAndFormats) {
  const auto source = PilRgba(src / "wide.png");
  ASSERT_TRUE(source);
  const std::pair<const char*, const char*> turns[] = {{"right", "300x400"},
                                                       {"left", "300x400"},
                                                       {"180", "400x300"},
                                                       {"flip-h", "400x300"},
                                                       {"flip-v", "400x300"}};
  for (const auto& [turn, size] : turns) {
    SCOPED_TRACE(turn);
    ASSERT_EQ(
        Process({"--turn", turn, "--to", "png", "--name", std::string("t-") + turn, "src/wide.png"})
            .exitCode,
        0);
    const auto out = PilRgba(src / (std::string("t-") + turn + ".png"));
    ASSERT_TRUE(out);
    EXPECT_EQ(std::to_string(out->width) + "x" + std::to_string(out->height), size);
    // Where the source's top left corner went.
    const std::string t = turn;
    const int x = t == "right" || t == "180" || t == "flip-h" ? out->width - 1 : 0;
    const int y = t == "left" || t == "180" || t == "flip-v" ? out->height - 1 : 0;
    EXPECT_EQ(std::vector<std::uint8_t>(out->at(x, y), out->at(x, y) + 3),
              std::vector<std::uint8_t>(source->at(0, 0), source->at(0, 0) + 3));
  }
  for (const std::string to : {"jpg", "png", "webp", "gif", "bmp"}) {
    SCOPED_TRACE(to);
    ASSERT_EQ(Process({"--size", "long:100", "--to", to, "--name", "f", "src/photo.jpg"}).exitCode,
              0);
    const std::map<std::string, std::string> pil{
        {"jpg", "JPEG"}, {"png", "PNG"}, {"webp", "WEBP"}, {"gif", "GIF"}, {"bmp", "BMP"}};
    EXPECT_EQ(Size(src / ("f." + to)), "100x75 " + pil.at(to));
  }
}

TEST_F(ProcessTool, TheResizeTabsJobsGiveTheResizeTabsBytes) {
  ASSERT_TRUE(Magick({(src / "wide.png").string(), "-quality", "90", (src / "w.webp").string()}));
  for (const std::string key : {"jpg", "png", "webp"}) {
    SCOPED_TRACE(key);
    const std::string name = key == "jpg" ? "photo.jpg" : key == "png" ? "wide.png" : "w.webp";
    for (const char* method : {"better", "normal"}) {
      const RunResult tab = RunBatchTool(
          {"resize-" + key, "--pixels", "123", "--method", method, "-C", src.string(), name});
      ASSERT_EQ(tab.exitCode, 0) << tab.err;
      const RunResult one = Process({"--size", "long:123", "--method", method, "--to", key,
                                     "--name", "{name}-one", "src/" + name});
      ASSERT_EQ(one.exitCode, 0) << one.err;
      fs::path tabOutput;
      for (const auto& entry : fs::directory_iterator(src)) {
        const std::string file = entry.path().filename().string();
        if (file != name && file.size() > name.size() &&
            file.compare(file.size() - name.size(), name.size(), name) == 0)
          tabOutput = entry.path();
      }
      ASSERT_FALSE(tabOutput.empty());
      const fs::path oneOutput = src / (fs::path(name).stem().string() + "-one." + key);
      EXPECT_EQ(FileContents(oneOutput), FileContents(tabOutput)) << method;
      fs::remove(tabOutput);
      fs::remove(oneOutput);
    }
  }
}

TEST_F(ProcessTool, NamesFoldersAndExistingOutputs) {
  ASSERT_EQ(Process({"--size", "long:40", "--to", "jpg", "--out", (temp / "web").string(), "--name",
                     "{date:%Y}/{name}_{w}x{h}_from_{W}x{H}_{ext}_{n:3}", "src/wide.png",
                     "src/photo.jpg"})
                .exitCode,
            0);
  // The year folder is the file's (these made pictures carry no EXIF date).
  std::tm local{};
  const std::time_t now = std::time(nullptr);
  localtime_r(&now, &local);
  const std::string year = std::to_string(local.tm_year + 1900);
  EXPECT_EQ(Files(temp / "web"),
            (std::set<std::string>{year + "/wide_40x30_from_400x300_png_001.jpg",
                                   year + "/photo_40x30_from_400x300_jpg_002.jpg"}));
  // A template that would leave the output folder is refused before anything is written.
  for (const char* name : {"../{name}", "/tmp/{name}", "a/../../{name}"}) {
    const RunResult r = Process({"--name", name, "--to", "png", "src/wide.png"}, false);
    EXPECT_EQ(r.exitCode, 2) << name;
    EXPECT_NE(r.err.find("leaves the output folder"), std::string::npos) << r.err;
  }
  EXPECT_EQ(Files(src), (std::set<std::string>{"photo.jpg", "wide.png"}));
  // number (default), skip, overwrite.
  ASSERT_EQ(Process({"--to", "png", "--out", "o", "src/wide.png"}).exitCode, 0);
  ASSERT_EQ(Process({"--to", "png", "--out", "o", "src/wide.png"}).exitCode, 0);
  EXPECT_EQ(Files(src / "o"), (std::set<std::string>{"wide.png", "wide (2).png"}));
  const auto before = fs::last_write_time(src / "o" / "wide.png");
  const RunResult skipped =
      Process({"--to", "png", "--out", "o", "--existing", "skip", "src/wide.png"});
  EXPECT_EQ(skipped.exitCode, 0);
  EXPECT_NE(skipped.err.find("skipped: src/wide.png: exists"), std::string::npos) << skipped.err;
  EXPECT_EQ(fs::last_write_time(src / "o" / "wide.png"), before);
  ASSERT_EQ(Process({"--size", "long:10", "--to", "png", "--out", "o", "--existing", "overwrite",
                     "src/wide.png"})
                .exitCode,
            0);
  EXPECT_EQ(Size(src / "o" / "wide.png"), "10x8 PNG");
  // Two sources on one name in one batch (files named one by one keep no folders): neither is
  // lost.
  fs::create_directories(src / "again");
  fs::copy_file(src / "wide.png", src / "again" / "wide.png");
  ASSERT_EQ(Process({"--to", "jpg", "--out", (temp / "same").string(), "src/wide.png",
                     "src/again/wide.png"})
                .exitCode,
            0);
  EXPECT_EQ(Files(temp / "same"), (std::set<std::string>{"wide.jpg", "wide (2).jpg"}));
  ASSERT_EQ(Process({"--to", "jpg", "--out", (temp / "flat").string(), "--name", "x",
                     "src/wide.png", "src/again/wide.png"})
                .exitCode,
            0);
  EXPECT_EQ(Files(temp / "flat"), (std::set<std::string>{"x.jpg", "x (2).jpg"}));
  // Its own source is replaced only with --yes.
  const RunResult refused =
      Process({"--existing", "overwrite", "--size", "long:100", "src/photo.jpg"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("without --yes"), std::string::npos) << refused.err;
  EXPECT_EQ(Size(src / "photo.jpg"), "400x300 JPEG");
  ASSERT_EQ(
      Process({"--existing", "overwrite", "--yes", "--size", "long:100", "src/photo.jpg"}).exitCode,
      0);
  EXPECT_EQ(Size(src / "photo.jpg"), "100x75 JPEG");
}

TEST_F(ProcessTool, AFileNamedWithoutItsFolderIsWrittenBesideIt) {
  // "photo.jpg" in the current folder: the output's folder is the current one, made already.
  fs::copy_file(src / "photo.jpg", temp / "bare.jpg");
  const RunResult beside = Process({"--to", "png", "bare.jpg"});
  ASSERT_EQ(beside.exitCode, 0) << beside.err;
  EXPECT_EQ(Size(temp / "bare.png"), "400x300 PNG");
  ASSERT_EQ(Process({"--to", "png", "--out", "small", "--size", "long:40", "bare.jpg"}).exitCode,
            0);
  EXPECT_EQ(Size(temp / "small" / "bare.png"), "40x30 PNG");
}

TEST_F(ProcessTool, RecursiveKeepsTheTreeAndNeverReadsItsOutput) {
  fs::create_directories(src / "2024" / "May");
  fs::copy_file(src / "wide.png", src / "2024" / "May" / "deep.png");
  ASSERT_EQ(
      Process({"--recursive", "--to", "png", "--out", (temp / "tree").string(), "src"}).exitCode,
      0);
  EXPECT_EQ(Files(temp / "tree"),
            (std::set<std::string>{"photo.png", "wide.png", "2024/May/deep.png"}));
  // A relative output folder is below each folder read, and never read itself.
  for (int run = 0; run < 2; ++run) {
    ASSERT_EQ(Process({"--recursive", "--to", "webp", "--size", "long:50", "--out", "web", "src"})
                  .exitCode,
              0);
  }
  EXPECT_EQ(Files(src / "web"),
            (std::set<std::string>{"photo.webp", "wide.webp", "photo (2).webp", "wide (2).webp"}));
  EXPECT_EQ(Files(src / "2024" / "May" / "web"),
            (std::set<std::string>{"deep.webp", "deep (2).webp"}));
  // An absolute output folder inside the tree read is left out too.
  ASSERT_EQ(
      Process({"--recursive", "--to", "bmp", "--out", (src / "2024").string(), "src"}).exitCode, 0);
  EXPECT_TRUE(fs::exists(src / "2024" / "wide.bmp"));
  EXPECT_FALSE(fs::exists(src / "2024" / "2024"));
}

TEST_F(ProcessTool, ADamagedFileInTheMiddleIsReportedAndTheRestWritten) {
  std::ofstream(src / "broken.jpg") << "not a picture at all";
  fs::copy_file(src / "wide.png", src / "zz.png");
  const RunResult r = Process({"--to", "jpg", "--out", "o", "--report", "r.csv", "src"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("3 written, 0 skipped, 1 failed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("failed: src/broken.jpg: JPEG error"), std::string::npos) << r.err;
  EXPECT_EQ(Files(src / "o"), (std::set<std::string>{"photo.jpg", "wide.jpg", "zz.jpg"}));
  ASSERT_EQ(Process({"--to", "jpg", "--out", "j", "--report", "r.json", "src"}).exitCode, 1);
  const RunResult check = RunPython(
      "import csv, json, sys\n"
      "rows = list(csv.DictReader(open(sys.argv[1], newline='')))\n"
      "print(len(rows), [r['status'] for r in rows], rows[0]['message'][:10])\n"
      "print(rows[1]['width'], rows[1]['height'], int(rows[1]['bytes_out']) > 0)\n"
      "j = json.load(open(sys.argv[2]))\n"
      "print(j['done'], j['failed'], j['files'][0]['status'], j['files'][0]['output'])\n",
      {(temp / "r.csv").string(), (temp / "r.json").string()});
  ASSERT_EQ(check.exitCode, 0) << check.err;
  EXPECT_EQ(check.out,
            "4 ['failed', 'done', 'done', 'done'] JPEG error\n400 300 True\n3 1 failed \n");
}

TEST_F(ProcessTool, PresetsBuiltInSavedAndOverridden) {
  ASSERT_TRUE(Magick({"-size", "3200x2000", "gradient:white-navy", (src / "big.jpg").string()}));
  ASSERT_EQ(Process({"--preset", "Email", "--name", "email", "src/big.jpg"}, false).exitCode, 0);
  EXPECT_EQ(Size(src / "email.jpg"), "1600x1000 JPEG");
  ASSERT_EQ(Process({"--preset", "Email", "--size", "long:800", "--to", "png", "--name", "over",
                     "src/big.jpg"},
                    false)
                .exitCode,
            0);
  EXPECT_EQ(Size(src / "over.png"), "800x500 PNG");
  // A preset the user saved, as the window keeps it.
  fs::create_directories(temp / "config" / "pixtrel" / "presets");
  std::ofstream(temp / "config" / "pixtrel" / "presets" / "Shop.preset")
      << "# Pixtrel preset \"Shop\"\nsize=fit:300x300\nto=webp\nname={preset}-{name}\n";
  const RunResult shop = Process({"--preset", "Shop", "src/big.jpg"}, false);
  ASSERT_EQ(shop.exitCode, 0) << shop.err;
  EXPECT_EQ(Size(src / "Shop-big.webp"), "300x188 WEBP");
  const RunResult list = RunProgram(
      {"env", "XDG_CONFIG_HOME=" + (temp / "config").string(), PIXTREL_BATCH_PATH, "presets"});
  EXPECT_NE(list.out.find("Email (built in): --size=long:1600"), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("Shop: --size=fit:300x300 --to=webp"), std::string::npos) << list.out;
  const RunResult missing = Process({"--preset", "Nope", "src/big.jpg"}, false);
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("no preset named 'Nope'"), std::string::npos);
}

TEST_F(ProcessTool, NameListsAndShardsTogetherAreOneRun) {
  for (const char* name : {"p0.png", "p1.png", "p2.png", "p3.png", "p4.png", "p5.png", "p6.png"})
    fs::copy_file(src / "wide.png", src / name);
  ASSERT_EQ(Process({"--size", "long:64", "--to", "webp", "--out", (temp / "one").string(),
                     "--name", "{n:2}-{name}", "src"})
                .exitCode,
            0);
  for (int k = 1; k <= 3; ++k) {
    ASSERT_EQ(Process({"--size", "long:64", "--to", "webp", "--out", (temp / "shards").string(),
                       "--name", "{n:2}-{name}", "--shard", std::to_string(k) + "/3", "src"})
                  .exitCode,
              0);
  }
  const std::set<std::string> one = Files(temp / "one");
  EXPECT_EQ(one.size(), 9u);
  EXPECT_EQ(Files(temp / "shards"), one);
  for (const std::string& name : one)
    EXPECT_EQ(FileContents(temp / "one" / name), FileContents(temp / "shards" / name)) << name;
  // Names from a file, by line and by NUL.
  std::ofstream(temp / "list.txt") << "src/p1.png\n\nsrc/p2.png\n";
  ASSERT_EQ(
      Process({"--files-from", "list.txt", "--to", "bmp", "--out", (temp / "l").string()}).exitCode,
      0);
  EXPECT_EQ(Files(temp / "l"), (std::set<std::string>{"p1.bmp", "p2.bmp"}));
  std::ofstream(temp / "list0", std::ios::binary) << std::string("src/p3.png\0src/p4.png\0", 22);
  ASSERT_EQ(Process({"--files-from", "list0", "-0", "--to", "bmp", "--out", (temp / "z").string()})
                .exitCode,
            0);
  EXPECT_EQ(Files(temp / "z"), (std::set<std::string>{"p3.bmp", "p4.bmp"}));
}

// Progressive and optimised JPEG outputs: other readers see the scans; optimised tables make a
// smaller file with the very same pixels.
TEST_F(ProcessTool, ProgressiveAndOptimisedJpegOutputs) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("djpeg");
  for (const auto& [name, flags] : {std::pair<std::string, std::vector<std::string>>{"plain", {}},
                                    {"progressive", {"--progressive"}},
                                    {"optimised", {"--optimise"}}}) {
    std::vector<std::string> args = {"--size", "long:200", "--to", "jpg", "--name", name};
    args.insert(args.end(), flags.begin(), flags.end());
    args.push_back("src/wide.png");
    const RunResult r = Process(args);
    ASSERT_EQ(r.exitCode, 0) << name << r.err;
  }
  const RunResult scans = RunPython(
      "import sys\nfrom PIL import Image\n"
      "for f in sys.argv[1:]: print(bool(Image.open(f).info.get('progressive')))\n",
      {(src / "plain.jpg").string(), (src / "progressive.jpg").string(),
       (src / "optimised.jpg").string()});
  ASSERT_EQ(scans.exitCode, 0) << scans.err;
  EXPECT_EQ(scans.out, "False\nTrue\nFalse\n");
  EXPECT_LT(fs::file_size(src / "optimised.jpg"), fs::file_size(src / "plain.jpg"));
  const auto pixels = [&](const std::string& name) {
    return RunProgram({"djpeg", "-ppm", (src / name).string()}).out;
  };
  EXPECT_EQ(pixels("optimised.jpg"), pixels("plain.jpg"));
  EXPECT_EQ(pixels("progressive.jpg"), pixels("plain.jpg"));
}

// Files are worked on in parallel but named and written in list order: one job, several, and a
// memory budget that lets one file in at a time give the same files, names and summary.
TEST_F(ProcessTool, AnyNumberOfJobsGivesTheSameFilesAndNames) {
  for (int i = 0; i < 6; ++i)
    fs::copy_file(src / "wide.png", src / ("p" + std::to_string(i) + ".png"));
  ASSERT_TRUE(Magick({(src / "wide.png").string(), (src / "p0.bmp").string()}));
  ASSERT_TRUE(Magick({(src / "wide.png").string(), "-rotate", "90", (src / "p0.gif").string()}));
  std::ofstream(src / "p3.jpg") << "damaged";
  const auto run = [&](const std::string& out, const std::string& jobs, const char* memory) {
    std::vector<std::string> args = {
        "env",
        "XDG_CONFIG_HOME=" + (temp / "config").string(),
        memory ? std::string("PIXTREL_BATCH_MEMORY_MB=") + memory : std::string("PIXTREL_UNUSED=1"),
        PIXTREL_BATCH_PATH,
        "process",
        "--size",
        "long:120",
        "--to",
        "jpg",
        "--name",
        "{name}-{w}x{h}",
        "--out",
        (temp / out).string(),
        "-j",
        jobs,
        "src"};
    return RunProgram(args, temp.path());
  };
  const RunResult one = run("one", "1", nullptr);
  EXPECT_EQ(one.exitCode, 1) << one.err;
  EXPECT_NE(one.err.find("10 written, 0 skipped, 1 failed"), std::string::npos) << one.err;
  const std::set<std::string> names = Files(temp / "one");
  // p0.bmp and p0.png both make p0-120x90.jpg: the one listed first keeps the name.
  EXPECT_EQ(names.count("p0-120x90.jpg") + names.count("p0-120x90 (2).jpg"), 2u);
  EXPECT_EQ(names.count("p0-90x120.jpg"), 1u);
  for (const auto& [out, jobs, memory] :
       {std::tuple<const char*, const char*, const char*>{"four", "4", nullptr},
        {"tight", "3", "1"}}) {
    const RunResult many = run(out, jobs, memory);
    EXPECT_EQ(many.exitCode, 1) << out << many.err;
    std::string expected = one.out;
    for (std::size_t at; (at = expected.find("/one/")) != std::string::npos;)
      expected.replace(at, 5, "/" + std::string(out) + "/");
    EXPECT_EQ(many.out, expected);
    ASSERT_EQ(Files(temp / out), names) << out;
    for (const std::string& name : names)
      EXPECT_EQ(FileContents(temp / out / name), FileContents(temp / "one" / name)) << name;
  }
  // A source named without a folder is written beside it; -jN is -j N.
  fs::copy_file(src / "wide.png", temp / "here.png");
  const RunResult bare = Process({"--to", "bmp", "-j2", "here.png"});
  EXPECT_EQ(bare.exitCode, 0) << bare.err;
  EXPECT_EQ(Size(temp / "here.bmp"), "400x300 BMP");
  // The same sources in the same order: the first listed p0 took the plain name in every run.
  EXPECT_NE(one.out.find("src/p0.bmp -> " + (temp / "one" / "p0-120x90.jpg").string()),
            std::string::npos)
      << one.out;
}

TEST_F(ProcessTool, FastResamplingAgreesWithPillowsLanczos) {
  ASSERT_TRUE(Magick({"-seed", "9", "-size", "1200x900", "plasma:fractal", "-blur", "0x1",
                      "-quality", "95", (src / "p.jpg").string()}));
  for (const char* size : {"600", "363", "150"}) {
    SCOPED_TRACE(size);
    ASSERT_EQ(Process({"--size", std::string("long:") + size, "--to", "png", "--name",
                       std::string("fast") + size, "src/p.jpg"})
                  .exitCode,
              0);
    const RunResult psnr = RunPython(
        "import sys, math\n"
        "from PIL import Image\n"
        "ours = Image.open(sys.argv[1]).convert('RGB')\n"
        "ref = Image.open(sys.argv[2]).convert('RGB').resize(ours.size, Image.LANCZOS)\n"
        "a, b = ours.tobytes(), ref.tobytes()\n"
        "mse = sum((x - y) ** 2 for x, y in zip(a, b)) / len(a)\n"
        "print('%.1f' % (99 if mse == 0 else 10 * math.log10(255 * 255 / mse)))\n",
        {(src / (std::string("fast") + size + ".png")).string(), (src / "p.jpg").string()});
    ASSERT_EQ(psnr.exitCode, 0) << psnr.err;
    EXPECT_GE(std::stod(psnr.out), 42.0) << psnr.out;
  }
}

// The fast method decodes a large JPEG at the codec's scale; the geometry (orientation tag,
// user's turn, fill's crop, pad's canvas) is planned on the full size all the same, and the
// pixels agree with Pillow's Lanczos of the full picture.
TEST_F(ProcessTool, FastScaledDecodingKeepsTheGeometryOfTheFullPicture) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  ASSERT_TRUE(Magick({"-seed", "5", "-size", "2400x1600", "plasma:fractal", "-blur", "0x1",
                      "-quality", "93", (src / "tagged.jpg").string()}));
  ASSERT_EQ(RunProgram({"exiftool", "-q", "-overwrite_original", "-n", "-Orientation=6",
                        (src / "tagged.jpg").string()})
                .exitCode,
            0);
  const struct {
    std::vector<std::string> args;
    const char* size;
    const char* reference;  // Pillow's picture of the upright source, sized as asked
  } cases[] = {
      {{"--size", "long:300"}, "200x300", "src.resize((200, 300), Image.LANCZOS)"},
      {{"--size", "fill:150x150", "--turn", "right"},
       "150x150",
       "ImageOps.fit(src.transpose(Image.ROTATE_270), (150, 150), Image.LANCZOS)"},
      {{"--size", "width:123"}, "123x184", "src.resize((123, 184), Image.LANCZOS)"},
  };
  int i = 0;
  for (const auto& c : cases) {
    const std::string name = "scaled" + std::to_string(i++);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--to", "png", "--name", name, "src/tagged.jpg"});
    SCOPED_TRACE(name);
    ASSERT_EQ(Process(args).exitCode, 0);
    EXPECT_EQ(Size(src / (name + ".png")), std::string(c.size) + " PNG");
    const RunResult psnr = RunPython(
        std::string("import sys, math\n"
                    "from PIL import Image, ImageOps\n"
                    "src = ImageOps.exif_transpose(Image.open(sys.argv[2])).convert('RGB')\n"
                    "ours = Image.open(sys.argv[1]).convert('RGB')\n"
                    "ref = ") +
            c.reference +
            "\n"
            "a, b = ours.tobytes(), ref.tobytes()\n"
            "mse = sum((x - y) ** 2 for x, y in zip(a, b)) / len(a)\n"
            "print('%.1f' % (99 if mse == 0 else 10 * math.log10(255 * 255 / mse)))\n",
        {(src / (name + ".png")).string(), (src / "tagged.jpg").string()});
    ASSERT_EQ(psnr.exitCode, 0) << psnr.err;
    EXPECT_GE(std::stod(psnr.out), 40.0) << psnr.out;
  }
}

// {W} and {H} are the source's size as seen, also on the resize tabs' own route and for a WebP
// or PNG whose EXIF block says to turn it (a PNG's may come after its pixels).
TEST_F(ProcessTool, SourceSizeInNamesIsTheUprightOne) {
  PIXTREL_SKIP_WITHOUT_PROGRAM("exiftool");
  for (const char* format : {"webp", "png"}) {
    const std::string tagged = std::string("tagged.") + format;
    ASSERT_TRUE(Magick({(src / "wide.png").string(), (src / tagged).string()}));
    ASSERT_EQ(RunProgram({"exiftool", "-q", "-overwrite_original", "-n", "-Orientation=6",
                          (src / tagged).string()})
                  .exitCode,
              0);
    for (const char* method : {"better", "fast"}) {
      SCOPED_TRACE(tagged + " " + method);
      const std::string name = std::string(method) + "-" + format + "-{W}x{H}-{w}x{h}";
      ASSERT_EQ(Process({"--size", "long:100", "--method", method, "--name", name, "src/" + tagged})
                    .exitCode,
                0);
      std::string upper = format;
      for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      EXPECT_EQ(Size(src / (std::string(method) + "-" + format + "-300x400-75x100." + format)),
                "75x100 " + upper);
    }
  }
}

// --max-size: every output at most that size, the quality it got in the report, a picture made
// smaller when even quality 10 is too big, and formats without a quality refused.
TEST_F(ProcessTool, OutputsFitTheSizeAsked) {
  ASSERT_TRUE(Magick({"-seed", "3", "-size", "1200x900", "plasma:fractal", "+noise", "Gaussian",
                      "-quality", "97", (src / "noisy.jpg").string()}));
  for (const auto& [to, limit] : {std::pair<std::string, int>{"jpg", 60000}, {"webp", 120000}}) {
    SCOPED_TRACE(to);
    const RunResult r =
        Process({"--to", to, "--max-size", std::to_string(limit / 1000) + "k", "--name",
                 "fit-" + to, "--report", "fit-" + to + ".csv", "src/noisy.jpg"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path out = src / ("fit-" + to + "." + to);
    EXPECT_LE(fs::file_size(out), static_cast<std::uintmax_t>(limit));
    EXPECT_NE(r.out.find("(quality "), std::string::npos) << r.out;
    EXPECT_EQ(Size(out).substr(0, 8), "1200x900");
    const RunResult report = RunPython(
        "import csv, sys\nrow = next(csv.DictReader(open(sys.argv[1], newline='')))\n"
        "print(10 <= int(row['quality']) < 89, row['bytes_out'] == sys.argv[2])\n",
        {(temp / ("fit-" + to + ".csv")).string(), std::to_string(fs::file_size(out))});
    EXPECT_EQ(report.out, "True True\n") << report.err;
  }
  // Too small even at quality 10: made smaller.
  const RunResult tiny =
      Process({"--to", "jpg", "--max-size", "8k", "--name", "tiny", "src/noisy.jpg"});
  ASSERT_EQ(tiny.exitCode, 0) << tiny.err;
  EXPECT_LE(fs::file_size(src / "tiny.jpg"), 8000u);
  EXPECT_NE(tiny.err.find("made smaller: src/noisy.jpg: quality 10 and"), std::string::npos)
      << tiny.err;
  const auto small = ReadWithPil(src / "tiny.jpg");
  ASSERT_TRUE(small);
  EXPECT_LT(small->width, 1200);
  EXPECT_LE(std::abs(small->width * 3 - small->height * 4), 4);  // the shape kept
  const RunResult png = Process({"--to", "png", "--max-size", "8k", "src/noisy.jpg"});
  EXPECT_EQ(png.exitCode, 1);
  EXPECT_NE(png.err.find("--max-size needs an output written at a quality (--to jpg or webp"),
            std::string::npos)
      << png.err;
}

}  // namespace
}  // namespace pixtrel::test
