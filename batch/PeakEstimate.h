#pragma once
// How much memory working on one file may take at its peak, known from the picture's header
// before anything is decoded, and how much a batch may hold in flight at once.
#include <cstdint>
#include <filesystem>

namespace pixtrel {

// Bytes used when nothing can be learnt from the file: a damaged or unknown file fails early,
// so this only keeps a batch from starting many such files at once.
inline constexpr std::uint64_t kUnknownPeakBytes = std::uint64_t{64} << 20;

// The picture's pixels as its header claims them (JPEG frame, GIF screen, BMP info header, PNG
// IHDR, WebP canvas, HEIF primary image), or 0 when the header cannot be read in the first MiB
// of the file. Each format's own probe reads it.
std::uint64_t HeaderPixels(const std::filesystem::path& file);

// Peak estimate for a command holding `copies` copies of the picture: the first as the reader
// holds it while decoding (PictureSize::decodingBytesPerPixel: libwebp's animation canvases,
// libpng's interlaced BGRA, libheif's planes, ...), the others at 3 bytes a pixel; plus the file
// itself. kUnknownPeakBytes when the header says nothing.
std::uint64_t EstimatePeakBytes(const std::filesystem::path& file, int copies);

// The memory the files in flight may take: the megabytes given, when a positive number (the
// hosts pass the environment variable PIXTREL_BATCH_MEMORY_MB, for tests and for users who want
// less), otherwise about a quarter of the physical memory.
std::uint64_t BatchMemoryBudget(const char* megabytes);

}  // namespace pixtrel
