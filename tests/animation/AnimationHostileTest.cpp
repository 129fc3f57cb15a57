// Hostile animations: huge canvases with tiny frames, too many frames, frames claiming more than
// the file can hold, and files cut off anywhere. Refused with a message before anything large is
// allocated, or read as far as they go.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "codecs/gif/GifAnimation.h"
#include "codecs/webp/WebpAnimation.h"
#include "core/Errors.h"
#include "core/Limits.h"
#include "imaging/AnimationFrames.h"
#include "tests/animation/AnimationTools.h"
#include "tests/gif/GifBuilder.h"
#include "tests/support/TestSupport.h"

using namespace pixtrel;
using namespace pixtrel::test;

namespace {

// The message of what fn throws, or "" when it does not.
template <typename Fn>
std::string MessageOf(Fn fn) {
  try {
    fn();
  } catch (const Exception& e) {
    return e.what();
  }
  return "";
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

// A GIF of the given screen with `frames` 1 x 1 frames, padded with a comment of `padding` bytes.
Bytes TinyFramesGif(int width, int height, int frames, std::size_t padding = 0) {
  GifBuilder gif;
  gif.screen(width, height, 1);
  for (std::size_t left = padding; left > 0;) {
    const std::size_t n = std::min<std::size_t>(left, 255 * 200);
    gif.raw({'!', 0xFE});
    for (std::size_t at = 0; at < n; at += 255) {
      const std::size_t block = std::min<std::size_t>(255, n - at);
      gif.u8(static_cast<int>(block));
      gif.bytes.insert(gif.bytes.end(), block, 'x');
    }
    gif.u8(0);
    left -= n;
  }
  for (int i = 0; i < frames; ++i)
    gif.image(0, 0, 1, 1, 0, {static_cast<std::uint8_t>(i & 1)});
  gif.trailer();
  return gif.bytes;
}

std::uint32_t Le32(const Bytes& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
void PutLe(Bytes& b, std::size_t at, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i)
    b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A two-frame WebP animation of 1 x 1 frames, rebuilt with the canvas, the first ANMF chunk
// repeated to `frames` frames and a padding chunk so that the file has `size` bytes.
Bytes ForgedWebp(int canvasWidth, int canvasHeight, int frames, std::size_t size = 0) {
  AnimatedPicture small;
  small.width = small.height = 1;
  small.frames.push_back(SolidFrame(1, 1, 255, 0, 0));
  small.frames.push_back(SolidFrame(1, 1, 0, 0, 255));
  const Bytes made = EncodeWebpAnimation(small, PictureMetadata{}, WebpSettings{true, 90});
  Bytes head, anmf;
  for (std::size_t at = 12; at + 8 <= made.size();) {
    const std::size_t length = Le32(made, at + 4), whole = 8 + length + (length & 1);
    const Bytes chunk(made.begin() + static_cast<long>(at),
                      made.begin() + static_cast<long>(at + whole));
    if (std::memcmp(&made[at], "ANMF", 4) == 0) {
      if (anmf.empty()) anmf = chunk;
    } else {
      head.insert(head.end(), chunk.begin(), chunk.end());
    }
    at += whole;
  }
  EXPECT_EQ(std::memcmp(head.data(), "VP8X", 4), 0);
  PutLe(head, 12, static_cast<std::uint32_t>(canvasWidth - 1), 3);
  PutLe(head, 15, static_cast<std::uint32_t>(canvasHeight - 1), 3);
  Bytes file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'};
  file.insert(file.end(), head.begin(), head.end());
  for (int i = 0; i < frames; ++i)
    file.insert(file.end(), anmf.begin(), anmf.end());
  if (size > file.size() + 8) {
    const std::size_t pad = (size - file.size() - 8) & ~std::size_t{1};
    const Bytes junk = {'J', 'U', 'N', 'K', 0, 0, 0, 0};
    file.insert(file.end(), junk.begin(), junk.end());
    PutLe(file, file.size() - 4, static_cast<std::uint32_t>(pad), 4);
    file.resize(file.size() + pad, 0);
  }
  PutLe(file, 4, static_cast<std::uint32_t>(file.size() - 8), 4);
  return file;
}

}  // namespace

TEST(AnimationHostile, GifScreenTimesFramesIsHeldToTheLimitBeforeComposing) {
  // 16000 x 16000 is a legal screen, and 60 KB of data may claim it; two frames of it may not.
  const Bytes big = TinyFramesGif(16000, 16000, 2, 60000);
  const long before = PeakMemoryKiB();
  EXPECT_EQ(MessageOf([&] { DecodeGifAnimation(big); }),
            "Picture too large: 2 frames of 16000 x 16000 pixels (at most 268435456 pixels in "
            "all frames together)");
  // 4000 x 4000 twice is within the limit, but not what 200 bytes can describe.
  const Bytes tiny = TinyFramesGif(4000, 4000, 2);
  EXPECT_TRUE(StartsWith(MessageOf([&] { DecodeGifAnimation(tiny); }),
                         "Picture too large for its data: 2 frames of 4000 x 4000 pixels in "));
  EXPECT_LT(PeakMemoryKiB() - before, 64L << 10);
}

TEST(AnimationHostile, GifWithMoreFramesThanTheReaderKeepsIsRefused) {
  const Bytes many = TinyFramesGif(1, 1, kMaxGifFrames + 10);
  EXPECT_EQ(MessageOf([&] { DecodeGifAnimation(many); }),
            "Picture too large: more than 4096 frames");
  EXPECT_EQ(CountGifFrames(many), kMaxGifFrames);
  // At the limit it is read.
  EXPECT_EQ(DecodeGifAnimation(TinyFramesGif(1, 1, kMaxGifFrames)).frames.size(),
            static_cast<std::size_t>(kMaxGifFrames));
}

TEST(AnimationHostile, GifWithNothingToShowIsRefused) {
  GifBuilder empty;
  empty.screen(4, 4, 1).trailer();
  EXPECT_EQ(MessageOf([&] { DecodeGifAnimation(empty.bytes); }), "GIF file has no frames");
  EXPECT_EQ(MessageOf([&] { DecodeGifAnimation(TinyFramesGif(0, 5, 2)); }), "GIF screen is empty");
  GifBuilder noTable;
  noTable.screen(2, 2, 0);
  noTable.image(0, 0, 2, 2, 0, Filled(2, 2, 0));
  noTable.image(0, 0, 2, 2, 0, Filled(2, 2, 0));
  noTable.trailer();
  EXPECT_EQ(MessageOf([&] { DecodeGifAnimation(noTable.bytes); }),
            "No global or local color table defined");
}

TEST(AnimationHostile, GifCutOffAnywhereKeepsTheFramesBeforeTheCut) {
  const Bytes whole = DisposalTestGif();
  const AnimatedPicture complete = DecodeGifAnimation(whole);
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(size));
    try {
      const AnimatedPicture animation = DecodeGifAnimation(cut);
      ASSERT_LE(animation.frames.size(), complete.frames.size()) << size;
      ASSERT_EQ(animation.width, 8);
      // Every frame but the one cut inside shows exactly what the whole file shows.
      for (std::size_t i = 0; i + 1 < animation.frames.size(); ++i) {
        EXPECT_EQ(FrameDifference(RgbaOf(complete.frames[i]), RgbaOf(animation.frames[i]), 8), "")
            << "cut at " << size << ", frame " << i;
      }
    } catch (const Exception& e) {
      EXPECT_FALSE(std::string(e.what()).empty());
    }
  }
}

TEST(AnimationHostile, WebpHugeCanvasOfTinyFramesIsRefusedBeforeLibwebpAllocates) {
  const Bytes forged = ForgedWebp(16383, 16383, 2, 70000);
  ASSERT_EQ(forged.size(), 70000u);
  EXPECT_EQ(CountWebpFrames(forged), 2);
  const long before = PeakMemoryKiB();
  EXPECT_EQ(MessageOf([&] { DecodeWebpAnimation(forged); }),
            "Picture too large: 2 frames of 16383 x 16383 pixels (at most 268435456 pixels in all "
            "frames together)");
  // Within the limit, but more than 5,000 bytes can describe.
  EXPECT_EQ(MessageOf([&] { DecodeWebpAnimation(ForgedWebp(4000, 4000, 10, 5000)); }),
            "Picture too large for its data: 10 frames of 4000 x 4000 pixels in 5000 bytes");
  EXPECT_LT(PeakMemoryKiB() - before, 64L << 10);
  // The same forgery with a small canvas is a sound animation.
  EXPECT_EQ(DecodeWebpAnimation(ForgedWebp(3, 2, 2)).frames.size(), 2u);
}

TEST(AnimationHostile, WebpWithTooManyFramesIsRefused) {
  EXPECT_EQ(MessageOf([&] { DecodeWebpAnimation(ForgedWebp(1, 1, kMaxAnimationFrames + 1)); }),
            "Picture too large: 4097 frames of 1 x 1 pixels (at most 4096 frames)");
  EXPECT_EQ(DecodeWebpAnimation(ForgedWebp(1, 1, 300)).frames.size(), 300u);
}

TEST(AnimationHostile, WebpCutOffAnywhereFailsWithAMessage) {
  AnimatedPicture animation;
  animation.width = 12;
  animation.height = 9;
  for (int i = 0; i < 3; ++i) {
    animation.frames.push_back(SolidFrame(12, 9, 40, 50, 60));
    Paint(animation.frames.back(), i * 3, 2, 3, 3, 250, 0, 0);
  }
  const Bytes whole = EncodeWebpAnimation(animation, PictureMetadata{}, WebpSettings{false, 80});
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(size));
    EXPECT_FALSE(MessageOf([&] { DecodeWebpAnimation(cut); }).empty()) << "cut at " << size;
  }
}

TEST(AnimationHostile, ResizeIsHeldToTheLimitBeforeScaling) {
  AnimatedPicture animation;
  animation.width = animation.height = 4;
  for (int i = 0; i < 3; ++i)
    animation.frames.push_back(SolidFrame(4, 4, 1, 2, 3));
  const long before = PeakMemoryKiB();
  EXPECT_TRUE(
      StartsWith(MessageOf([&] { ResizeAnimation(animation, 12000, 12000, ResizeMethod::Normal); }),
                 "Picture too large: 3 frames of 12000 x 12000 pixels"));
  EXPECT_LT(PeakMemoryKiB() - before, 64L << 10);
}
