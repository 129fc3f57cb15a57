#include "batch/ReportWriter.h"

#include <cstdio>

namespace pixtrel {
namespace {

const char* StatusWord(FileReport::Status status) {
  switch (status) {
    case FileReport::Status::Done:
      return "done";
    case FileReport::Status::Skipped:
      return "skipped";
    case FileReport::Status::Failed:
      return "failed";
  }
  return "failed";
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;  // UTF-8 passes as it is
    }
  }
  return out + "\"";
}

}  // namespace

std::string ReportCsv(const ProcessSummary& summary) {
  std::string text =
      "source,output,source_width,source_height,width,height,bytes_in,bytes_out,status,message,"
      "quality\r\n";
  for (const FileReport& f : summary.files) {
    text += CsvField(f.source) + "," + CsvField(f.output) + "," + std::to_string(f.sourceWidth) +
            "," + std::to_string(f.sourceHeight) + "," + std::to_string(f.width) + "," +
            std::to_string(f.height) + "," + std::to_string(f.bytesIn) + "," +
            std::to_string(f.bytesOut) + "," + StatusWord(f.status) + "," + CsvField(f.message) +
            "," + (f.quality > 0 ? std::to_string(f.quality) : std::string()) + "\r\n";
  }
  return text;
}

std::string ReportJson(const ProcessSummary& summary) {
  std::string text = "{\n  \"done\": " + std::to_string(summary.done) +
                     ",\n  \"skipped\": " + std::to_string(summary.skipped) +
                     ",\n  \"failed\": " + std::to_string(summary.failed) +
                     ",\n  \"bytes_in\": " + std::to_string(summary.bytesIn) +
                     ",\n  \"bytes_out\": " + std::to_string(summary.bytesOut) +
                     ",\n  \"files\": [";
  for (std::size_t i = 0; i < summary.files.size(); ++i) {
    const FileReport& f = summary.files[i];
    text += std::string(i == 0 ? "\n" : ",\n") + "    {\"source\": " + JsonString(f.source) +
            ", \"output\": " + JsonString(f.output) +
            ", \"source_width\": " + std::to_string(f.sourceWidth) +
            ", \"source_height\": " + std::to_string(f.sourceHeight) +
            ", \"width\": " + std::to_string(f.width) +
            ", \"height\": " + std::to_string(f.height) +
            ", \"bytes_in\": " + std::to_string(f.bytesIn) +
            ", \"bytes_out\": " + std::to_string(f.bytesOut) + ", \"status\": \"" +
            StatusWord(f.status) + "\", \"message\": " + JsonString(f.message) +
            (f.quality > 0 ? ", \"quality\": " + std::to_string(f.quality) : std::string()) + "}";
  }
  return text + (summary.files.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace pixtrel
