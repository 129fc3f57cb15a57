#pragma once
// XMP packets (RDF/XML text), edited as text without an XML library: the orientation property
// set to 1, and GPS and location properties removed, in attribute form and element form alike,
// whatever prefix the packet binds their namespaces to.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pixtrel {

inline constexpr std::size_t kMaxXmpBytes = std::size_t{4} << 20;

struct XmpEdit {
  bool orientationToOne = true;  // tiff:Orientation becomes "1"
  // Removed: every exif:GPS* property; Iptc4xmpCore:Location; Iptc4xmpExt:LocationCreated and
  // LocationShown; photoshop:City, State and Country; Iptc4xmpCore:CountryCode.
  bool dropLocation = false;
};

// An edited copy, without the zeros that some writers put after the packet; empty when the packet
// is not well-formed enough to edit safely (unbalanced elements, unterminated tags or attributes)
// or larger than kMaxXmpBytes.
std::vector<std::uint8_t> EditXmp(std::span<const std::uint8_t> xmp, const XmpEdit& edit);

// The packet inside an xpacket wrapper (the processing instructions that let a reader find it in a
// file), as JPEG files carry it; a packet that has one comes back as it is. Phones write HEIC
// packets without one.
std::vector<std::uint8_t> WithXpacketWrapper(std::span<const std::uint8_t> xmp);

}  // namespace pixtrel
