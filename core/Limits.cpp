#include "core/Limits.h"

#include <string>

#include "core/Errors.h"

namespace pixtrel {

void CheckPictureSize(std::int64_t width, std::int64_t height) {
  if (width < 0 || height < 0) throw Exception("Bitmap image is not valid");
  if (width > kMaxPictureSide || height > kMaxPictureSide) {
    throw Exception("Picture too large: " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels (a side may have at most " + std::to_string(kMaxPictureSide) +
                    " pixels)");
  }
  if (width * height > kMaxPicturePixels) {
    throw Exception("Picture too large: " + std::to_string(width) + " x " + std::to_string(height) +
                    " pixels (at most " + std::to_string(kMaxPicturePixels) + " pixels in all)");
  }
}

namespace {

[[noreturn]] void TooLargeForData(std::int64_t width, std::int64_t height, std::int64_t dataBytes) {
  throw Exception("Picture too large for its data: " + std::to_string(width) + " x " +
                  std::to_string(height) + " pixels in " + std::to_string(dataBytes) + " bytes");
}

}  // namespace

void CheckPixelsForData(std::int64_t width, std::int64_t height, std::int64_t dataBytes) {
  if (width * height > dataBytes * kMaxPixelsPerDataByte + kPixelsFreeOfData) {
    TooLargeForData(width, height, dataBytes);
  }
}

void CheckDecompressedForData(std::int64_t width, std::int64_t height,
                              std::int64_t decompressedBytes, std::int64_t compressedBytes) {
  if (width * height > kPixelsFreeOfData &&
      decompressedBytes > compressedBytes * kMaxDeflateRatio) {
    TooLargeForData(width, height, compressedBytes);
  }
}

namespace {

std::string FramesText(std::int64_t width, std::int64_t height, std::int64_t frames) {
  return std::to_string(frames) + " frames of " + std::to_string(width) + " x " +
         std::to_string(height) + " pixels";
}

}  // namespace

void CheckAnimationSize(std::int64_t width, std::int64_t height, std::int64_t frames) {
  CheckPictureSize(width, height);
  if (frames > kMaxAnimationFrames) {
    throw Exception("Picture too large: " + FramesText(width, height, frames) + " (at most " +
                    std::to_string(kMaxAnimationFrames) + " frames)");
  }
  if (width * height * frames > kMaxAnimationPixels) {
    throw Exception("Picture too large: " + FramesText(width, height, frames) + " (at most " +
                    std::to_string(kMaxAnimationPixels) + " pixels in all frames together)");
  }
}

void CheckAnimationSize(std::int64_t width, std::int64_t height, std::int64_t frames,
                        std::int64_t dataBytes) {
  CheckAnimationSize(width, height, frames);
  if (width * height * frames > dataBytes * kMaxPixelsPerDataByte + kPixelsFreeOfData) {
    throw Exception("Picture too large for its data: " + FramesText(width, height, frames) +
                    " in " + std::to_string(dataBytes) + " bytes");
  }
}

}  // namespace pixtrel
