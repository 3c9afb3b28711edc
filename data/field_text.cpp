#include "data/field_text.h"

#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace Database {

namespace FieldText {

const char* SkipSpaceAndSign(const char* text, bool* negative) {
  // The C locale's white space, as stream extraction and atoi skip it.
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
  *negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  return text;
}

bool ReadMagnitude(const char* text, uint64_t* magnitude) {
  const char* end = text;
  while (*end >= '0' && *end <= '9') ++end;
  if (end == text) return false;
  // Up to 19 digits cannot overflow, and are summed directly.
  constexpr std::ptrdiff_t kSafeDigits = std::numeric_limits<uint64_t>::digits10;
  if (end - text <= kSafeDigits) {
    uint64_t value = 0;
    for (const char* digit = text; digit != end; ++digit) {
      value = value * 10 + static_cast<uint64_t>(*digit - '0');
    }
    *magnitude = value;
  } else if (std::from_chars(text, end, *magnitude).ec != std::errc{}) {
    *magnitude = std::numeric_limits<uint64_t>::max();
  }
  return true;
}

}  // namespace FieldText

int32_t ParseAtoi(const char* text) {
  if (!text) return 0;
  bool negative = false;
  uint64_t magnitude = 0;
  if (!FieldText::ReadMagnitude(FieldText::SkipSpaceAndSign(text, &negative), &magnitude)) {
    return 0;
  }
  constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
  if (negative) {
    return magnitude > kMax ? std::numeric_limits<int32_t>::min()
                            : -static_cast<int32_t>(magnitude);
  }
  return magnitude > kMax ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

namespace {

// The C library's strtod/strtof over the whole text. A plain decimal number that makes up the
// whole text is read by from_chars, which rounds the same way without the locale lookups; any
// other form (white space, a plus sign, hexadecimal, trailing bytes, out of range) goes to the C
// library.
template <class T, T (*CRead)(const char*, char**)>
T ReadFloating(const char* text) {
  if (!text) return T{0};
  const char* end = text + std::strlen(text);
  T value{};
  const auto [stop, error] = std::from_chars(text, end, value);
  if (error == std::errc{} && stop == end && end != text) return value;
  return CRead(text, nullptr);
}

}  // namespace

double ParseAtof(const char* text) { return ReadFloating<double, std::strtod>(text); }

float ParseStreamFloat(const char* text) { return ReadFloating<float, std::strtof>(text); }

void AppendGeneral(double value, int significantDigits, std::string& out) {
  // to_chars writes what printf's %.*g writes in the C locale, without the locale and the
  // arbitrary-precision arithmetic printf goes through: saving a record formats every number.
  // The widest text (17 digits, sign, point, exponent) takes 24 bytes.
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::general, significantDigits);
  if (result.ec == std::errc{}) out.append(buffer, result.ptr);
}

}  // namespace Database
