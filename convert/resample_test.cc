// The row path: depth texts must be "%f"'s to the byte, and rows must reach
// the file whole and in order however long they are.
#include "convert/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "convert/well_state.h"
#include "io/disk_file.h"
#include "text/string.h"

namespace {

std::string Printf(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

std::string Formatted(double value) {
  char text[kMaxDepthText];
  return std::string(text, static_cast<std::size_t>(FormatDepth(value, text)));
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
  for (const double value : kCases)
    EXPECT_EQ(Printf(value), Formatted(value)) << std::hexfloat << value;
  EXPECT_EQ("-0.000000", Formatted(-0.0));
}

TEST(FormatDepth, GivesThePrintfTextForManyValues) {
  std::uint64_t state = 20240611;
  int mismatches = 0;
  auto check = [&mismatches](double value) {
    if (Printf(value) != Formatted(value) && ++mismatches <= 10)
      ADD_FAILURE() << std::hexfloat << value << ": " << Printf(value)
                    << " != " << Formatted(value);
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
    const std::uint64_t odd = (NextRandom(state) % (std::uint64_t{1} << 38)) | 1;
    check(std::ldexp(static_cast<double>(odd), -7));
    // Magnitudes from 2^-30 to 2^60 with full mantissas.
    const double mantissa = static_cast<double>(NextRandom(state) >> 11);
    check(std::ldexp(mantissa, static_cast<int>(NextRandom(state) % 90) - 83));
  }
  // Depths as the resampling reaches them: by repeated addition of a step.
  for (const double step : {0.1, 0.01, 0.3, 0.25, 1e-3, 0.07}) {
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

// Rows written by ResampleLine and WriteClosingRow into a real file.
class RowsFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(file_.OpenTemporary(false)); }
  void TearDown() override { file_.Remove(); }

  void Resample(const std::string& data_line, double step, int attributes) {
    String line(data_line.c_str());
    line.NextToken(kWhiteSpace);
    ResampleLine(line, well_, file_, step, attributes, null_row_tail_);
  }

  std::string Finish() {
    WriteClosingRow(well_, file_);
    const std::string name = file_.GetFullName().GetText();
    EXPECT_TRUE(file_.Close());
    std::string bytes;
    if (std::FILE* in = std::fopen(name.c_str(), "rb")) {
      char chunk[1 << 16];
      std::size_t got;
      while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        bytes.append(chunk, got);
      std::fclose(in);
    }
    return bytes;
  }

  DiskFile file_;
  WellState well_;
  String null_row_tail_{"0   -9999.0  \n"};
};

// Rows at a step of 0.5 m, where every depth is exact, from |from| (included)
// while below |to|.
std::string RowsEvery(double from, double to, const std::string& row_end) {
  std::string rows;
  for (double depth = from; depth < to; depth += 0.5)
    rows += Printf(depth) + row_end;
  return rows;
}

TEST_F(RowsFile, ManyRowsOfOneLineArriveWholeAndInOrder) {
  // 6,000 rows of about 30 bytes: several batches' worth, and a gap between
  // the lines.
  Resample("W 0 2000 Sand 0.25", 0.5, 1);
  Resample("W 2100 3000 Shale 0.05", 0.5, 1);
  const std::string expected =
      RowsEvery(-2.0, 0.0, "    0   0   -9999.0  \n") +
      "-0.010000    0   0   -9999.0  \n" +
      RowsEvery(0.0, 2000.0, "   Sand   1      0.25\n") +
      "1999.990000   Sand   1      0.25\n" +
      "2000.000000   Sand   1      0.25\n" +
      RowsEvery(2000.5, 2100.0, "   Sand   0   -9999.0  \n") +
      "2099.990000   Sand   0   -9999.0  \n" +
      RowsEvery(2100.0, 3000.0, "   Shale   1      0.05\n") +
      "2999.990000   Shale   1      0.05\n" +
      "3000.000000   Shale   1      0.05\n";
  EXPECT_EQ(expected, Finish());
}

TEST_F(RowsFile, RowsLongerThanTheirBuffersArriveWhole) {
  // Row ends of 5,000 bytes (written piece by piece) and of 100,000 bytes
  // (longer than a whole batch), with short rows before and after.
  const std::string long_value(5000, 'v');
  const std::string longer_value(100000, 'w');
  Resample("W 0 2 A 1", 0.5, 1);
  Resample("W 2 4 B " + long_value, 0.5, 1);
  Resample("W 4 5 C " + longer_value, 0.5, 1);
  Resample("W 5 6 D 2", 0.5, 1);
  const std::string expected =
      RowsEvery(-2.0, 0.0, "    0   0   -9999.0  \n") +
      "-0.010000    0   0   -9999.0  \n" +
      RowsEvery(0.0, 2.0, "   A   1      1\n") + "1.990000   A   1      1\n" +
      RowsEvery(2.0, 4.0, "   B   1      " + long_value + "\n") +
      "3.990000   B   1      " + long_value + "\n" +
      RowsEvery(4.0, 5.0, "   C   1      " + longer_value + "\n") +
      "4.990000   C   1      " + longer_value + "\n" +
      RowsEvery(5.0, 6.0, "   D   1      2\n") + "5.990000   D   1      2\n" +
      "6.000000   D   1      2\n";
  EXPECT_EQ(expected, Finish());
}

}  // namespace
