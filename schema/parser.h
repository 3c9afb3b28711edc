// The schema language parser: the second load phase. It reads one schema file into the model,
// filling in fields, key-values and parent links of the structures and enumerations that the
// pre-pass (schema/prepass.h) declared for every file of the load. Every error is logged once
// with LogError, naming the file and, where the language says so, the 1-based line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "schema/model.h"

namespace Schema {

// Parses one file. True when the text was read to its end (a declaration left open at the end is
// not reported), false at the first error, which has been logged. Objects created before an error
// stay in the schema. path is used in messages only.
bool ParseSchemaFile(const std::string& path, std::string_view text);

// Reads the key-value block of a comment ("// words [key: value, key: "quoted value"]") into
// pending. tokens run from the comment token to the end of its line. False when the block stops at
// a malformed or repeated key (pairs stored before stay); true otherwise, also when the tokens run
// out. Nothing is logged.
bool ParseKeyValueComment(const std::vector<std::string>& tokens, size_t first,
                          KeyValueMap& pending);

}  // namespace Schema
