#pragma once
// Writing a TGIFImage as a GIF file.
#include <filesystem>

#include "codecs/gif/GifImage.h"
#include "io/FileBytes.h"
#include "io/OutputSink.h"

namespace pixtrel {

// The whole file in memory: "GIF87a" (or "89a" when a frame has extensions or a table is
// marked sorted), the screen descriptor, the global table when it has entries, per frame its
// extensions, image descriptor, local table and LZW data in 255-byte sub-blocks, the trailer.
// Fails with "Unsupported GIF version" for a picture without frames and "Color not in color
// table" for a pixel index outside its frame's active table.
Bytes EncodeGif(const TGIFImage& picture);

// Encodes completely, then replaces the file at once: a failure leaves no partial file.
void WriteGifFile(TGIFImage& picture, const FilePath& path, OutputSink& sink = WriteAtOnce());

}  // namespace pixtrel
