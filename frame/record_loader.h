// Reading record files through the host's callbacks into registered records.
#pragma once

#include <string>
#include <string_view>

#include "base/data_object.h"

namespace tinyxml2 {
class XMLDocument;
}

namespace Database {

// The record name a path gives: the text after the last separator ('\' or '/') up to the last
// '.'. Empty when the last '.' belongs to a directory; the whole last part when there is no '.'.
std::string RecordNameFromPath(std::string_view path);

// The name of the document's parse error ("XML_ERROR_PARSING_ELEMENT", ...); for a mismatched
// element the name is followed by " -> " and the element's name. At most 255 characters; empty
// when the document parsed.
std::string FormatXmlError(const tinyxml2::XMLDocument& document);

}  // namespace Database
