#include "imaging/SizeRule.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "core/Errors.h"
#include "core/Limits.h"
#include "imaging/TargetSize.h"

namespace pixtrel {
namespace {

using Kind = SizeRule::Kind;

struct KindName {
  Kind kind;
  std::string_view name;
  int numbers;  // 0, 1 (N) or 2 (WxH)
};

constexpr KindName kKinds[] = {{Kind::None, "none", 0},     {Kind::Long, "long", 1},
                               {Kind::Short, "short", 1},   {Kind::Width, "width", 1},
                               {Kind::Height, "height", 1}, {Kind::Fit, "fit", 2},
                               {Kind::Fill, "fill", 2},     {Kind::Stretch, "stretch", 2},
                               {Kind::Pad, "pad", 2},       {Kind::Percent, "percent", 1}};

[[noreturn]] void Unknown(std::string_view text, const std::string& why) {
  throw Exception("Unknown size \"" + std::string(text) + "\": " + why);
}

// A whole number from 1 to the largest picture side (percentages up to 10,000).
int Number(std::string_view digits, std::string_view text, int most) {
  int value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value < 1 ||
      value > most) {
    Unknown(text, "expected a whole number from 1 to " + std::to_string(most));
  }
  return value;
}

int Round(double value) {
  // nearbyint rounds half to even in the default rounding mode, as the resize tabs do.
  // Anything past the limits is refused afterwards; the cap only keeps the conversion defined.
  const double rounded = std::min(std::nearbyint(value), 1e9);
  return rounded < 1 ? 1 : static_cast<int>(rounded);
}

SizeGeometry Whole(int width, int height) {
  SizeGeometry g;
  g.cropWidth = g.width = g.canvasWidth = width;
  g.cropHeight = g.height = g.canvasHeight = height;
  return g;
}

SizeGeometry Scaled(int width, int height, int outWidth, int outHeight) {
  SizeGeometry g = Whole(width, height);
  g.width = g.canvasWidth = outWidth;
  g.height = g.canvasHeight = outHeight;
  return g;
}

// The sides scaled by one factor, rounded.
SizeGeometry ScaledBy(int width, int height, double factor) {
  return Scaled(width, height, Round(width * factor), Round(height * factor));
}

}  // namespace

SizeRule ParseSizeRule(std::string_view text) {
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                 [&](const KindName& k) { return k.name == name; });
  if (kind == std::end(kKinds)) {
    Unknown(text,
            "expected none, long:N, short:N, width:N, height:N, fit:WxH, fill:WxH, "
            "stretch:WxH, pad:WxH or percent:P");
  }
  SizeRule rule;
  rule.kind = kind->kind;
  if (kind->numbers == 0) {
    if (colon != std::string_view::npos) Unknown(text, "\"none\" takes no number");
    return rule;
  }
  if (colon == std::string_view::npos) Unknown(text, "a number is missing after \":\"");
  const std::string_view numbers = text.substr(colon + 1);
  const int side = static_cast<int>(kMaxPictureSide);
  if (kind->numbers == 1) {
    rule.a = Number(numbers, text, kind->kind == Kind::Percent ? 10000 : side);
    return rule;
  }
  const std::size_t x = numbers.find('x');
  if (x == std::string_view::npos) Unknown(text, "expected a box as WIDTHxHEIGHT");
  rule.a = Number(numbers.substr(0, x), text, side);
  rule.b = Number(numbers.substr(x + 1), text, side);
  return rule;
}

std::string SizeRuleText(const SizeRule& rule) {
  for (const KindName& k : kKinds) {
    if (k.kind != rule.kind) continue;
    std::string text(k.name);
    if (k.numbers >= 1) {
      text += ':';
      text += std::to_string(rule.a);
    }
    if (k.numbers == 2) {
      text += 'x';
      text += std::to_string(rule.b);
    }
    return text;
  }
  return "none";
}

SizeGeometry PlanSize(const SizeRule& rule, int width, int height, bool shrinkOnly) {
  if (width < 1 || height < 1) throw Exception("Floating point division by zero");
  const double w = width, h = height;
  const int longer = std::max(width, height), shorter = std::min(width, height);
  SizeGeometry g = Whole(width, height);
  switch (rule.kind) {
    case Kind::None:
      break;
    case Kind::Long:
      if (shrinkOnly && longer <= rule.a) break;
      {
        const TargetSize size = ResizedSize(width, height, rule.a);
        g = Scaled(width, height, size.width, size.height);
      }
      break;
    case Kind::Short:
      if (shrinkOnly && shorter <= rule.a) break;
      g = ScaledBy(width, height, rule.a / static_cast<double>(shorter));
      break;
    case Kind::Width:
      if (shrinkOnly && width <= rule.a) break;
      g = Scaled(width, height, rule.a, Round(h * rule.a / w));
      break;
    case Kind::Height:
      if (shrinkOnly && height <= rule.a) break;
      g = Scaled(width, height, Round(w * rule.a / h), rule.a);
      break;
    case Kind::Fit:
    case Kind::Pad: {
      const bool fits = width <= rule.a && height <= rule.b;
      if (!(shrinkOnly && fits)) {
        const double factor = std::min(rule.a / w, rule.b / h);
        g = Scaled(width, height, std::min(Round(w * factor), rule.a),
                   std::min(Round(h * factor), rule.b));
      }
      if (rule.kind == Kind::Pad) {
        g.canvasWidth = std::max(rule.a, g.width);
        g.canvasHeight = std::max(rule.b, g.height);
        g.left = (g.canvasWidth - g.width) / 2;
        g.top = (g.canvasHeight - g.height) / 2;
      }
      break;
    }
    case Kind::Fill: {
      const double factor = std::max(rule.a / w, rule.b / h);
      if (shrinkOnly && factor >= 1) break;
      // The part of the picture with the box's shape, centred, is what gets resampled.
      g.cropWidth = std::min(width, Round(rule.a / factor));
      g.cropHeight = std::min(height, Round(rule.b / factor));
      g.cropLeft = (width - g.cropWidth) / 2;
      g.cropTop = (height - g.cropHeight) / 2;
      g.width = g.canvasWidth = rule.a;
      g.height = g.canvasHeight = rule.b;
      break;
    }
    case Kind::Stretch:
      if (shrinkOnly && width <= rule.a && height <= rule.b) break;
      g = Scaled(width, height, rule.a, rule.b);
      break;
    case Kind::Percent:
      if (shrinkOnly && rule.a >= 100) break;
      g = ScaledBy(width, height, rule.a / 100.0);
      break;
  }
  CheckPictureSize(g.width, g.height);
  CheckPictureSize(g.canvasWidth, g.canvasHeight);
  return g;
}

}  // namespace pixtrel
