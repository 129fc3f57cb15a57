#include "operations/JpegLosslessTurn.h"

#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/jpeg/JpegTransform.h"
#include "imaging/Orientation.h"
#include "metadata/ColourProfile.h"
#include "metadata/ExifBlock.h"

namespace pixtrel {
namespace {

// The profile describes the coefficients as they are, in every colour model (a CMYK file's
// profile too), so it goes wherever metadata is kept, and under strip whenever leaving it out
// would change how the colours look.
bool KeepsProfile(const PictureMetadata& source, MetadataMode mode) {
  const ProfileKind kind = ClassifyProfile(source.icc);
  if (kind == ProfileKind::None || kind == ProfileKind::Damaged) return false;
  return mode != MetadataMode::Strip || kind != ProfileKind::Srgb;
}

}  // namespace

Bytes TurnJpegWithoutLoss(std::span<const std::uint8_t> jpeg, int counterClockwiseAngle,
                          const LosslessTurnSettings& settings) {
  const PictureMetadata source = ReadJpegMetadata(jpeg);
  const Orientation seen =
      settings.upright ? Orientation::FromExif(ExifOrientation(source.exif)) : Orientation{};
  const Orientation turn = seen.thenTurn(counterClockwiseAngle);
  JpegTransformSettings transform;
  transform.trim = settings.trim;
  transform.copyMarkers = settings.metadata != MetadataMode::Strip;
  const TransformedJpeg turned =
      TransformJpeg(jpeg, JpegOpFor(turn.mirror, turn.clockwiseQuarters), transform);

  OutputTarget target;
  target.grey = turned.components == 1;
  target.width = turned.width;
  target.height = turned.height;
  target.pixelsUpright = settings.upright;
  MetadataPlan plan = PlanOutputMetadata(source, settings.metadata, target);
  plan.blocks.icc = KeepsProfile(source, settings.metadata) ? source.icc : Bytes();
  return ReplaceJpegMetadata(turned.bytes, plan.blocks);
}

}  // namespace pixtrel
