#include "operations/JpegOutput.h"

#include "codecs/jpeg/JpegMetadata.h"
#include "metadata/ColourProfile.h"

namespace pixtrel {

void WriteJpegWithMetadata(TJPEGImage& picture, const PictureMetadata& source, MetadataMode mode,
                           bool pixelsUpright, const FilePath& output, OutputSink& sink) {
  if (source.empty()) {
    EncodeJpeg(picture);
    WriteJpegFile(picture, output, sink);
    return;
  }
  OutputTarget target;
  target.jpegMetadata = true;
  target.grey = picture.Greyscale();
  target.width = picture.width();
  target.height = picture.height();
  target.pixelsUpright = pixelsUpright;
  const MetadataPlan plan = PlanOutputMetadata(source, mode, target);
  if (plan.convertToSrgb) {
    Raster colours = TakeJpegRaster(picture);
    ConvertToSrgb(colours, source.icc);
    SetJpegRaster(picture, std::move(colours));
  }
  EncodeJpeg(picture);
  if (plan.blocks.empty() || picture.data().empty()) {
    WriteJpegFile(picture, output, sink);
    return;
  }
  sink.put(output, ReplaceJpegMetadata(picture.data(), plan.blocks));
}

}  // namespace pixtrel
