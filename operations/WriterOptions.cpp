#include "operations/WriterOptions.h"

#include <functional>

#include "core/Errors.h"

namespace pixtrel {
namespace {

// A small picture with smooth and sharp changes, so that every setting has something to act on.
Bitmap24 SamplePicture() {
  constexpr int kSide = 24;
  Bitmap24 picture(kSide, kSide);
  for (int y = 0; y < kSide; ++y) {
    std::uint8_t* row = picture.row(y);
    for (int x = 0; x < kSide; ++x) {
      row[3 * x] = static_cast<std::uint8_t>(x * 10);
      row[3 * x + 1] = static_cast<std::uint8_t>(y * 10);
      row[3 * x + 2] = static_cast<std::uint8_t>((x ^ y) & 4 ? 230 : 20);
    }
  }
  return picture;
}

Bytes Written(const FormatRow& row, const std::function<void(EncodeSettings&)>& change) {
  EncodeJob job;
  job.raster = SamplePicture();
  change(job.settings);
  return row.encode(job);
}

}  // namespace

WriterOptions WriterOptionsOf(const FormatRow& row) {
  WriterOptions options;
  if (!row.writable()) return options;
  Bytes plain;
  try {
    plain = Written(row, [](EncodeSettings&) {});
  } catch (const Exception&) {
    return options;  // no encoder on this system (its writes say so): nothing to offer
  }
  const auto heeds = [&](const std::function<void(EncodeSettings&)>& change) {
    return Written(row, change) != plain;
  };
  options.quality = heeds([](EncodeSettings& s) { s.quality = 20; });
  options.lossless = heeds([](EncodeSettings& s) { s.lossless = true; });
  options.progressive = heeds([](EncodeSettings& s) { s.progressive = true; });
  options.optimise = heeds([](EncodeSettings& s) { s.optimise = true; });
  return options;
}

}  // namespace pixtrel
