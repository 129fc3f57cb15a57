#include "metadata/XmpPacket.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "metadata/XmlScanner.h"

namespace pixtrel {
namespace {

constexpr std::string_view kExifNs = "http://ns.adobe.com/exif/1.0/";
constexpr std::string_view kTiffNs = "http://ns.adobe.com/tiff/1.0/";
constexpr std::string_view kIptcCoreNs = "http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/";
constexpr std::string_view kIptcExtNs = "http://iptc.org/std/Iptc4xmpExt/2008-02-29/";
constexpr std::string_view kPhotoshopNs = "http://ns.adobe.com/photoshop/1.0/";
constexpr std::string_view kXmlNs = "http://www.w3.org/XML/1998/namespace";

struct ExpandedName {
  std::string_view uri;
  std::string_view local;
};

bool IsLocation(const ExpandedName& n) {
  if (n.uri == kExifNs) return n.local.starts_with("GPS");
  if (n.uri == kIptcCoreNs) return n.local == "Location" || n.local == "CountryCode";
  if (n.uri == kIptcExtNs) return n.local == "LocationCreated" || n.local == "LocationShown";
  if (n.uri == kPhotoshopNs) return n.local == "City" || n.local == "State" || n.local == "Country";
  return false;
}

bool IsOrientation(const ExpandedName& n) {
  return n.uri == kTiffNs && n.local == "Orientation";
}

bool IsDeclaration(std::string_view name) {
  return name == "xmlns" || name.starts_with("xmlns:");
}

// The namespace declarations in force: for each prefix its URIs, the innermost last, and the
// prefixes in the order declared so that leaving an element undoes its own. Lookups do not
// depend on how many declarations a hostile packet piles up.
class Scopes {
 public:
  std::size_t depth() const { return declared_.size(); }
  void Declare(const XmlTag& tag, std::string_view text) {
    for (const XmlAttribute& a : tag.attributes) {
      if (!IsDeclaration(a.name)) continue;
      const std::string_view prefix = a.name.size() > 5 ? a.name.substr(6) : std::string_view{};
      uris_[prefix].push_back(text.substr(a.valueBegin, a.valueEnd - a.valueBegin));
      declared_.push_back(prefix);
    }
  }
  void Leave(std::size_t depth) {
    for (; declared_.size() > depth; declared_.pop_back())
      uris_[declared_.back()].pop_back();
  }

  // The name resolved; nothing when its prefix is not bound. Unprefixed attributes are in no
  // namespace; unprefixed elements in the default one.
  std::optional<ExpandedName> Resolve(std::string_view name, bool element) const {
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos && !element) return ExpandedName{{}, name};
    const std::string_view prefix =
        colon == std::string_view::npos ? std::string_view{} : name.substr(0, colon);
    const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
    if (prefix == "xml") return ExpandedName{kXmlNs, local};
    const auto found = uris_.find(prefix);
    if (found != uris_.end() && !found->second.empty())
      return ExpandedName{found->second.back(), local};
    if (prefix.empty()) return ExpandedName{{}, local};
    return std::nullopt;
  }

 private:
  std::unordered_map<std::string_view, std::vector<std::string_view>> uris_;
  std::vector<std::string_view> declared_;
};

struct TextEdit {
  std::size_t begin, end;
  std::string_view replacement;
};

struct OpenElement {
  std::string_view name;
  std::size_t begin;
  std::size_t contentBegin;
  std::size_t scopeDepth;
  bool remove = false;
  bool setToOne = false;
  bool hasChildren = false;
};

class PacketEditor {
 public:
  PacketEditor(std::string_view text, const XmpEdit& edit) : text_(text), edit_(edit) {}

  // The edits in text order; false when the markup is not well-formed enough to edit.
  bool Collect() {
    XmlScanner scanner(text_);
    while (const auto tag = scanner.Next()) {
      if (!(tag->kind == XmlTag::Kind::End ? Close(*tag) : Open(*tag))) return false;
    }
    return !scanner.failed() && open_.empty();
  }

  std::vector<std::uint8_t> Apply() const {
    std::vector<std::uint8_t> out;
    out.reserve(text_.size());
    std::size_t at = 0;
    for (const TextEdit& e : edits_) {
      out.insert(out.end(), text_.begin() + at, text_.begin() + e.begin);
      out.insert(out.end(), e.replacement.begin(), e.replacement.end());
      at = e.end;
    }
    out.insert(out.end(), text_.begin() + at, text_.end());
    return out;
  }

 private:
  bool InsideRemoved() const { return removedDepth_ < open_.size(); }

  // An element's removal takes the white space before it, so no blank line stays behind.
  std::size_t WithSpaceBefore(std::size_t at) const {
    while (at > 0 && std::string_view(" \t\r\n").find(text_[at - 1]) != std::string_view::npos)
      --at;
    return at;
  }

  bool Open(const XmlTag& tag) {
    if (!open_.empty()) open_.back().hasChildren = true;
    OpenElement element{tag.name, tag.begin, tag.end, scopes_.depth()};
    scopes_.Declare(tag, text_);
    const auto name = scopes_.Resolve(tag.name, true);
    if (!name) return false;
    if (!InsideRemoved()) {
      element.remove = edit_.dropLocation && IsLocation(*name);
      element.setToOne = edit_.orientationToOne && IsOrientation(*name);
    }
    if (!InsideRemoved() && !element.remove && !EditAttributes(tag)) return false;
    if (tag.kind == XmlTag::Kind::Empty) {
      if (element.remove) edits_.push_back({WithSpaceBefore(tag.begin), tag.end, {}});
      scopes_.Leave(element.scopeDepth);
      return true;
    }
    if (element.remove && !InsideRemoved()) removedDepth_ = open_.size();
    open_.push_back(element);
    return true;
  }

  bool EditAttributes(const XmlTag& tag) {
    for (const XmlAttribute& a : tag.attributes) {
      if (IsDeclaration(a.name)) continue;
      const auto name = scopes_.Resolve(a.name, false);
      if (!name) return false;
      if (edit_.dropLocation && IsLocation(*name))
        edits_.push_back({WithSpaceBefore(a.begin), a.end, {}});
      else if (edit_.orientationToOne && IsOrientation(*name))
        edits_.push_back({a.valueBegin, a.valueEnd, "1"});
    }
    return true;
  }

  bool Close(const XmlTag& tag) {
    if (open_.empty() || open_.back().name != tag.name) return false;
    const OpenElement element = open_.back();
    open_.pop_back();
    scopes_.Leave(element.scopeDepth);
    if (element.remove && removedDepth_ == open_.size()) {
      edits_.push_back({WithSpaceBefore(element.begin), tag.end, {}});
      removedDepth_ = kNone;
    } else if (element.setToOne && !element.hasChildren) {
      edits_.push_back({element.contentBegin, tag.begin, "1"});
    }
    return true;
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  std::string_view text_;
  XmpEdit edit_;
  Scopes scopes_;
  std::vector<OpenElement> open_;
  std::size_t removedDepth_ = kNone;  // depth of the element being removed, kNone for none
  std::vector<TextEdit> edits_;
};

}  // namespace

std::vector<std::uint8_t> EditXmp(std::span<const std::uint8_t> xmp, const XmpEdit& edit) {
  if (xmp.size() > kMaxXmpBytes) return {};
  // Some writers (phones among them) end the packet with a terminating zero, or pad it with
  // zeros: that is no part of the packet.
  while (!xmp.empty() && xmp.back() == 0)
    xmp = xmp.first(xmp.size() - 1);
  if (xmp.empty()) return {};
  // UTF-16 and UTF-32 packets (zero bytes in their markup) cannot be scanned as bytes.
  if (std::find(xmp.begin(), xmp.end(), 0) != xmp.end()) return {};
  const std::string_view text(reinterpret_cast<const char*>(xmp.data()), xmp.size());
  PacketEditor editor(text, edit);
  if (!editor.Collect()) return {};
  return editor.Apply();
}

std::vector<std::uint8_t> WithXpacketWrapper(std::span<const std::uint8_t> xmp) {
  const std::string_view text(reinterpret_cast<const char*>(xmp.data()), xmp.size());
  std::vector<std::uint8_t> out(xmp.begin(), xmp.end());
  if (xmp.empty() || text.find("<?xpacket begin") != std::string_view::npos) return out;
  // After an XML declaration, which must stay first.
  std::size_t at = 0;
  if (text.starts_with("<?xml")) {
    const std::size_t end = text.find("?>");
    if (end == std::string_view::npos) return out;
    at = end + 2;
  }
  constexpr std::string_view kBegin =
      "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n";
  constexpr std::string_view kEnd = "\n<?xpacket end=\"w\"?>";
  out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), kBegin.begin(), kBegin.end());
  out.insert(out.end(), kEnd.begin(), kEnd.end());
  return out;
}

}  // namespace pixtrel
