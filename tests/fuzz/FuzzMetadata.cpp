// Fuzz target: the metadata layer on hostile bytes. The input is read as a JPEG's segments, and
// as an EXIF block, an XMP packet, an IPTC block and an ICC profile in its own right; every edit
// must come back readable by our own walkers, and a JPEG rewritten with the blocks must keep its
// tail. The rebuilds of JPEG, PNG and WebP files from their picture data run on it too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "codecs/jpeg/JpegMetadata.h"
#include "codecs/jpeg/JpegRebuild.h"
#include "codecs/png/PngRebuild.h"
#include "codecs/webp/WebpRebuild.h"
#include "metadata/ColourProfile.h"
#include "metadata/ExifBlock.h"
#include "metadata/IptcBlock.h"
#include "metadata/MetadataPlan.h"
#include "metadata/XmpPacket.h"

using namespace pixtrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);

  // As EXIF: every edit of a block gives a block that reads back upright, or nothing.
  (void)ExifOrientation(bytes);
  ExifEdit edit;
  edit.width = 640;
  edit.height = 480;
  edit.dropGps = true;
  const std::vector<std::uint8_t> exif = EditExif(bytes, edit);
  if (!exif.empty() && ExifOrientation(exif) != 1) std::abort();
  edit.jpegRules = true;
  const std::vector<std::uint8_t> jpegExif = EditExif(bytes, edit);
  if (!jpegExif.empty() && ExifOrientation(jpegExif) != 1) std::abort();

  // As IPTC: what an edit keeps reads as resources again.
  const std::vector<std::uint8_t> iptc = EditIptc(bytes, true);
  if (!iptc.empty() && EditIptc(iptc, true) != iptc) std::abort();

  // As XMP.
  (void)EditXmp(bytes, XmpEdit{true, true});

  // As a JPEG: what the segments hold, planned for every output and written back.
  const PictureMetadata found = ReadJpegMetadata(bytes);
  for (MetadataMode mode : {MetadataMode::Keep, MetadataMode::Strip, MetadataMode::StripGps}) {
    OutputTarget target;
    target.width = 8;
    target.height = 8;
    target.jpegMetadata = true;
    const MetadataPlan plan = PlanOutputMetadata(found, mode, target);
    const std::vector<std::uint8_t> rewritten = ReplaceJpegMetadata(bytes, plan.blocks);
    (void)ReadJpegMetadata(rewritten);
    if (const auto rebuilt = RebuildJpeg(bytes, plan.blocks)) (void)ReadJpegMetadata(*rebuilt);
  }
  (void)RebuildPng(bytes);
  (void)RebuildWebp(bytes);

  // As an ICC profile.
  (void)ClassifyProfile(bytes);
  return 0;
}
