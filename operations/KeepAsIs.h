#pragma once
// Leaving a picture as it is when it is already small enough ("smaller but not larger").
#include <filesystem>

#include "codecs/FormatRow.h"
#include "core/DecodedPicture.h"
#include "io/FileBytes.h"
#include "io/OutputSink.h"
#include "metadata/MetadataPlan.h"

namespace pixtrel {

struct KeepChoices {
  MetadataMode metadata = MetadataMode::Keep;
  bool upright = true;  // photos are turned upright by their orientation tag
  PictureSize size;     // the picture's own size, as its header says
};

// Puts the file to output without re-encoding its picture, and returns true, when that gives
// what the choices ask for. Keep: the file byte for byte. Strip and strip-gps: the file rebuilt
// from its compressed picture and the metadata blocks the choice keeps, so that no byte of
// anything else it carries goes over (a GIF loses its comments and extensions; a BMP, which
// holds no metadata, is copied). Returns false when
// the picture has to be written anew after all: a photo whose orientation tag says it must be
// turned upright, colours to be converted to sRGB, blocks the format's rebuild cannot place, or
// a file too damaged to rebuild.
bool KeepAsIs(const Bytes& bytes, const FormatRow& row, const KeepChoices& choices,
              const FilePath& output, OutputSink& sink);

}  // namespace pixtrel
