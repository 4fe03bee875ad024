// Conversions between String and double.
//
// ToDouble is the program's own parser, not strtod: depths are compared as
// whole thousandths, so which double a depth text becomes decides the rows
// it falls on, and that double must come out the same on every build. Every
// operation below is one IEEE double operation rounded to nearest, in this
// order; the build forbids contracting a product and a sum into one.
#include <cstdio>

#include "text/string.h"

namespace {

constexpr double kBase = 10.0;
constexpr double kNotADigit = -1.0;

}  // namespace

double DigitValue(char c) {
  if (c >= '0' && c <= '9')
    return static_cast<double>(c - '0');
  return kNotADigit;
}

String& String::FromDouble(double value, int precision) {
  // "%f" or "%.<precision>f": a percent sign, a point, at most 11 characters
  // of a 32-bit count, the f and the terminator.
  char format[15];
  if (precision < 0) {
    // Only -1 is ever passed; any other negative count would not make a
    // valid format, so it gets the default too.
    std::snprintf(format, sizeof format, "%sf", "%");
  } else {
    std::snprintf(format, sizeof format, "%s.%df", "%", precision);
  }
  // The most negative double takes 317 characters with six decimals.
  char text[1024];
  std::snprintf(text, sizeof text, format, value);
  return Assign(text);
}

double String::ToDouble() const {
  double integer_part = 0.0;
  double fraction_digits = 0.0;
  double fraction_scale = 1.0;
  bool negative = false;
  if (buffer == nullptr)
    return integer_part;

  const char* c = buffer;
  // A sign counts only in first place, and a minus may be followed by a
  // plus; anywhere else it is skipped like every other unknown character.
  if (*c == '-') {
    negative = true;
    ++c;
  }
  if (*c == '+')
    ++c;

  bool in_fraction = false;
  for (; *c != 0; ++c) {
    if (*c == '.') {
      in_fraction = true;
      ++c;
      break;
    }
    const double digit = DigitValue(*c);
    if (digit != kNotADigit) {
      const double shifted = integer_part * kBase;
      integer_part = shifted + digit;
    }
  }

  // The fraction digits are gathered as a whole number and scaled once at
  // the end, by a scale divided by ten once per digit. Later points are
  // skipped like any other non-digit.
  if (in_fraction) {
    for (; *c != 0; ++c) {
      const double digit = DigitValue(*c);
      if (digit != kNotADigit) {
        const double shifted = fraction_digits * kBase;
        fraction_digits = shifted + digit;
        fraction_scale = fraction_scale / kBase;
      }
    }
  }

  if (fraction_digits != 0.0) {
    const double fraction = fraction_digits * fraction_scale;
    integer_part = integer_part + fraction;
  }
  // A lone minus, or a minus and zeros, gives negative zero.
  if (negative)
    integer_part = -integer_part;
  return integer_part;
}
