#include "metadata/ColourProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "concurrency/ParallelFor.h"

namespace pixtrel {
namespace {

// Larger profiles are taken for damage: real ones, even with big tables, are far smaller.
constexpr std::size_t kMaxProfileBytes = std::size_t{16} << 20;

// Pictures smaller than this are converted on the calling thread alone.
constexpr std::int64_t kPixelsPerBand = 1 << 16;

// lcms reports problems through a log function; ours says nothing, since every failure also
// shows as a null handle, which is how this file learns of it.
void IgnoreLcmsError(cmsContext, cmsUInt32Number, const char*) {}

struct ContextDeleter {
  void operator()(cmsContext context) const { cmsDeleteContext(context); }
};
struct ProfileDeleter {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformDeleter {
  void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Context = std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDeleter>;
using Profile = std::unique_ptr<void, ProfileDeleter>;
using Transform = std::unique_ptr<void, TransformDeleter>;

// One use of lcms: a context of its own whose errors are silenced. Profiles and transforms made
// through it must be released before it; declaring them after the session does that.
class LcmsSession {
 public:
  LcmsSession() : context_(cmsCreateContext(nullptr, nullptr)) {
    if (context_) cmsSetLogErrorHandlerTHR(context_.get(), IgnoreLcmsError);
  }
  explicit operator bool() const { return context_ != nullptr; }

  Profile Open(std::span<const std::uint8_t> icc) const {
    return Profile(cmsOpenProfileFromMemTHR(context_.get(), icc.data(),
                                            static_cast<cmsUInt32Number>(icc.size())));
  }
  Profile Srgb() const { return Profile(cmsCreate_sRGBProfileTHR(context_.get())); }

  // A relative colorimetric transform to sRGB; safe to use from several threads at once.
  Transform ToSrgb(const Profile& from, cmsUInt32Number inFormat, cmsUInt32Number outFormat) const {
    const Profile srgb = Srgb();
    if (!from || !srgb) return nullptr;
    return Transform(cmsCreateTransformTHR(context_.get(), from.get(), inFormat, srgb.get(),
                                           outFormat, INTENT_RELATIVE_COLORIMETRIC,
                                           cmsFLAGS_NOCACHE));
  }

 private:
  Context context_;
};

// Profiles that can describe a picture's colours; device links, abstract and named-colour
// profiles cannot.
bool DescribesPictures(const Profile& profile) {
  const cmsProfileClassSignature c = cmsGetDeviceClass(profile.get());
  return c == cmsSigInputClass || c == cmsSigDisplayClass || c == cmsSigOutputClass ||
         c == cmsSigColorSpaceClass;
}

// True when the transform leaves every colour of a 9 x 9 x 9 grid within one level.
bool KeepsColours(const Transform& transform) {
  constexpr int kLevels = 9;
  std::vector<std::uint8_t> in, out(kLevels * kLevels * kLevels * 3);
  for (int r = 0; r < kLevels; ++r)
    for (int g = 0; g < kLevels; ++g)
      for (int b = 0; b < kLevels; ++b)
        for (int level : {r, g, b})
          in.push_back(static_cast<std::uint8_t>((level * 255 + 4) / (kLevels - 1)));
  cmsDoTransform(transform.get(), in.data(), out.data(), kLevels * kLevels * kLevels);
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (std::abs(int{in[i]} - int{out[i]}) > 1) return false;
  }
  return true;
}

// sRGB colours (blue, green, red) for the 256 levels of a grey profile.
std::array<std::uint8_t, 256 * 3> GreyTable(const Transform& transform) {
  std::array<std::uint8_t, 256> levels;
  for (int i = 0; i < 256; ++i)
    levels[i] = static_cast<std::uint8_t>(i);
  std::array<std::uint8_t, 256 * 3> table;
  cmsDoTransform(transform.get(), levels.data(), table.data(), 256);
  return table;
}

void ConvertGrey(Bitmap24& bitmap, const std::array<std::uint8_t, 256 * 3>& table) {
  for (int y = 0; y < bitmap.height(); ++y) {
    std::uint8_t* p = bitmap.row(y);
    for (int x = 0; x < bitmap.width(); ++x, p += 3)
      std::copy_n(&table[std::size_t{p[1]} * 3], 3, p);
  }
}

void ConvertGrey(PaletteBitmap& palette, const std::array<std::uint8_t, 256 * 3>& table) {
  for (Rgb& c : palette.palette()) {
    const std::uint8_t* bgr = &table[std::size_t{c.g} * 3];
    c = Rgb{bgr[2], bgr[1], bgr[0]};
  }
}

// Rows in parts on the worker pool, within the batch's thread limit; each row's result is the
// same whichever thread does it.
void ConvertRgb(Bitmap24& bitmap, const Transform& transform) {
  const int minRows =
      static_cast<int>(std::max<std::int64_t>(1, kPixelsPerBand / std::max(bitmap.width(), 1)));
  ParallelFor(bitmap.height(), 1, minRows, [&](int from, int to) {
    for (int y = from; y < to; ++y)
      cmsDoTransform(transform.get(), bitmap.row(y), bitmap.row(y), bitmap.width());
  });
}

void ConvertRgb(PaletteBitmap& palette, const Transform& transform) {
  std::vector<Rgb>& table = palette.palette();
  std::vector<std::uint8_t> rgb;
  for (const Rgb& c : table)
    rgb.insert(rgb.end(), {c.r, c.g, c.b});
  cmsDoTransform(transform.get(), rgb.data(), rgb.data(),
                 static_cast<cmsUInt32Number>(table.size()));
  for (std::size_t i = 0; i < table.size(); ++i)
    table[i] = Rgb{rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
}

}  // namespace

ProfileKind ClassifyProfile(std::span<const std::uint8_t> icc) {
  if (icc.empty()) return ProfileKind::None;
  if (icc.size() > kMaxProfileBytes) return ProfileKind::Damaged;
  const LcmsSession lcms;
  if (!lcms) return ProfileKind::Damaged;
  const Profile profile = lcms.Open(icc);
  if (!profile || !DescribesPictures(profile)) return ProfileKind::Damaged;
  switch (cmsGetColorSpace(profile.get())) {
    case cmsSigGrayData:
      return lcms.ToSrgb(profile, TYPE_GRAY_8, TYPE_RGB_8) ? ProfileKind::Grey
                                                           : ProfileKind::Damaged;
    case cmsSigRgbData: {
      const Transform transform = lcms.ToSrgb(profile, TYPE_RGB_8, TYPE_RGB_8);
      if (!transform) return ProfileKind::Damaged;
      return KeepsColours(transform) ? ProfileKind::Srgb : ProfileKind::Rgb;
    }
    default:
      return ProfileKind::Other;
  }
}

bool ConvertToSrgb(Raster& raster, std::span<const std::uint8_t> icc) {
  if (icc.empty() || icc.size() > kMaxProfileBytes) return false;
  const LcmsSession lcms;
  if (!lcms) return false;
  const Profile profile = lcms.Open(icc);
  if (!profile || !DescribesPictures(profile)) return false;
  const cmsColorSpaceSignature space = cmsGetColorSpace(profile.get());
  if (space == cmsSigGrayData) {
    const Transform transform = lcms.ToSrgb(profile, TYPE_GRAY_8, TYPE_BGR_8);
    if (!transform) return false;
    const auto table = GreyTable(transform);
    std::visit([&](auto& r) { ConvertGrey(r, table); }, raster);
    return true;
  }
  if (space == cmsSigRgbData) {
    // A colour table is held as red, green, blue; a Bitmap24 as blue, green, red.
    const cmsUInt32Number format =
        std::holds_alternative<PaletteBitmap>(raster) ? TYPE_RGB_8 : TYPE_BGR_8;
    const Transform transform = lcms.ToSrgb(profile, format, format);
    if (!transform) return false;
    std::visit([&](auto& r) { ConvertRgb(r, transform); }, raster);
    return true;
  }
  return false;
}

}  // namespace pixtrel
