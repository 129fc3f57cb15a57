#pragma once
// Output names made from a pattern: "{name}-{w}x{h}", "{date:%Y}/{date:%m}/{name}", "{n:3}".
// A template is read once, before any file is written, so a mistake in it fails the batch at
// the start; expanding it never fails.
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pixtrel {

struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// What the tokens stand for, for one file.
struct NameValues {
  std::string name;                       // {name}: the source's name without its extension
  std::string extension;                  // {ext}: the source's extension, without the dot
  int width = 0, height = 0;              // {w} {h}: the output's size
  int sourceWidth = 0, sourceHeight = 0;  // {W} {H}
  int position = 0;                       // {n}: from 1, in the whole list
  DateTime date;                          // {date}: when the photo was taken, else the file's
  std::string preset;                     // {preset}
};

class NameTemplate {
 public:
  // Throws "The name template ..." for an unknown or unclosed token, a date format other than
  // %Y %m %d %H %M %S %%, or a template that would leave the output folder (absolute, or with
  // an empty, "." or ".." part).
  explicit NameTemplate(std::string_view text);

  // The output's path below the output folder, without the extension the format adds. Parts
  // of a value that would make folders or leave the folder ("/", "\", a leading dot run that
  // is all of a part) are replaced by "_".
  std::string expand(const NameValues& values) const;

 private:
  enum class Token {
    Name,
    Extension,
    Width,
    Height,
    SourceWidth,
    SourceHeight,
    Position,
    Date,
    Preset
  };
  struct Field {
    Token token;
    int digits = 0;          // {n:3}
    std::string dateFormat;  // {date:...}
  };
  std::vector<std::variant<std::string, Field>> parts_;
};

}  // namespace pixtrel
