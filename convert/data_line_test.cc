#include "convert/data_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <limits>
#include <string>
#include <vector>

#include "convert/depth_key.h"

namespace {

std::vector<std::string> Texts(const Fields& fields) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < fields.size(); ++i) texts.push_back(fields[i]);
  return texts;
}

// The same bits, so that -0.0 and 0.0 differ and NaNs compare.
bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The key fits where ceil(depth * 1000) lies in the int32 range, to the
// last bit on either side of both ends; outside it DepthKey saturates.
TEST(DepthKey, FitsWhereItsKeyIsAnInt32) {
  const double kMin = std::numeric_limits<std::int32_t>::min();
  const double kMax = std::numeric_limits<std::int32_t>::max();
  std::vector<double> depths = {0.0,
                                -0.0,
                                1.5,
                                -1.5,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN()};
  for (const double edge : {-2147483.649, -2147483.6485, -2147483.648,
                            2147483.647, 2147483.6470001, 2147483.648}) {
    double depth = edge;
    for (int i = 0; i < 4; ++i) depth = std::nextafter(depth, -1e300);
    for (int i = 0; i < 9; ++i) {
      depths.push_back(depth);
      depth = std::nextafter(depth, 1e300);
    }
  }
  for (const double depth : depths) {
    SCOPED_TRACE(testing::Message() << std::setprecision(17) << depth);
    const double key = std::ceil(depth * 1000.0);
    const bool fits = key >= kMin && key <= kMax;
    EXPECT_EQ(fits, DepthKeyFits(depth));
    if (!std::isnan(key)) {
      EXPECT_EQ(std::min(std::max(key, kMin), kMax), DepthKey(depth));
    }
  }
}

TEST(DataLine, SplitsAtTheFourWhiteSpaceBytesOnly) {
  Fields fields;
  fields.Add("old", 3);  // replaced, not added to
  SplitWhiteSpaceFields(String(" W-1\t10.5  12\r\nSand;x  \v0.2 \n"), &fields);
  EXPECT_EQ((std::vector<std::string>{"W-1", "10.5", "12", "Sand;x", "\v0.2"}),
            Texts(fields));
  // The next line's fields are whole in the same places, longer or shorter.
  SplitWhiteSpaceFields(String("A-much-longer-well-name 1 2 Z"), &fields, 3);
  EXPECT_EQ((std::vector<std::string>{"A-much-longer-well-name", "1", "2"}),
            Texts(fields));
  SplitWhiteSpaceFields(String(" \t\r\n"), &fields);
  EXPECT_TRUE(fields.empty());
}

// Lines of up to 300 bytes, of field bytes and runs of separators (and
// bytes that look like them), split as a plain reading byte by byte splits
// them, with and without a limit on the fields.
TEST(DataLine, SplitsGeneratedLinesAsByteByByte) {
  const char kBytes[] = {' ', '\t', '\n', '\r', '\v',   '\f',
                         'a', '7',  '.',  '-',  '\xff', '\x80'};
  std::uint64_t state = 1;
  const auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state >> 33);
  };
  Fields fields;
  for (int round = 0; round < 3000; ++round) {
    const std::size_t length = next() % 300;
    // Mostly field bytes, or mostly separators.
    const std::uint32_t spaces = 1 + next() % 10;
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
      text +=
          next() % 11 < spaces ? kBytes[next() % 4] : kBytes[4 + next() % 8];
    const std::size_t max_fields =
        next() % 4 == 0 ? next() % 8 : std::numeric_limits<std::size_t>::max();
    std::vector<std::string> expected;
    std::string field;
    for (const char c : text + ' ') {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        if (!field.empty() && expected.size() < max_fields)
          expected.push_back(field);
        field.clear();
      } else {
        field += c;
      }
    }
    SplitWhiteSpaceFields(String(text.c_str()), &fields, max_fields);
    ASSERT_EQ(expected, Texts(fields)) << "round " << round;
  }
}

TEST(DataLine, TakesALineApartWithTheProgramsOwnParser) {
  DataLine line;
  std::string err;
  ASSERT_TRUE(ParseDataLine(String("w1  -0.0 +12.30  Sand 0.25 x -9 extra\r\n"),
                            3, 0.1, &line, &err))
      << err;
  EXPECT_STREQ("w1", line.well.GetText());
  EXPECT_STREQ("-0.0", line.top_text.GetText());
  EXPECT_STREQ("+12.30", line.bottom_text.GetText());
  EXPECT_TRUE(SameBits(String("-0.0").ToDouble(), line.top));
  EXPECT_TRUE(SameBits(-0.0, line.top));
  EXPECT_TRUE(SameBits(String("+12.30").ToDouble(), line.bottom));
  EXPECT_STREQ("Sand", line.zone.GetText());
  // Values beyond the attribute columns are left out.
  EXPECT_EQ((std::vector<std::string>{"0.25", "x", "-9"}), Texts(line.values));

  // A line parsed into the same DataLine replaces everything.
  ASSERT_TRUE(ParseDataLine(String("W2 1 2 Z 7"), 1, 0.1, &line, &err)) << err;
  EXPECT_STREQ("W2", line.well.GetText());
  EXPECT_EQ((std::vector<std::string>{"7"}), Texts(line.values));
}

TEST(DataLine, RefusesLinesThatCannotBeConvertedFaithfully) {
  const std::string hundreds_of_digits = "0." + std::string(330, '1');
  struct Case {
    std::string line;
    double step;
    std::string expected_err;
  } cases[] = {
      {"W 10 10.2 A", 0.1,
       "expected 5 fields (well, top, bottom, zone and 1 values), found 4"},
      {"", 0.1,
       "expected 5 fields (well, top, bottom, zone and 1 values), found 0"},
      {"W 1,5 10.3 B 2", 0.1, "top depth \"1,5\" is not a decimal number"},
      {"W 10 1e3 B 2", 0.1, "bottom depth \"1e3\" is not a decimal number"},
      {"W . 1 B 2", 0.1, "top depth \".\" is not a decimal number"},
      {"W 1.2.3 4 B 2", 0.1, "top depth \"1.2.3\" is not a decimal number"},
      {"W 10 -x B 2", 0.1, "bottom depth \"-x\" is not a decimal number"},
      {"W 10 " + hundreds_of_digits + " B 2", 0.1,
       "bottom depth \"" + hundreds_of_digits +
           "\" has too many digits to be read"},
      {"W 1" + hundreds_of_digits + " 10 B 2", 0.1,
       "top depth \"1" + hundreds_of_digits +
           "\" has too many digits to be read"},
      {"W 2147483 2147483.7 B 2", 0.1,
       "depths 2147483 to 2147483.7 with lead-in and step lie outside the "
       "handled range of -2147483.647 to 2147483.647 m"},
      {"W -2147482 -2147481 B 2", 0.1,
       "depths -2147482 to -2147481 with lead-in and step lie outside the "
       "handled range of -2147483.647 to 2147483.647 m"},
      // Rows run from the top down: a bottom at or above the top, by the
      // millimetre keys, has none.
      {"W 10.8 10.4 B 2", 0.1,
       "bottom depth 10.4 does not lie below top "
       "depth 10.8"},
      {"W 11 11.0 B 2", 0.1,
       "bottom depth 11.0 does not lie below top depth "
       "11"},
      {"W 11 10.9996 B 2", 0.1,
       "bottom depth 10.9996 does not lie below top "
       "depth 11"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    DataLine line;
    std::string err;
    EXPECT_FALSE(ParseDataLine(String(c.line.c_str()), 1, c.step, &line, &err));
    EXPECT_EQ(c.expected_err, err);
  }
}

TEST(DataLine, AcceptsDepthsAtTheEdgesOfTheRange) {
  // The lead-in and the end row reach 2.01 m above the top, a step and the
  // end row 0.11 m below the bottom.
  for (const char* text : {"W -2147481.63 0 A 1", "W 0 2147483.53 A 1",
                           "W 1 1.001 A 1", "W +.5 7. A 1"}) {
    SCOPED_TRACE(text);
    DataLine line;
    std::string err;
    EXPECT_TRUE(ParseDataLine(String(text), 1, 0.1, &line, &err)) << err;
  }
}

TEST(HeaderLine, NamesTheAttributeColumnsAfterTheFixedFour) {
  TableHeader header;
  std::string err;
  ASSERT_TRUE(ParseHeaderLine(String("WELL\tTOP BOTTOM  ZONE PORO PERM\r\n"),
                              &header, &err));
  EXPECT_EQ((std::vector<std::string>{"PORO", "PERM"}),
            Texts(header.attribute_names));
  EXPECT_EQ(2, header.attribute_count());
  ASSERT_TRUE(ParseHeaderLine(String("W T B Z"), &header, &err));
  EXPECT_EQ(0, header.attribute_count());

  EXPECT_FALSE(ParseHeaderLine(String("WELL TOP BOTTOM\n"), &header, &err));
  EXPECT_EQ(
      "the header line names 3 columns; it needs at least 4 (well, top, "
      "bottom, zone)",
      err);
}

// A curve name that starts a section or a comment, or ends the unit early,
// breaks the LAS file for every reader; a point only gives the curve a unit.
TEST(HeaderLine, RefusesCurveNamesThatBreakTheLasFile) {
  struct Case {
    const char* line;
    const char* err;  // empty: accepted
  };
  const Case kCases[] = {
      {"WELL TOP BOTTOM ZONE ~A POR",
       "column 5 is named \"~A\"; a curve name may not start with ~ or # nor "
       "hold :"},
      {"WELL TOP BOTTOM ZONE POR #C",
       "column 6 is named \"#C\"; a curve name "
       "may not start with ~ or # nor hold :"},
      {"WELL TOP BOTTOM ZONE K:1",
       "column 5 is named \"K:1\"; a curve name "
       "may not start with ~ or # nor hold :"},
      {"WELL TOP BOTTOM ZONE POR:",
       "column 5 is named \"POR:\"; a curve name "
       "may not start with ~ or # nor hold :"},
      // The fixed columns are never written, and # or ~ inside a name is text.
      {"#WELL TOP BOTTOM ZONE PERM.mD P#1 P~2", ""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    TableHeader header;
    std::string err;
    EXPECT_EQ(c.err[0] == '\0', ParseHeaderLine(String(c.line), &header, &err));
    EXPECT_EQ(c.err, err);
  }
  Fields fields;
  for (const char* name : {"W", "T", "B", "Z", ""})
    fields.Add(name, std::strlen(name));
  TableHeader header;
  std::string err;
  EXPECT_FALSE(ParseHeaderFields(&fields, &header, &err));
  EXPECT_EQ("column 5 of the header line has no name", err);
}

}  // namespace
