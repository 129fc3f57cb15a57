#include "metadata/XmlScanner.h"

namespace pixtrel {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Names are taken loosely (any byte that cannot end one), so UTF-8 names pass through.
bool EndsName(char c) {
  return IsSpace(c) || c == '/' || c == '>' || c == '<' || c == '=' || c == '"' || c == '\'';
}

bool StartsAt(std::string_view text, std::size_t at, std::string_view prefix) {
  return text.substr(at, prefix.size()) == prefix;
}

}  // namespace

std::optional<XmlTag> XmlScanner::Fail() {
  failed_ = true;
  return std::nullopt;
}

bool XmlScanner::SkipPast(std::size_t opening, std::string_view terminator) {
  const std::size_t found = text_.find(terminator, at_ + opening);
  if (found == std::string_view::npos) return false;
  at_ = found + terminator.size();
  return true;
}

void XmlScanner::SkipSpace() {
  while (at_ < text_.size() && IsSpace(text_[at_]))
    ++at_;
}

std::string_view XmlScanner::ReadName() {
  const std::size_t begin = at_;
  while (at_ < text_.size() && !EndsName(text_[at_]))
    ++at_;
  return text_.substr(begin, at_ - begin);
}

bool XmlScanner::ReadAttribute(XmlTag& tag) {
  XmlAttribute attribute;
  attribute.begin = at_;
  attribute.name = ReadName();
  if (attribute.name.empty()) return false;
  SkipSpace();
  if (at_ >= text_.size() || text_[at_] != '=') return false;
  ++at_;
  SkipSpace();
  if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\'')) return false;
  const char quote = text_[at_++];
  attribute.valueBegin = at_;
  const std::size_t close = text_.find(quote, at_);
  if (close == std::string_view::npos) return false;
  attribute.valueEnd = close;
  attribute.end = at_ = close + 1;
  tag.attributes.push_back(attribute);
  return true;
}

std::optional<XmlTag> XmlScanner::Next() {
  if (failed_) return std::nullopt;
  for (;;) {
    at_ = text_.find('<', at_);
    if (at_ == std::string_view::npos) {
      at_ = text_.size();
      return std::nullopt;
    }
    if (StartsAt(text_, at_, "<!--")) {
      if (!SkipPast(4, "-->")) return Fail();
    } else if (StartsAt(text_, at_, "<![CDATA[")) {
      if (!SkipPast(9, "]]>")) return Fail();
    } else if (StartsAt(text_, at_, "<?")) {
      if (!SkipPast(2, "?>")) return Fail();
    } else if (StartsAt(text_, at_, "<!")) {
      // A declaration; one with an internal subset ('[') is not taken apart here.
      const std::size_t close = text_.find('>', at_);
      if (close == std::string_view::npos ||
          text_.substr(at_, close - at_).find('[') != std::string_view::npos)
        return Fail();
      at_ = close + 1;
    } else {
      break;
    }
  }
  XmlTag tag;
  tag.begin = at_++;
  if (at_ < text_.size() && text_[at_] == '/') {
    ++at_;
    tag.kind = XmlTag::Kind::End;
    tag.name = ReadName();
    SkipSpace();
    if (tag.name.empty() || at_ >= text_.size() || text_[at_] != '>') return Fail();
    tag.end = ++at_;
    return tag;
  }
  tag.name = ReadName();
  if (tag.name.empty()) return Fail();
  for (;;) {
    SkipSpace();
    if (at_ >= text_.size()) return Fail();
    if (text_[at_] == '>') {
      tag.end = ++at_;
      return tag;
    }
    if (StartsAt(text_, at_, "/>")) {
      tag.kind = XmlTag::Kind::Empty;
      tag.end = at_ += 2;
      return tag;
    }
    if (!ReadAttribute(tag)) return Fail();
  }
}

}  // namespace pixtrel
