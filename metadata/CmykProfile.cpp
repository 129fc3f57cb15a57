#include "metadata/CmykProfile.h"

#include <lcms2.h>

namespace pixtrel {
namespace {

// Profiles larger than this are taken for damage, as for every other profile.
constexpr std::size_t kMaxProfileBytes = std::size_t{16} << 20;

void IgnoreLcmsError(cmsContext, cmsUInt32Number, const char*) {}

}  // namespace

// A context of its own (errors silenced) and the transform made in it.
struct CmykToSrgb::Handles {
  cmsContext context = nullptr;
  cmsHTRANSFORM transform = nullptr;
  ~Handles() {
    if (transform) cmsDeleteTransform(transform);
    if (context) cmsDeleteContext(context);
  }
};

CmykToSrgb::CmykToSrgb(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
CmykToSrgb::~CmykToSrgb() = default;

std::unique_ptr<CmykToSrgb> CmykToSrgb::ForProfile(std::span<const std::uint8_t> icc,
                                                   bool inverted) {
  if (icc.empty() || icc.size() > kMaxProfileBytes) return nullptr;
  auto handles = std::make_unique<Handles>();
  handles->context = cmsCreateContext(nullptr, nullptr);
  if (!handles->context) return nullptr;
  cmsSetLogErrorHandlerTHR(handles->context, IgnoreLcmsError);
  cmsHPROFILE profile = cmsOpenProfileFromMemTHR(handles->context, icc.data(),
                                                 static_cast<cmsUInt32Number>(icc.size()));
  if (!profile) return nullptr;
  cmsHPROFILE srgb = cmsCreate_sRGBProfileTHR(handles->context);
  const cmsProfileClassSignature c = cmsGetDeviceClass(profile);
  const bool describesPictures = c == cmsSigInputClass || c == cmsSigDisplayClass ||
                                 c == cmsSigOutputClass || c == cmsSigColorSpaceClass;
  if (srgb && describesPictures && cmsGetColorSpace(profile) == cmsSigCmykData) {
    handles->transform =
        cmsCreateTransformTHR(handles->context, profile, inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8,
                              srgb, TYPE_BGR_8, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
  }
  if (srgb) cmsCloseProfile(srgb);
  cmsCloseProfile(profile);
  if (!handles->transform) return nullptr;
  return std::unique_ptr<CmykToSrgb>(new CmykToSrgb(std::move(handles)));
}

void CmykToSrgb::Convert(const std::uint8_t* cmyk, std::uint8_t* bgr, int width) const noexcept {
  cmsDoTransform(handles_->transform, cmyk, bgr, static_cast<cmsUInt32Number>(width));
}

void CmykToSrgb::ConvertRow(const void* context, const std::uint8_t* cmyk, std::uint8_t* bgr,
                            int width) noexcept {
  static_cast<const CmykToSrgb*>(context)->Convert(cmyk, bgr, width);
}

}  // namespace pixtrel
