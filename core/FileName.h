#pragma once
// File names as the commands handle them: bare names, their extensions, conversions' names.
#include <string>
#include <string_view>

namespace pixtrel {

// The extension from the last "." on, or empty when the name has none.
std::string_view ExtensionOf(std::string_view fileName);

// The output name of a conversion: the file-name part of source (any folder part dropped)
// followed by the new extension ("image1.gif" and ".jpg" give "image1.gif.jpg").
std::string ConvertedName(const std::string& source, const std::string& extension);

}  // namespace pixtrel
