#include "scalar_texts.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tessella.h"

namespace TessellaCli {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

bool EqualsNoCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != lower[i]) return false;
  }
  return true;
}

template <typename T>
std::string Shortest(T value) {
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

struct IntegerType {
  unsigned width;
  bool isSigned;
};

std::optional<IntegerType> IntegerTypeOf(uint32_t fieldType) {
  switch (fieldType) {
    case TESSELLA_FIELD_INT8:
      return IntegerType{8, true};
    case TESSELLA_FIELD_INT16:
      return IntegerType{16, true};
    case TESSELLA_FIELD_INT32:
    case TESSELLA_FIELD_LOCID:
      return IntegerType{32, true};
    case TESSELLA_FIELD_INT64:
      return IntegerType{64, true};
    case TESSELLA_FIELD_UINT8:
      return IntegerType{8, false};
    case TESSELLA_FIELD_UINT16:
      return IntegerType{16, false};
    case TESSELLA_FIELD_UINT32:
      return IntegerType{32, false};
    case TESSELLA_FIELD_UINT64:
      return IntegerType{64, false};
    default:
      return std::nullopt;
  }
}

// The held value in decimal, as the field's type reads it.
std::string HeldInteger(uint32_t fieldType, uint64_t field, int32_t index) {
  switch (fieldType) {
    case TESSELLA_FIELD_INT8:
      return Shortest(int{DB_DataField_GetValueAsInt8(field, index)});
    case TESSELLA_FIELD_INT16:
      return Shortest(int{DB_DataField_GetValueAsInt16(field, index)});
    case TESSELLA_FIELD_INT32:
    case TESSELLA_FIELD_LOCID:
      return Shortest(DB_DataField_GetValueAsInt32(field, index));
    case TESSELLA_FIELD_INT64:
      return Shortest(DB_DataField_GetValueAsInt64(field, index));
    case TESSELLA_FIELD_UINT8:
      return Shortest(unsigned{DB_DataField_GetValueAsUInt8(field, index)});
    case TESSELLA_FIELD_UINT16:
      return Shortest(unsigned{DB_DataField_GetValueAsUInt16(field, index)});
    case TESSELLA_FIELD_UINT32:
      return Shortest(DB_DataField_GetValueAsUInt32(field, index));
    default:
      return Shortest(DB_DataField_GetValueAsUInt64(field, index));
  }
}

// The two's complement bits of the decimal text, when the text is one whole number that fits the
// type; unsigned types also take the negative form that array entries are written in.
std::optional<uint64_t> IntegerBits(std::string_view text, IntegerType type) {
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  const uint64_t half = uint64_t{1} << (type.width - 1);
  const uint64_t most = type.isSigned ? half - 1 : half + (half - 1);
  if (negative ? magnitude > half : magnitude > most) return std::nullopt;
  return negative ? ~magnitude + 1 : magnitude;
}

std::optional<std::string> IntegerChange(uint32_t fieldType, IntegerType type,
                                         std::string_view text, uint64_t field, int32_t index) {
  const std::string held = HeldInteger(fieldType, field, index);
  const uint64_t mask = type.width == 64 ? ~uint64_t{0} : (uint64_t{1} << type.width) - 1;
  const std::optional<uint64_t> bits = IntegerBits(text, type);
  const std::optional<uint64_t> heldBits = IntegerBits(held, type);
  if (bits && heldBits && (*bits & mask) == (*heldBits & mask)) return std::nullopt;
  return "the file holds \"" + std::string(text) + "\", which reads as " + held +
         ", so the next save writes " + held;
}

template <typename T>
bool SameNumber(T a, T b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

// The save writes single values with 7 (Float) or 16 (Double) significant digits and array entries
// with 8 or 17.
template <typename T>
std::optional<std::string> FloatChange(std::string_view text, bool entry, T held) {
  const std::string copy(text);
  char* end = nullptr;
  std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size()) {
    return "the file holds \"" + copy + "\", which reads as " + Shortest(held) +
           ", so the next save writes " + Shortest(held);
  }
  constexpr bool isFloat = sizeof(T) == sizeof(float);
  const int digits = (isFloat ? 7 : 16) + (entry ? 1 : 0);
  char written[64];
  std::snprintf(written, sizeof written, "%.*g", digits, static_cast<double>(held));
  // Read back as the library reads a number that makes up the whole text (the C library's atof
  // does not read "nan" everywhere).
  T readBack{};
  std::from_chars(written, written + std::strlen(written), readBack);
  if (SameNumber(readBack, held)) return std::nullopt;
  return "the file holds " + copy + ", which reads as " + Shortest(held) +
         "; the next save writes " + written + ", which reads back as " + Shortest(readBack);
}

}  // namespace

std::optional<std::string> ScalarChange(uint32_t fieldType, bool entry, const std::string& text,
                                        uint64_t field, int32_t index) {
  // The Bool reader compares the whole text; the number readers pass over blanks.
  const std::string_view trimmed = fieldType == TESSELLA_FIELD_BOOL ? text : Trimmed(text);
  if (trimmed.empty()) return std::nullopt;
  if (const std::optional<IntegerType> type = IntegerTypeOf(fieldType)) {
    return IntegerChange(fieldType, *type, trimmed, field, index);
  }
  switch (fieldType) {
    case TESSELLA_FIELD_BOOL:
      if (EqualsNoCase(trimmed, "true") || EqualsNoCase(trimmed, "false") || trimmed == "1" ||
          trimmed == "0") {
        return std::nullopt;
      }
      return "the file holds \"" + std::string(trimmed) + "\", which reads as " +
             (DB_DataField_GetValueAsBool(field, index) ? "true" : "false") +
             ", so the next save writes " + (DB_DataField_GetValueAsBool(field, index) ? "1" : "0");
    case TESSELLA_FIELD_FLOAT:
      return FloatChange(trimmed, entry, DB_DataField_GetValueAsFloat(field, index));
    case TESSELLA_FIELD_DOUBLE:
      return FloatChange(trimmed, entry, DB_DataField_GetValueAsDouble(field, index));
    default:
      return std::nullopt;
  }
}

}  // namespace TessellaCli
