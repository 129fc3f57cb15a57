#pragma once
// The size an ICC profile's header states, made to agree with the profile's bytes. Writers get
// it wrong (a Display P3 profile stating two bytes fewer than it has is common): LittleCMS reads
// such a profile, libpng refuses it, so a PNG would lose it while a JPEG kept it.
#include <cstdint>
#include <span>
#include <vector>

namespace pixtrel {

// The profile unchanged when its header states its size and that size is a multiple of 4 (as
// the format asks); otherwise a copy padded with zeros to a multiple of 4, the size stated in its
// header and its profile ID (an MD5 over the bytes, optional) cleared. Blocks too short for a
// header come back unchanged.
std::vector<std::uint8_t> ConsistentProfile(std::span<const std::uint8_t> icc);

}  // namespace pixtrel
