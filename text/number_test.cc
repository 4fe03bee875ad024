#include "text/number.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "text/string.h"

namespace {

std::uint64_t Bits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::string TextOf(const String& s) {
  return s.GetText() != nullptr ? std::string(s.GetText()) : std::string();
}

// Expected values are written with 17 significant digits, which names one
// double exactly; the comparison is on the bit pattern, so a last-bit
// difference or a lost sign of zero fails.
TEST(ToDouble, ReadsEveryTextToTheBit) {
  struct Case {
    const char* text;
    double value;
  };
  const Case kCases[] = {
      {"", 0.0},
      {"-", -0.0},
      {"-0", -0.0},
      {"-00.000", -0.0},
      {"0.0", 0.0},
      {"12.50", 12.5},
      {"-0.5", -0.5},
      {"+3", 3.0},
      {"1,5", 15.0},
      {"1.2.3", 1.23},
      {"1e3", 13.0},
      {" 7", 7.0},
      {" -7", 7.0},
      {"7 ", 7.0},
      {"-+5", -5.0},
      {"+-5", 5.0},
      {"++5", 5.0},
      {".5", 0.5},
      {"5.", 5.0},
      {"\xb5"
       "1\xff"
       "2",
       12.0},
      {"abc", 0.0},
      // One unit in the last place away from the nearest double: the
      // fraction digits are scaled once, by a scale divided by ten per digit.
      {"0.3", 0.30000000000000004},
      {"0.7", 0.70000000000000007},
      {"1.7", 1.7000000000000002},
      {"2.72", 2.7199999999999998},
      {"-1.7", -1.7000000000000002},
      {"9007199254740993", 9007199254740992.0},
      // Long fractions: one division by ten a digit, far past the digits a
      // double holds.
      {"1.3333333333333333333333333333333", 1.3333333333333335},
      {"1.33333333333333333333333333333333", 1.3333333333333335},
      {"1.333333333333333333333333333333333", 1.3333333333333335},
      {"0.0000000000000000000000000000000000007", 7.0000000000000036e-37},
      {"12.3456789012345678901234567890123456789012345", 12.345678901234567},
  };
  for (const Case& c : kCases) {
    const double read = String(c.text).ToDouble();
    EXPECT_EQ(Bits(c.value), Bits(read))
        << '"' << c.text << "\" read as " << read;
  }
}

// Depths are compared as whole thousandths rounded up; the parser's last bit
// moves 1.7 to the next thousandth.
TEST(ToDouble, LastBitReachesTheDepthKey) {
  EXPECT_EQ(1701.0, std::ceil(String("1.7").ToDouble() * 1000.0));
  EXPECT_EQ(2720.0, std::ceil(String("2.72").ToDouble() * 1000.0));
}

TEST(ToDouble, LeavesTheTextAndTokenizationAlone) {
  String line("12 13");
  EXPECT_EQ("12", TextOf(line.NextToken(kWhiteSpace)));
  EXPECT_EQ(1213.0, line.ToDouble());
  EXPECT_EQ("12 13", TextOf(line));
  EXPECT_EQ("13", TextOf(line.NextToken(kWhiteSpace)));
}

// Between two digits, a digit byte adds its value and every other byte but
// the point is skipped: "1" c "2" reads as 1c2 or as 12.
TEST(ToDouble, OnlyTheTenDigitsHaveAValue) {
  for (int byte = 1; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    if (c == '.') continue;
    const char text[] = {'1', c, '2', '\0'};
    const double expected =
        c >= '0' && c <= '9' ? 102.0 + 10.0 * (c - '0') : 12.0;
    EXPECT_EQ(expected, String(text).ToDouble()) << byte;
  }
}

TEST(FromDouble, FormatsFixedNotation) {
  struct Case {
    double value;
    int precision;
    const char* text;
  };
  const Case kCases[] = {
      {98.0, -1, "98.000000"}, {0.1, -1, "0.100000"},
      {-2.0, -1, "-2.000000"}, {134.25, -1, "134.250000"},
      {-0.0, -1, "-0.000000"}, {1.23456, 3, "1.235"},
      {7.0, 0, "7"},           {2.5, 12, "2.500000000000"},
      {98.0, -5, "98.000000"},
  };
  for (const Case& c : kCases) {
    String s;
    EXPECT_EQ(c.text, TextOf(s.FromDouble(c.value, c.precision)))
        << c.value << " with precision " << c.precision;
  }
}

TEST(FromDouble, MostNegativeDoubleFitsWithSixDecimals) {
  String s;
  s.FromDouble(-DBL_MAX);
  const std::string text = TextOf(s);
  EXPECT_EQ(317u, text.size());
  EXPECT_EQ("-179769313486231570", text.substr(0, 19));
  EXPECT_EQ(".000000", text.substr(310));
  EXPECT_EQ(318u, s.Capacity());
}

TEST(FromDouble, ReplacesTheTextLikeAssign) {
  String s("a b");
  EXPECT_EQ("a", TextOf(s.NextToken(kWhiteSpace)));
  String& same = s.FromDouble(98.0);
  EXPECT_EQ(&s, &same);
  EXPECT_FALSE(s.IsTokenizing());
  EXPECT_EQ("98.000000", TextOf(s));
  EXPECT_EQ(10u, s.Capacity());

  s.FromDouble(1.5, 1);
  EXPECT_EQ("1.5", TextOf(s));
  EXPECT_EQ(10u, s.Capacity());

  String row;
  EXPECT_EQ("12.500000 A",
            TextOf(row.FromDouble(12.5).Concat(" ").Concat("A")));
}

std::string Printf(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

std::string Formatted(double value) {
  char text[kMaxDepthText];
  return std::string(text, static_cast<std::size_t>(FormatDepth(value, text)));
}

// The text of a formatter that keeps the whole metres of the values before.
std::string FormattedAfter(DepthFormatter& formatter, double value) {
  char text[kMaxDepthText];
  return std::string(text,
                     static_cast<std::size_t>(formatter.Format(value, text)));
}

// The value of the "%f" text in whole millionths, for the depths whose
// millionths a 64-bit count holds ("-0.000000" is 0).
bool PrintfMillionths(double value, std::int64_t* millionths) {
  if (!(std::fabs(value) < 9e12)) return false;
  std::string digits;
  for (const char c : Printf(value))
    if (c != '.') digits += c;
  *millionths = std::stoll(digits);
  return true;
}

double FromBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// splitmix64, so that every run checks the same values.
std::uint64_t NextRandom(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

TEST(FormatDepth, GivesThePrintfTextForSpecialValues) {
  const double kCases[] = {
      0.0, -0.0, 1.0, -1.0, 0.1, -0.1, 2147483.647, -2147483.648,
      // Values that round to zero keep their sign.
      1e-7, -1e-7, 4.9e-7, -4.9e-7, 5e-7, -5e-7,
      // Halfway in binary: odd multiples of 2^-7 end in a 5 after the sixth
      // decimal, and round to the even neighbour.
      0.0078125, 0.0234375, -0.0078125, 100.0078125, 1000.9921875,
      // Carries through the point.
      0.9999995, 0.99999949999, 9.9999999, 999999.9999996, -99.9999999,
      // Around the ends of the whole-number short cut (4 m and 2^24 m) and
      // far beyond them.
      3.9999999999999996, 3.9999995, 4.0, -4.0, 4.0000005, 7.9999996,
      16777215.9999995, 16777215.999999998, 16777216.0, 16777216.0000005,
      9007199254740991.0, 9007199254740992.0, 1e20, -1e20, 1e300,
      std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
      std::numeric_limits<double>::min(), -std::numeric_limits<double>::min(),
      std::numeric_limits<double>::denorm_min(),
      -std::numeric_limits<double>::denorm_min(),
      std::numeric_limits<double>::infinity(),
      -std::numeric_limits<double>::infinity(),
      std::numeric_limits<double>::quiet_NaN(),
      -std::numeric_limits<double>::quiet_NaN()};
  DepthFormatter formatter;
  for (const double value : kCases) {
    EXPECT_EQ(Printf(value), Formatted(value)) << std::hexfloat << value;
    EXPECT_EQ(Printf(value), FormattedAfter(formatter, value))
        << std::hexfloat << value;
  }
  EXPECT_EQ("-0.000000", Formatted(-0.0));
}

TEST(FormatDepth, GivesThePrintfTextForManyValues) {
  std::uint64_t state = 20240611;
  int mismatches = 0;
  // One formatter sees every value in turn: runs of depths that share their
  // whole metres, and jumps between signs and magnitudes.
  DepthFormatter formatter;
  auto check = [&mismatches, &formatter](double value) {
    std::int64_t expected;
    if (PrintfMillionths(value, &expected)) {
      char text[kMaxDepthText];
      std::int64_t printed = -1;
      formatter.Format(value, text, &printed);
      if ((printed != expected || PrintedMillionths(value) != expected) &&
          ++mismatches <= 10)
        ADD_FAILURE() << std::hexfloat << value << ": " << Printf(value)
                      << " printed as " << printed << " millionths";
    }
    if (Printf(value) != Formatted(value) && ++mismatches <= 10)
      ADD_FAILURE() << std::hexfloat << value << ": " << Printf(value)
                    << " != " << Formatted(value);
    if (Printf(value) != FormattedAfter(formatter, value) && ++mismatches <= 10)
      ADD_FAILURE() << std::hexfloat << value << ": " << Printf(value)
                    << " != " << FormattedAfter(formatter, value)
                    << " after the values before";
  };
  for (int i = 0; i < 100000; ++i) {
    // Any bit pattern: every exponent, subnormals, infinities and NaNs.
    check(FromBits(NextRandom(state)));
    // Depths as tables hold them, in centimetres and millimetres.
    const double centimetres =
        static_cast<double>(NextRandom(state) % 1000000000) - 500000000.0;
    check(centimetres / 100.0);
    check(centimetres / 1000.0);
    // Every halfway case below 2^31 m: an odd multiple of 2^-7.
    const std::uint64_t odd =
        (NextRandom(state) % (std::uint64_t{1} << 38)) | 1;
    check(std::ldexp(static_cast<double>(odd), -7));
    // Magnitudes from 2^-30 to 2^60 with full mantissas.
    const double mantissa = static_cast<double>(NextRandom(state) >> 11);
    check(std::ldexp(mantissa, static_cast<int>(NextRandom(state) % 90) - 83));
  }
  // Depths as the resampling reaches them: by repeated addition of a step
  // (a negative one counts the whole metres of negative depths up).
  for (const double step : {0.1, 0.01, 0.3, 0.25, 1e-3, 0.07, -0.1}) {
    for (const double start : {-2.0, 998.0, 2999.99, -2147481.5}) {
      double depth = start;
      for (int i = 0; i < 20000; ++i) {
        check(depth);
        check(depth - 0.01);
        depth = depth + step;
      }
    }
  }
  EXPECT_EQ(0, mismatches);
}

}  // namespace
