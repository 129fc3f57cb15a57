#pragma once
// A small scanner for the XML of XMP packets: finds the tags in order, with where each tag and
// each attribute value lies in the text, and skips text, comments, processing instructions
// (the xpacket wrapper) and CDATA sections. No entities are decoded and nothing is allocated
// but the attribute lists. Malformed markup (an unterminated tag, comment or attribute value,
// an attribute without a quoted value) stops the scan and marks it failed.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace pixtrel {

struct XmlAttribute {
  std::string_view name;
  std::size_t begin = 0;  // the first byte of the name
  std::size_t valueBegin = 0;
  std::size_t valueEnd = 0;  // the closing quote
  std::size_t end = 0;       // after the closing quote
};

struct XmlTag {
  enum class Kind { Start, End, Empty };  // <a ...>, </a>, <a .../>
  Kind kind = Kind::Start;
  std::string_view name;
  std::size_t begin = 0;  // the '<'
  std::size_t end = 0;    // after the '>'
  std::vector<XmlAttribute> attributes;
};

class XmlScanner {
 public:
  explicit XmlScanner(std::string_view text) : text_(text) {}

  // The next tag; nothing at the end of the text or when the markup is malformed (failed()).
  std::optional<XmlTag> Next();
  bool failed() const { return failed_; }

 private:
  // Moves past the terminator that follows an opening of the given length.
  bool SkipPast(std::size_t opening, std::string_view terminator);
  void SkipSpace();
  std::string_view ReadName();
  bool ReadAttribute(XmlTag& tag);
  std::optional<XmlTag> Fail();

  std::string_view text_;
  std::size_t at_ = 0;
  bool failed_ = false;
};

}  // namespace pixtrel
