#include "tests/support/OutputCheck.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace pixtrel::test {
namespace {

bool IsPicture(const fs::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* known : {".jpg", ".jpeg", ".jpe", ".png", ".webp", ".gif", ".bmp", ".jxl"}) {
    if (extension == known) return true;
  }
  return false;
}

std::string WithoutPath(std::string line, const fs::path& file) {
  for (const std::string& name : {file.string(), file.filename().string()}) {
    for (std::size_t at; (at = line.find(name)) != std::string::npos;)
      line.replace(at, name.size(), "FILE");
  }
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r'))
    line.pop_back();
  return line;
}

void AddLines(std::vector<std::string>& problems, const std::string& reader,
              const std::string& text, const fs::path& file) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    line = WithoutPath(line, file);
    if (!line.empty()) problems.push_back(reader + ": " + line);
  }
}

// The pre-run file an output was made from, by the naming rules of the commands: a prefix taken
// off, an appended extension taken off, vantro/NAME from NAME; last the same name (overwrite).
const PictureSnapshot::value_type* SourceOf(const fs::path& output, const PictureSnapshot& before) {
  const fs::path folder = output.parent_path();
  const std::string name = output.filename().string();
  std::vector<fs::path> candidates;
  for (const char* prefix : {"mini-", "right-", "left-", "180-", "q-", "bw-"}) {
    if (name.starts_with(prefix)) candidates.push_back(folder / name.substr(strlen(prefix)));
  }
  candidates.push_back(folder / output.stem());  // NAME.jpg.png comes from NAME.jpg
  if (folder.filename() == "vantro") candidates.push_back(folder.parent_path() / name);
  candidates.push_back(output);
  for (const fs::path& candidate : candidates) {
    const auto found = before.find(candidate);
    if (found != before.end()) return &*found;
  }
  return nullptr;
}

std::string ProblemsText(const std::vector<std::string>& problems) {
  std::string text;
  for (const std::string& p : problems)
    text += "\n  " + p;
  return text;
}

}  // namespace

std::map<fs::path, std::vector<std::string>> PictureProblems(const std::vector<fs::path>& files) {
  std::map<fs::path, std::vector<std::string>> problems;
  if (files.empty()) return problems;
  if (HaveProgram("exiftool")) {
    // One run for all: each file's output ends with the line "{end}".
    std::vector<std::string> run{"exiftool"};
    for (const fs::path& file : files) {
      for (const char* option :
           {"-q", "-q", "-validate", "-warning", "-error", "-a", "-s", "-s", "-s"})
        run.push_back(option);
      run.insert(run.end(), {file.string(), "-echo3", "{end}", "-execute"});
    }
    std::istringstream lines(Run(run).out);
    std::size_t index = 0;
    bool first = true;  // the first value of each file is the validation summary
    for (std::string line; std::getline(lines, line) && index < files.size();) {
      if (line == "{end}") {
        ++index;
        first = true;
        continue;
      }
      if (first) {
        first = false;
        continue;
      }
      AddLines(problems[files[index]], "exiftool", line, files[index]);
    }
  }
  for (const fs::path& file : files) {
    std::vector<std::string>& found = problems[file];
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".png" && HaveProgram("pngcheck")) {
      const RunResult r = Run({"pngcheck", "-q", file.string()});
      if (r.exitCode != 0) AddLines(found, "pngcheck", r.out + r.err, file);
    }
    if (extension == ".jxl" && HaveProgram("djxl")) {
      // libjxl's own decoder reads the whole file (it has no check-only mode).
      const fs::path decoded =
          fs::temp_directory_path() / ("pixtrel-check-" + std::to_string(::getpid()) + ".png");
      const RunResult r = Run({"djxl", file.string(), decoded.string(), "--num_threads=1"});
      std::error_code ignored;
      fs::remove(decoded, ignored);
      if (r.exitCode != 0) AddLines(found, "djxl", r.err, file);
    }
    if (extension == ".webp" && HaveProgram("webpinfo")) {
      const RunResult r = Run({"webpinfo", "-quiet", file.string()});
      std::istringstream lines(r.out + r.err);
      for (std::string line; std::getline(lines, line);) {
        if (r.exitCode != 0 || line.find("Warning") != std::string::npos)
          AddLines(found, "webpinfo", line, file);
      }
    }
  }
  return problems;
}

std::vector<std::string> PictureProblems(const fs::path& file) {
  return PictureProblems(std::vector<fs::path>{file})[file];
}

PictureSnapshot SnapshotPictures(const fs::path& folder) {
  PictureSnapshot snapshot;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it.depth() > 1) it.disable_recursion_pending();
    if (it->is_regular_file(ec) && IsPicture(it->path()) && it->file_size(ec) < (64u << 20))
      snapshot[it->path()] = FileContents(it->path());
  }
  return snapshot;
}

void ExpectNoNewProblems(const PictureSnapshot& before, const PictureSnapshot& after) {
  std::vector<fs::path> written;
  for (const auto& [file, bytes] : after) {
    const auto old = before.find(file);
    if (old == before.end() || old->second != bytes) written.push_back(file);
  }
  for (auto& [file, problems] : PictureProblems(written)) {
    if (problems.empty()) continue;
    if (const auto* source = SourceOf(file, before)) {
      // Under the source's own name, so that exiftool takes it for what it is.
      TempFolder scratch;
      const fs::path copy = scratch / source->first.filename();
      WriteBytes(copy, source->second);
      const std::vector<std::string> had = PictureProblems(copy);
      std::erase_if(problems, [&](const std::string& p) {
        return std::find(had.begin(), had.end(), p) != had.end();
      });
    }
    EXPECT_TRUE(problems.empty()) << file << " has problems its source did not have:"
                                  << ProblemsText(problems);
  }
}

}  // namespace pixtrel::test
