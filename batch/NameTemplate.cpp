#include "batch/NameTemplate.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/Errors.h"

namespace pixtrel {
namespace {

[[noreturn]] void Refuse(std::string_view text, const std::string& why) {
  throw Exception("The name template \"" + std::string(text) + "\" " + why);
}

std::string TwoDigits(int value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%02d", value);
  return buffer;
}

std::string FormatDate(const std::string& format, const DateTime& date) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    switch (format[++i]) {
      case 'Y': {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%04d", date.year);
        out += buffer;
        break;
      }
      case 'm':
        out += TwoDigits(date.month);
        break;
      case 'd':
        out += TwoDigits(date.day);
        break;
      case 'H':
        out += TwoDigits(date.hour);
        break;
      case 'M':
        out += TwoDigits(date.minute);
        break;
      case 'S':
        out += TwoDigits(date.second);
        break;
      default:
        out += '%';
        break;
    }
  }
  return out;
}

// A value must not make folders of its own or climb out of one.
std::string Tame(std::string value) {
  std::replace(value.begin(), value.end(), '/', '_');
  std::replace(value.begin(), value.end(), '\\', '_');
  std::replace(value.begin(), value.end(), '\0', '_');
  return value;
}

void CheckDateFormat(std::string_view text, const std::string& format) {
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 == format.size() ||
        std::string_view("YmdHMS%").find(format[i + 1]) == std::string_view::npos) {
      Refuse(text, "has a date format other than %Y %m %d %H %M %S and %%");
    }
    ++i;
  }
}

// Each part between slashes must name something inside the output folder.
void CheckParts(std::string_view whole, const std::string& path) {
  if (path.empty()) Refuse(whole, "gives an empty name");
  if (path.find('\\') != std::string::npos)
    Refuse(whole, "has a \"\\\"; folders are made with \"/\"");
  bool absolute = path.front() == '/';
#ifdef _WIN32
  absolute = absolute || (path.size() > 1 && path[1] == ':');
#endif
  if (absolute) Refuse(whole, "leaves the output folder");
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view part(path.data() + start, end - start);
    if (part.empty()) Refuse(whole, "has an empty name between slashes");
    if (part == "." || part == "..") Refuse(whole, "leaves the output folder");
    start = end + 1;
  }
}

}  // namespace

NameTemplate::NameTemplate(std::string_view text) {
  if (text.find('\0') != std::string_view::npos)
    throw Exception("The name template has a NUL character");
  std::string literal;
  std::string skeleton;  // the template with every token as "x": its parts are checked
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '}') Refuse(text, "has a \"}\" without its \"{\"");
    if (text[i] != '{') {
      literal += text[i];
      skeleton += text[i];
      continue;
    }
    const std::size_t close = text.find('}', i);
    if (close == std::string_view::npos) Refuse(text, "has a \"{\" without its \"}\"");
    const std::string_view inside = text.substr(i + 1, close - i - 1);
    const std::size_t colon = inside.find(':');
    const std::string_view key = inside.substr(0, colon);
    const std::string_view argument =
        colon == std::string_view::npos ? std::string_view() : inside.substr(colon + 1);
    Field field{Token::Name, 0, {}};
    static constexpr std::pair<std::string_view, Token> kTokens[] = {
        {"name", Token::Name},  {"ext", Token::Extension}, {"w", Token::Width},
        {"h", Token::Height},   {"W", Token::SourceWidth}, {"H", Token::SourceHeight},
        {"n", Token::Position}, {"date", Token::Date},     {"preset", Token::Preset}};
    const auto found = std::find_if(std::begin(kTokens), std::end(kTokens),
                                    [&](const auto& t) { return t.first == key; });
    if (found == std::end(kTokens))
      Refuse(text, "has an unknown token {" + std::string(inside) + "}");
    field.token = found->second;
    if (colon != std::string_view::npos) {
      if (field.token == Token::Position) {
        const auto [end, error] =
            std::from_chars(argument.data(), argument.data() + argument.size(), field.digits);
        if (argument.empty() || error != std::errc() || end != argument.data() + argument.size() ||
            field.digits < 1 || field.digits > 9)
          Refuse(text, "pads {n} to a width other than 1 to 9");
      } else if (field.token == Token::Date) {
        field.dateFormat = std::string(argument);
        CheckDateFormat(text, field.dateFormat);
      } else {
        Refuse(text, "gives {" + std::string(key) + "} an argument it does not take");
      }
    } else if (field.token == Token::Date) {
      field.dateFormat = "%Y-%m-%d";
    }
    if (!literal.empty()) parts_.emplace_back(std::move(literal));
    literal.clear();
    parts_.emplace_back(std::move(field));
    skeleton += 'x';
    i = close;
  }
  if (!literal.empty()) parts_.emplace_back(std::move(literal));
  CheckParts(text, skeleton);
}

std::string NameTemplate::expand(const NameValues& values) const {
  std::string out;
  for (const auto& part : parts_) {
    if (const auto* literal = std::get_if<std::string>(&part)) {
      out += *literal;
      continue;
    }
    const Field& field = std::get<Field>(part);
    std::string value;
    switch (field.token) {
      case Token::Name:
        value = values.name;
        break;
      case Token::Extension:
        value = values.extension;
        break;
      case Token::Width:
        value = std::to_string(values.width);
        break;
      case Token::Height:
        value = std::to_string(values.height);
        break;
      case Token::SourceWidth:
        value = std::to_string(values.sourceWidth);
        break;
      case Token::SourceHeight:
        value = std::to_string(values.sourceHeight);
        break;
      case Token::Position:
        value = std::to_string(values.position);
        if (static_cast<int>(value.size()) < field.digits)
          value.insert(0, static_cast<std::size_t>(field.digits) - value.size(), '0');
        break;
      case Token::Date:
        value = FormatDate(field.dateFormat, values.date);
        break;
      case Token::Preset:
        value = values.preset;
        break;
    }
    out += Tame(std::move(value));
  }
  // A part that the values left empty or made all dots would name no file of its own.
  std::string path;
  std::size_t start = 0;
  while (start <= out.size()) {
    const std::size_t end = std::min(out.find('/', start), out.size());
    const std::string_view part(out.data() + start, end - start);
    if (start != 0) path += '/';
    if (part.empty() || part.find_first_not_of('.') == std::string_view::npos)
      path += '_';
    else
      path += part;
    start = end + 1;
  }
  return path;
}

}  // namespace pixtrel
