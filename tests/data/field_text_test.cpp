#include "data/field_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace {

std::string General(double value, int digits) {
  std::string out = "<";
  Database::AppendGeneral(value, digits, out);
  return out;
}

std::string Printed(double value, int digits) {
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return "<" + std::string(buffer, static_cast<size_t>(length));
}

TEST(FieldText, GeneralFormatHasFixedTexts) {
  // Texts a saved file holds on every platform.
  const struct {
    double value;
    int digits;
    const char* expected;
  } kCases[] = {
      {0.0, 17, "0"},
      {-0.0, 17, "-0"},
      {0.1, 17, "0.10000000000000001"},
      {0.1, 8, "0.1"},
      {static_cast<double>(2.271218f), 8, "2.2712181"},
      {123456789.0, 8, "1.2345679e+08"},
      {1e20, 17, "1e+20"},
      {1e-5, 17, "1.0000000000000001e-05"},
      {0.0001, 8, "0.0001"},
      {1e16, 17, "10000000000000000"},
      {1e17, 17, "1e+17"},
      {std::numeric_limits<double>::max(), 17, "1.7976931348623157e+308"},
      {std::numeric_limits<double>::denorm_min(), 17, "4.9406564584124654e-324"},
      {std::numeric_limits<double>::infinity(), 17, "inf"},
      {-std::numeric_limits<double>::infinity(), 8, "-inf"},
      {std::numeric_limits<double>::quiet_NaN(), 17, "nan"},
      {-std::numeric_limits<double>::quiet_NaN(), 8, "-nan"},
      {0.5, 1, "0.5"},
      {9.5, 1, "1e+01"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(General(c.value, c.digits), std::string("<") + c.expected);
  }
}

TEST(FieldText, GeneralFormatWritesWhatPrintfWrites) {
  // Random bit patterns cover every exponent and sign; floats widened to double are what float
  // fields write. A C library may leave out the sign of a NaN, so NaNs have fixed texts above.
  std::mt19937_64 random(20261208);
  int differences = 0;
  for (int round = 0; round < 40000 && differences < 5; ++round) {
    const double bits = std::bit_cast<double>(random());
    const double widened =
        static_cast<double>(std::bit_cast<float>(static_cast<uint32_t>(random())));
    const double decimal = std::round(std::ldexp(static_cast<double>(random() >> 11), -20)) / 1000;
    for (const double value : {bits, widened, decimal}) {
      if (std::isnan(value)) continue;
      for (const int digits : {8, 17, 1 + round % 17}) {
        if (General(value, digits) != Printed(value, digits)) {
          ADD_FAILURE() << "digits " << digits << ": " << Printed(value, digits) << " became "
                        << General(value, digits);
          ++differences;
        }
      }
    }
  }
}

}  // namespace
