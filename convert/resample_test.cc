// The row path: rows must reach the file whole and in order however long
// they are.
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

// Rows written by ResampleLine and WriteClosingRow into a real file.
class RowsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(file_.OpenTemporary(false));
    rows_.SetFile(&file_);
  }
  void TearDown() override {
    rows_.SetFile(nullptr);
    file_.Remove();
  }

  void Resample(const std::string& data_line, double step, int attributes) {
    DataLine line;
    std::string err;
    ASSERT_TRUE(
        ParseDataLine(String(data_line.c_str()), attributes, step, &line, &err))
        << err;
    ResampleLine(line, well_, rows_, step, null_row_tail_);
  }

  std::string Finish() {
    WriteClosingRow(well_, rows_);
    rows_.Flush();
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
  BlockWriter rows_;
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
