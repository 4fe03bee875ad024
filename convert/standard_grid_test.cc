#include "convert/standard_grid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "io/block_writer.h"
#include "io/disk_file.h"
#include "tests/scratch.h"

namespace {

TEST(StandardGrid, StepsOfSixDecimalsAtMost) {
  const struct {
    double step;
    bool taken;
    long long millionths;
  } kCases[] = {
      {0.1, true, 100000},   {0.1524, true, 152400}, {1e-1, true, 100000},
      {0.001, true, 1000},   {0.000001, true, 1},    {2.5, true, 2500000},
      {0.1234567, false, 0}, {0.15240001, false, 0}, {0.0000005, false, 0},
  };
  for (const auto& c : kCases) {
    long long millionths = 0;
    EXPECT_EQ(c.taken, StepMillionths(c.step, &millionths)) << c.step;
    if (c.taken) {
      EXPECT_EQ(c.millionths, millionths) << c.step;
    }
  }
}

// Keys are whole millimetres rounded up, taken from the digits.
TEST(StandardGrid, TextDepthKeys) {
  const struct {
    const char* text;
    int key;
  } kCases[] = {
      {"0.3", 300},       {"2.937", 2937},  {"2.9371", 2938}, {"100", 100000},
      {".5", 500},        {"+1.25", 1250},  {"-0.3", -300},   {"-0.3009", -300},
      {"-2.0001", -2000}, {"7.0000", 7000},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.key, TextDepthKey(c.text)) << c.text;
}

TEST(StandardGrid, RowsOfIntervalsAndWells) {
  const struct {
    const char* what;
    int top, bottom;  // keys
    long long step;
    long long first, last;            // RowsWithin
    long long well_first, well_last;  // RowsCovering
  } kCases[] = {
      {"a top on the grid", 300, 800, 100000, 3, 7, 3, 8},
      {"off the grid", 250, 760, 100000, 3, 7, 2, 8},
      {"thinner than the step", 50320, 50350, 100000, 504, 503, 503, 504},
      {"0.1524 m", 300, 1300, 152400, 2, 8, 1, 9},
      // Row 1 of 0.1524 is at 152.4 mm, whose key is 153.
      {"a key rounded up", 153, 154, 152400, 1, 1, 1, 2},
      {"above the surface", -500, 300, 250000, -2, 1, -2, 2},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const GridRows inside = RowsWithin(c.top, c.bottom, c.step);
    EXPECT_EQ(c.first, inside.first);
    EXPECT_EQ(c.last, inside.last);
    const GridRows well = RowsCovering(c.top, c.bottom, c.step);
    EXPECT_EQ(c.well_first, well.first);
    EXPECT_EQ(c.well_last, well.last);
  }
}

TEST(StandardGrid, DepthTexts) {
  EXPECT_EQ("0.000000", MillionthsText(0));
  EXPECT_EQ("0.152400", MillionthsText(152400));
  EXPECT_EQ("-0.500000", MillionthsText(-500000));
  EXPECT_EQ("2147483.647000", MillionthsText(2147483647000));
  EXPECT_EQ("-2147483.648000", MillionthsText(-2147483648000));
}

// Rows written through the block writer, across zero and whole units, read
// as FormatMillionths writes each depth: steps whose units' rows are copied
// from the unit before (0.1, 0.25, 1, 0.001 ...) and steps whose are not,
// across the depths where the whole units take one digit more, with row
// ends of several lengths.
TEST(StandardGrid, RowsAsText) {
  struct Case {
    std::int64_t step;
    std::int64_t first;  // in millionths, a multiple of the step
    std::int64_t last;
  } cases[] = {
      {152400, -3 * 152400, 8 * 152400},
      {100000, -2000000, 12500000},
      {250000, 95000000, 105250000},
      {500000, 990000000, 1010500000},
      {1000000, 7000000, 12000000},
      {10000, 9990000000, 10002500000},
      {1000, 99998000000, 100000500000},
      {200000, 300000, 20100000},
      {300000, 0, 21000000},
  };
  for (const Case& c : cases) {
    for (const std::string& row_end :
         {std::string(" x\n"), std::string("   7   1   0.25   -9999.0\n"),
          std::string(100, 'w') + "\n"}) {
      SCOPED_TRACE("step " + std::to_string(c.step) + ", row end of " +
                   std::to_string(row_end.size()) + " bytes");
      ScratchDir dir;
      DiskFile file;
      file.SetName((dir / "rows.txt").string().c_str());
      ASSERT_TRUE(file.OpenWrite(false));
      BlockWriter out;
      out.SetFile(&file);
      GridRows rows;
      rows.first = c.first / c.step;
      rows.last = c.last / c.step;
      WriteGridRows(rows, c.step, row_end, out);
      out.Flush();
      ASSERT_TRUE(file.Close());
      std::string expected;
      for (std::int64_t k = rows.first; k <= rows.last; ++k)
        expected += MillionthsText(k * c.step) + row_end;
      // Compared whole, but not printed whole when they differ.
      const std::string written = dir.Read("rows.txt");
      EXPECT_EQ(expected.size(), written.size());
      EXPECT_TRUE(expected == written);
    }
  }
}

}  // namespace
