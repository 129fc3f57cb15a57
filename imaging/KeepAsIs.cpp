#include "imaging/KeepAsIs.h"

#include "formats/FormatTable.h"
#include "formats/JpegMetadata.h"
#include "formats/PictureFile.h"

namespace pixtrel {

bool KeepAsIs(const Bytes& bytes, ImageFormat format, MetadataMode mode,
              const std::filesystem::path& output, OutputSink& sink) {
  if (mode == MetadataMode::Keep || !RowOf(format).carriesMetadata) {
    sink.put(output, bytes);
    return true;
  }
  if (format != ImageFormat::Jpeg) {
    if (!DecodePicture(bytes, format, false).metadata.empty()) return false;
    sink.put(output, bytes);
    return true;
  }
  const PictureMetadata metadata = ReadJpegMetadata(bytes);
  if (metadata.empty()) {
    sink.put(output, bytes);
    return true;
  }
  OutputTarget target;
  target.pixelsUpright = false;  // the pixels stay as stored, so the orientation tag stays too
  const MetadataPlan plan = PlanOutputMetadata(metadata, mode, target);
  if (plan.convertToSrgb) return false;
  sink.put(output, ReplaceJpegMetadata(bytes, plan.blocks));
  return true;
}

}  // namespace pixtrel
