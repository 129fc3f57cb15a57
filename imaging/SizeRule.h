#pragma once
// How the one-pass command sizes a picture: the longer or shorter side, a width or a height, a
// box the picture fits in, fills or is stretched to, a canvas it is centred on, or a percentage.
// Pure geometry: which part of the picture is used, the size it is resampled to and the canvas
// it ends on.
#include <string>
#include <string_view>

namespace pixtrel {

struct SizeRule {
  enum class Kind { None, Long, Short, Width, Height, Fit, Fill, Stretch, Pad, Percent };
  Kind kind = Kind::None;
  int a = 0;  // N, the box's width, or the percentage
  int b = 0;  // the box's height
};

// "none", "long:N", "short:N", "width:N", "height:N", "fit:WxH", "fill:WxH", "stretch:WxH",
// "pad:WxH", "percent:P". Throws "Unknown size ..." naming what is wrong.
SizeRule ParseSizeRule(std::string_view text);
// The text ParseSizeRule reads back.
std::string SizeRuleText(const SizeRule& rule);

struct SizeGeometry {
  // The part of the picture used (all of it, except where fill cuts the sides off).
  int cropLeft = 0, cropTop = 0, cropWidth = 0, cropHeight = 0;
  int width = 0, height = 0;  // what that part is resampled to
  // The canvas the result ends on: the resampled size, except for pad, which centres it.
  int canvasWidth = 0, canvasHeight = 0;
  int left = 0, top = 0;

  bool cropped(int pictureWidth, int pictureHeight) const {
    return cropWidth != pictureWidth || cropHeight != pictureHeight;
  }
  bool resampled() const { return width != cropWidth || height != cropHeight; }
  bool padded() const { return canvasWidth != width || canvasHeight != height; }
};

// The geometry for a picture of width x height. With shrinkOnly a picture the rule would
// enlarge keeps its size (pad still centres it on its canvas). Sides round half to even, as
// the resize tabs' do, and are at least 1; results beyond the picture size limits throw.
SizeGeometry PlanSize(const SizeRule& rule, int width, int height, bool shrinkOnly);

}  // namespace pixtrel
