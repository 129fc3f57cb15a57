#pragma once
// Leaving a picture as it is when it is already small enough ("smaller but not larger").
#include <filesystem>

#include "formats/FileBytes.h"
#include "formats/ImageFormat.h"
#include "formats/MetadataPlan.h"
#include "formats/OutputSink.h"

namespace pixtrel {

// Puts the file's bytes unchanged to output when the metadata choice keeps what the file carries
// (always for Keep, and for files without metadata). A JPEG whose metadata must be stripped gets
// only its metadata segments replaced, its compressed picture untouched. Returns false when the
// picture has to be written anew after all: a PNG or WebP carrying metadata to strip, or a JPEG
// whose colours must be converted to sRGB.
bool KeepAsIs(const Bytes& bytes, ImageFormat format, MetadataMode mode,
              const std::filesystem::path& output, OutputSink& sink);

}  // namespace pixtrel
