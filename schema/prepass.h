// The first load phase: every structure, record and enumeration of a schema file is created and
// registered by name, so that the parser can resolve names declared later or in other files.
#pragma once

#include <string>
#include <string_view>

namespace Schema {

// Declares the file's types; checks no syntax. Logs and returns false at the first name that is
// already declared (structures and enumerations are checked separately, across all files).
bool PrePassSchemaFile(const std::string& path, std::string_view text);

}  // namespace Schema
