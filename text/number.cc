// Conversions between text and double: String's FromDouble and ToDouble,
// and the exact depth formatter of the rows.
//
// ToDouble is the program's own parser, not strtod: depths are compared as
// whole thousandths, so which double a depth text becomes decides the rows
// it falls on, and that double must come out the same on every build. Every
// operation below is one IEEE double operation rounded to nearest, in this
// order; the build forbids contracting a product and a sum into one.
#include "text/number.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/string.h"

namespace {

constexpr double kBase = 10.0;
constexpr double kNotADigit = -1.0;

// The parser's digit value of |c|: 0.0 to 9.0 for "0" to "9", else -1.0.
double DigitValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<double>(c - '0');
  return kNotADigit;
}

// Writes |value| (below 10^9) in decimal; returns the end.
char* WriteWholeNumber(std::uint32_t value, char* at) {
  int digits = 1;
  for (std::uint32_t bound = 10; bound <= 100000000 && value >= bound;
       bound *= 10)
    ++digits;
  char* const end = at + digits;
  char* pair = end;
  while (value >= 100) {
    pair -= 2;
    std::memcpy(pair, kDigitPairs.data() + 2 * (value % 100), 2);
    value /= 100;
  }
  if (value >= 10)
    std::memcpy(pair - 2, kDigitPairs.data() + 2 * value, 2);
  else
    pair[-1] = static_cast<char>('0' + value);
  return end;
}

// Writes the sign and whole metres; returns the end.
char* WriteWhole(bool negative, std::uint32_t whole, char* at) {
  if (negative) *at++ = '-';
  return WriteWholeNumber(whole, at);
}

// "%f" and to_chars in fixed notation with precision 6 give the same text:
// the exact value rounded to nearest, ties to even, a minus sign for every
// negative value (negative zero and values that round to zero included), and
// "inf" or "nan" for the values that are no numbers.
int FormatSlowly(double depth, char* text) {
  const std::to_chars_result result = std::to_chars(
      text, text + kMaxDepthText, depth, std::chars_format::fixed, 6);
  return static_cast<int>(result.ptr - text);
}

// The six decimals of a depth text as FormatSlowly writes it, in whole
// millionths of a metre; "-0.000000" reads as 0.
std::int64_t MillionthsOfText(const char* text, int length) {
  std::uint64_t value = 0;
  for (int i = text[0] == '-' ? 1 : 0; i < length; ++i) {
    if (text[i] >= '0' && text[i] <= '9')
      value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
  }
  return text[0] == '-' ? -static_cast<std::int64_t>(value)
                        : static_cast<std::int64_t>(value);
}

}  // namespace

int FormatDepth(double depth, char* text) {
  return DepthFormatter().Format(depth, text);
}

std::int64_t PrintedMillionths(double depth) {
  char text[kMaxDepthText];
  std::int64_t printed;
  DepthFormatter().Format(depth, text, &printed);
  return printed;
}

int DepthFormatter::FormatAnew(double depth, char* text,
                               std::int64_t* printed) {
  std::uint64_t bits;
  std::memcpy(&bits, &depth, sizeof bits);
  // From 4 m to 2^24 m, where nearly every row of a well lies, a depth is
  // split in whole numbers: |depth| is mantissa / 2^shift exactly, with shift
  // from 29 to 50, so its whole metres are mantissa >> shift, and its
  // millionths past them, fraction * 10^6 / 2^shift = fraction * 15625 /
  // 2^(shift - 6), are held exactly in 64 bits and rounded to nearest, ties
  // to even, as "%f" rounds the exact value. The sign and the exponent decide
  // every shift and mask; they are worked out again only when they change,
  // which in a well is seldom.
  const unsigned sign_and_exponent = static_cast<unsigned>(bits >> 52);
  if (sign_and_exponent != sign_and_exponent_) {
    const unsigned biased_exponent = sign_and_exponent & 0x7FF;
    if (biased_exponent < 1025 || biased_exponent > 1046) {
      const int length = FormatSlowly(depth, text);
      if (printed != nullptr) *printed = MillionthsOfText(text, length);
      return length;
    }
    sign_and_exponent_ = sign_and_exponent;
    shift_ = 1075 - biased_exponent;
    scaled_shift_ = shift_ - 6;
    fraction_mask_ = (std::uint64_t{1} << shift_) - 1;
    half_less_one_ = (std::uint64_t{1} << (scaled_shift_ - 1)) - 1;
    // The whole metres kept belong to the sign they were written with.
    whole_ = ~std::uint32_t{0};
  }
  std::uint32_t whole;
  std::uint32_t millionths;
  Split(bits, &whole, &millionths);
  if (millionths == 1000000) {
    millionths = 0;
    ++whole;
  }
  if (whole != whole_) {
    whole_ = whole;
    whole_length_ = static_cast<int>(
        WriteWhole((bits >> 63) != 0, whole, whole_text_) - whole_text_);
  }
  return Emit(bits, whole, millionths, text, printed);
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
  if (buffer == nullptr) return integer_part;

  const char* c = buffer;
  // A sign counts only in first place, and a minus may be followed by a
  // plus; anywhere else it is skipped like every other unknown character.
  if (*c == '-') {
    negative = true;
    ++c;
  }
  if (*c == '+') ++c;

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
  if (negative) integer_part = -integer_part;
  return integer_part;
}
