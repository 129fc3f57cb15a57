#pragma once
// A WebP file rebuilt from its picture chunks alone, for outputs that must carry none of the
// source's metadata.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pixtrel {

// The RIFF header and, in the file's order, the chunks that make the picture: VP8X (its
// profile, EXIF and XMP flags cleared), ANIM, ALPH, VP8 and VP8L, and animation frames (ANMF)
// with only their ALPH, VP8 and VP8L parts. Every other chunk stays behind (ICCP, EXIF, XMP,
// unknown chunks, whether or not VP8X announces them), and so does anything after the RIFF
// data. Nothing when the file is not a RIFF WebP or a chunk runs past the end.
std::optional<std::vector<std::uint8_t>> RebuildWebp(std::span<const std::uint8_t> webp);

}  // namespace pixtrel
