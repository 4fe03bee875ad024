#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

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
      {"\xb5" "1\xff" "2", 12.0},
      {"abc", 0.0},
      // One unit in the last place away from the nearest double: the
      // fraction digits are scaled once, by a scale divided by ten per digit.
      {"0.3", 0.30000000000000004},
      {"0.7", 0.70000000000000007},
      {"1.7", 1.7000000000000002},
      {"2.72", 2.7199999999999998},
      {"-1.7", -1.7000000000000002},
      {"9007199254740993", 9007199254740992.0},
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

TEST(DigitValue, OnlyTheTenDigitsHaveAValue) {
  struct Case {
    char c;
    double value;
  };
  const Case kCases[] = {
      {'0', 0.0},  {'5', 5.0},  {'9', 9.0},  {'/', -1.0},
      {':', -1.0}, {'.', -1.0}, {'\0', -1.0}, {'\x80', -1.0},
      {'\xb9', -1.0}, {'\xff', -1.0},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(c.value, DigitValue(c.c)) << static_cast<int>(c.c);
}

TEST(FromDouble, FormatsFixedNotation) {
  struct Case {
    double value;
    int precision;
    const char* text;
  };
  const Case kCases[] = {
      {98.0, -1, "98.000000"},   {0.1, -1, "0.100000"},
      {-2.0, -1, "-2.000000"},   {134.25, -1, "134.250000"},
      {-0.0, -1, "-0.000000"},   {1.23456, 3, "1.235"},
      {7.0, 0, "7"},             {2.5, 12, "2.500000000000"},
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

}  // namespace
