// The one colour index a GIF output may mark transparent, found from a decoded picture's alpha.
#include <gtest/gtest.h>

#include "codecs/gif/GifCodec.h"
#include "core/DecodedPicture.h"

namespace pixtrel {
namespace {

// 6 x 4, index 0 where the picture is to be transparent.
PaletteBitmap Indices() {
  PaletteBitmap bitmap(6, 4, 8, {Rgb{0, 255, 0}, Rgb{255, 0, 0}, Rgb{0, 0, 255}});
  const std::uint8_t pixels[] = {0, 0, 1, 1, 2, 2, 0, 1, 1, 2, 2, 0,
                                 1, 1, 0, 0, 2, 2, 2, 0, 0, 1, 1, 0};
  std::copy(std::begin(pixels), std::end(pixels), bitmap.data());
  return bitmap;
}

TEST(TransparentIndex, OneIndexStandsForTransparencyOnlyWhenItCoversExactlyTheClearPixels) {
  DecodedPicture picture;
  picture.raster = Indices();
  EXPECT_EQ(TransparentIndexOf(picture), -1);  // no alpha plane
  std::vector<std::uint8_t> alpha(24);
  for (std::size_t i = 0; i < alpha.size(); ++i)
    alpha[i] = Indices().data()[i] == 0 ? 0 : 255;
  picture.alpha = alpha;
  EXPECT_EQ(TransparentIndexOf(picture), 0);
  picture.alpha->at(2) = 0;  // a red pixel clear too: two indices
  EXPECT_EQ(TransparentIndexOf(picture), -1);
  picture.alpha = alpha;
  picture.alpha->at(0) = 255;  // index 0 also drawn opaque
  EXPECT_EQ(TransparentIndexOf(picture), -1);
  picture.alpha = alpha;
  picture.alpha->at(0) = 128;  // partly see-through
  EXPECT_EQ(TransparentIndexOf(picture), -1);
  picture.alpha = std::vector<std::uint8_t>(24, 255);  // opaque everywhere
  EXPECT_EQ(TransparentIndexOf(picture), -1);
  picture.raster = ExpandToBitmap24(Indices());  // not a colour-index picture
  picture.alpha = alpha;
  EXPECT_EQ(TransparentIndexOf(picture), -1);
}

TEST(TransparentIndex, AMarkedIndexIsWrittenAsAGraphicControlExtension) {
  TGIFImage picture;
  SetGifRaster(picture, Indices());
  SetGifTransparentIndex(picture, 3);  // beyond the three-colour table: nothing to mark
  SetGifTransparentIndex(picture, -1);
  Bytes bytes = EncodeGif(picture);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF87a");
  EXPECT_EQ(DecodeGif(bytes).images.front().transparentIndex(), -1);

  SetGifTransparentIndex(picture, 2);
  bytes = EncodeGif(picture);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
  const TGIFImage read = DecodeGif(bytes);
  ASSERT_EQ(read.images.size(), 1u);
  EXPECT_EQ(read.images.front().transparentIndex(), 2);
  EXPECT_EQ(read.images.front().pixels, picture.images.front().pixels);
}

}  // namespace
}  // namespace pixtrel
