#pragma once
// Four-component (CMYK and YCCK) JPEG pictures converted to sRGB through the CMYK profile they
// carry (LittleCMS 2, relative colorimetric), as a colour-managed viewer shows them.
#include <cstdint>
#include <memory>
#include <span>

namespace pixtrel {

class CmykToSrgb {
 public:
  // A converter for the profile, or nothing when it is not a CMYK profile LittleCMS can use.
  // inverted: the samples are stored inverted (0 = full ink), as Adobe's files store them.
  static std::unique_ptr<CmykToSrgb> ForProfile(std::span<const std::uint8_t> icc, bool inverted);
  ~CmykToSrgb();
  CmykToSrgb(const CmykToSrgb&) = delete;
  CmykToSrgb& operator=(const CmykToSrgb&) = delete;

  // One row of width pixels: four samples each in, blue, green, red out.
  void Convert(const std::uint8_t* cmyk, std::uint8_t* bgr, int width) const noexcept;

  // The same as a plain function for the JPEG bridge; context is the converter.
  static void ConvertRow(const void* context, const std::uint8_t* cmyk, std::uint8_t* bgr,
                         int width) noexcept;

 private:
  struct Handles;
  explicit CmykToSrgb(std::unique_ptr<Handles> handles);
  std::unique_ptr<Handles> handles_;
};

}  // namespace pixtrel
