#include "metadata/MetadataPlan.h"

#include "metadata/ColourProfile.h"
#include "metadata/ExifBlock.h"
#include "metadata/IptcBlock.h"
#include "metadata/ProfileHeader.h"
#include "metadata/XmpPacket.h"

namespace pixtrel {
namespace {

// Profiles whose colours can be converted to sRGB, and are worth converting.
bool NeedsConversion(ProfileKind kind) {
  return kind == ProfileKind::Rgb || kind == ProfileKind::Grey;
}

// The profile kinds an output keeps as they are: a grey one in a grey file, an RGB one in a
// colour file.
bool Suits(ProfileKind kind, const OutputTarget& target) {
  if (target.grey) return kind == ProfileKind::Grey;
  return kind == ProfileKind::Srgb || kind == ProfileKind::Rgb;
}

}  // namespace

MetadataPlan PlanOutputMetadata(const PictureMetadata& source, MetadataMode mode,
                                const OutputTarget& target) {
  MetadataPlan plan;
  const ProfileKind kind = ClassifyProfile(source.icc);
  if (mode == MetadataMode::Strip || !target.carriesMetadata) {
    plan.convertToSrgb = NeedsConversion(kind);
    return plan;
  }

  const bool dropLocation = mode == MetadataMode::StripGps;
  const bool keepsProfile = Suits(kind, target);
  if (!source.exif.empty()) {
    ExifEdit edit;
    edit.orientationToOne = target.pixelsUpright;
    edit.width = target.width;
    edit.height = target.height;
    edit.dropThumbnail = true;
    edit.dropGps = dropLocation;
    edit.jpegRules = target.jpegMetadata;
    edit.uncalibratedColour = keepsProfile && kind != ProfileKind::Srgb;
    plan.blocks.exif = EditExif(source.exif, edit);
  }
  if (!source.xmp.empty()) {
    plan.blocks.xmp = EditXmp(source.xmp, XmpEdit{target.pixelsUpright, dropLocation});
    if (target.jpegMetadata) plan.blocks.xmp = WithXpacketWrapper(plan.blocks.xmp);
  }
  if (!source.iptc.empty() && target.jpegMetadata)
    plan.blocks.iptc = EditIptc(source.iptc, dropLocation);

  if (keepsProfile) {
    plan.blocks.icc = ConsistentProfile(source.icc);
  } else if (!target.grey) {
    // A grey output keeps its grey levels as they are: an RGB profile does not describe them.
    plan.convertToSrgb = NeedsConversion(kind);
  }
  return plan;
}

}  // namespace pixtrel
