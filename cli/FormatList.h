#pragma once
// pixtrel-batch --list-formats: the registry as text, for scripts and for the packaged lists
// (desktop file, metainfo, completion, manual pages) to be checked against.
#include <string>

namespace pixtrel::cli {

// One line per format, in registry order, fields separated by tabs:
// KEY  read[,write]  .EXT .EXT...  MIME MIME...  TITLE  NAME
std::string FormatListText();

}  // namespace pixtrel::cli
