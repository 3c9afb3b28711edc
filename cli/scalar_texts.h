// How the library reads a scalar's text from a record file and writes it back on the next save.
#ifndef TESSELLA_CLI_SCALAR_TEXTS_H_
#define TESSELLA_CLI_SCALAR_TEXTS_H_

#include <cstdint>
#include <optional>
#include <string>

namespace TessellaCli {

// Compares text, the file's value of element index of a Bool, integer, Float or Double field
// (entry: an array entry's "Value" rather than an attribute), with what the loaded field holds.
// Returns a message when the next save would write other data than the text says: a text the
// reader does not take whole (a number cut short, a Bool other than true, false, 1 or 0), an
// integer beyond the field's width, or a number that the save's digits do not carry back.
// Nothing for other types, for an empty text and for differences of form alone ("+5", "0.10").
std::optional<std::string> ScalarChange(uint32_t fieldType, bool entry, const std::string& text,
                                        uint64_t field, int32_t index);

}  // namespace TessellaCli

#endif  // TESSELLA_CLI_SCALAR_TEXTS_H_
