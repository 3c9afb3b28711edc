// Number <-> text conversions of the data model. Two reading rules exist side by side:
// - stream-extraction rules (what SetFromText and InsertFromText use): optional leading white
//   space and sign, digits, stop at the first byte that is not part of the number; an unsigned
//   type accepts a leading minus and wraps modulo 2^width; a magnitude beyond the type's range
//   gives the type's limit; no digits gives 0;
// - the C library's atoi/atof rules (what single-value record attributes use).
// None of them allocates; all of them accept null as the empty text.
#pragma once

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>

namespace Database {

namespace FieldText {

// Skips leading white space and one sign; sets negative. Returns the first byte after them.
const char* SkipSpaceAndSign(const char* text, bool* negative);
// The digits at text read as a magnitude, saturating at the largest uint64_t. False when there
// are no digits.
bool ReadMagnitude(const char* text, uint64_t* magnitude);

}  // namespace FieldText

// Reads an integer of type T by stream-extraction rules.
template <class T>
T ParseStreamInteger(const char* text) {
  static_assert(std::is_integral_v<T>);
  if (!text) return 0;
  bool negative = false;
  uint64_t magnitude = 0;
  if (!FieldText::ReadMagnitude(FieldText::SkipSpaceAndSign(text, &negative), &magnitude)) {
    return 0;
  }
  using Unsigned = std::make_unsigned_t<T>;
  if constexpr (std::is_unsigned_v<T>) {
    if (magnitude > std::numeric_limits<T>::max()) return std::numeric_limits<T>::max();
    const T value = static_cast<T>(magnitude);
    return negative ? static_cast<T>(Unsigned{0} - value) : value;
  } else {
    const auto max = static_cast<uint64_t>(std::numeric_limits<T>::max());
    if (negative) {
      if (magnitude > max + 1) return std::numeric_limits<T>::min();
      return static_cast<T>(Unsigned{0} - static_cast<Unsigned>(magnitude));
    }
    return magnitude > max ? std::numeric_limits<T>::max() : static_cast<T>(magnitude);
  }
}

// atoi: a 32-bit signed decimal; out-of-range values give the int32 limits.
int32_t ParseAtoi(const char* text);
// atof: the C library's strtod over the whole text; 0 when nothing is read.
double ParseAtof(const char* text);
// A 32-bit float by stream-extraction rules (strtof).
float ParseStreamFloat(const char* text);

// Appends the decimal text of an integer.
template <class T>
void AppendDecimal(T value, std::string& out) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// Appends value as printf's %.*g writes it in the C locale, with the given number of significant
// digits (1 to 17). The text is the same on every platform: a NaN is "nan", or "-nan" when its
// sign bit is set.
void AppendGeneral(double value, int significantDigits, std::string& out);

}  // namespace Database
