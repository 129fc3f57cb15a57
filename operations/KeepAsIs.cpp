#include "operations/KeepAsIs.h"

#include "operations/PictureFile.h"

namespace pixtrel {

bool KeepAsIs(const Bytes& bytes, const FormatRow& row, const KeepChoices& choices,
              const FilePath& output, OutputSink& sink) {
  PictureMetadata metadata;
  if (row.carries.any()) metadata = ReadMetadata(bytes, row);
  // A photo stored on its side is turned upright like every other output, whatever the
  // metadata choice: copied, it would show on its side wherever the tag is not read (or gone).
  DecodedPicture tagged;
  tagged.metadata.exif = metadata.exif;
  if (choices.upright && OrientationTag(tagged, row) != 1) return false;
  if (choices.metadata == MetadataMode::Keep || !row.rebuild) {
    sink.put(output, bytes);
    return true;
  }
  OutputTarget target;
  target.jpegMetadata = row.jpegMetadata;
  target.width = choices.size.width;
  target.height = choices.size.height;
  // The pixels stay as stored: either they are upright already (orientation 1), or the user
  // asked to leave photos as stored, and then the tag stays to say how to show them.
  target.pixelsUpright = false;
  const MetadataPlan plan =
      row.carries.any() ? PlanOutputMetadata(metadata, choices.metadata, target) : MetadataPlan{};
  if (plan.convertToSrgb) return false;
  std::optional<Bytes> rebuilt = row.rebuild(bytes, plan.blocks);
  if (!rebuilt) return false;
  sink.put(output, *rebuilt);
  return true;
}

}  // namespace pixtrel
