#pragma once
// The IPTC block of JPEG files: Photoshop image resources (APP13 "Photoshop 3.0"), among them the
// IPTC-NAA record with the captions, keywords, credits and copyright that photographers and
// agencies write. Outputs keep the record (without its location datasets when asked) and the
// copyright flag and address; the other resources (thumbnails, copies of the EXIF, XMP or
// profile, digests of what is no longer there) are left out.
#include <cstdint>
#include <span>
#include <vector>

namespace pixtrel {

inline constexpr std::size_t kMaxIptcBytes = std::size_t{4} << 20;

// The resources an output carries, in the same resource format; empty when none is left, or when
// the resources or the IPTC record are damaged (a length running past the end, a dataset that
// does not start with its 0x1C tag marker). With dropLocation the datasets of record 2 that say
// where the photo was taken (city, sub-location, province or state, country and its code, the
// content location) are removed.
std::vector<std::uint8_t> EditIptc(std::span<const std::uint8_t> resources, bool dropLocation);

}  // namespace pixtrel
