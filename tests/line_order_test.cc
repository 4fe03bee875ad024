// Tables whose lines come in any order: a well's lines anywhere in the table
// and in any depth order give the files of the table sorted by well (first
// appearance) and top, byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/scratch.h"

using ::testing::ElementsAre;

namespace {

// Converts |table| at |step|, with |option| when it is not empty; through a
// FIFO when |through_fifo|.
Conversion Convert(const std::string& table, const std::string& step,
                   bool through_fifo = false, const std::string& option = "") {
  std::vector<std::string> args = {through_fifo ? "pipe" : "zones.txt", step};
  if (!option.empty()) args.insert(args.begin(), option);
  return ConvertTable(
      "zones.txt", table, args, {},
      through_fifo ? "mkfifo pipe && { cat zones.txt > pipe & }" : "");
}

const char kHeader[] = "HOLE FROM TO LITH AU\n";

// Drillholes as a mining extract gives them, sorted: gaps, a thin interval,
// contiguous runs.
const std::vector<std::string> kSortedLines = {
    "DH-001 0 2.5 OVB 0.01\n", "DH-001 2.5 7 SAP 0.12\n",
    "DH-001 7 7.004 QV 9.5\n", "DH-001 9 15.25 FR 0.3\n",
    "DH-002 57 61 SAP 0.2\n",  "DH-002 61 64.5 FR 1.7\n",
    "DH-002 70 71 FR 0.9\n",   "DH-003 -1.5 3 OVB 0\n",
    "DH-003 3 3.4 SAP 0.05\n", "DH-003 3.4 12.1 FR 2.25\n",
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string table = kHeader;
  for (const std::string& line : lines) table += line;
  return table;
}

TEST(LineOrder, AnyOrderGivesTheFilesOfTheSortedTable) {
  const Conversion sorted = Convert(Joined(kSortedLines), "0.5");
  ASSERT_EQ(0, sorted.result.status) << sorted.result.err;
  ASSERT_THAT(sorted.names,
              ElementsAre("DH-001.las", "DH-002.las", "DH-003.las"));
  // Each hole's lines reversed, the holes in the table's order.
  std::vector<std::string> reversed;
  for (const char* hole : {"DH-001", "DH-002", "DH-003"}) {
    std::vector<std::string> lines;
    for (const std::string& line : kSortedLines)
      if (line.compare(0, 6, hole) == 0) lines.push_back(line);
    reversed.insert(reversed.end(), lines.rbegin(), lines.rend());
  }
  // The whole table backwards: holes out of order, lines upward.
  const std::vector<std::string> backwards(kSortedLines.rbegin(),
                                           kSortedLines.rend());
  std::vector<std::vector<std::string>> orders = {reversed, backwards};
  std::mt19937 random(20261210);
  for (int i = 0; i < 4; ++i) {
    std::vector<std::string> shuffled = kSortedLines;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    orders.push_back(shuffled);
  }
  for (const std::vector<std::string>& order : orders) {
    const std::string table = Joined(order);
    SCOPED_TRACE(table);
    const Conversion run = Convert(table, "0.5");
    EXPECT_EQ(0, run.result.status);
    // The thin interval's note names the line where it stands.
    const long thin_line =
        std::find(order.begin(), order.end(), "DH-001 7 7.004 QV 9.5\n") -
        order.begin() + 2;
    EXPECT_EQ("zone2las: zones.txt:" + std::to_string(thin_line) +
                  ": note: the interval 7 to 7.004 is too thin to carry a row "
                  "of its own\n",
              run.result.err);
    EXPECT_EQ(sorted.names, run.names);
    EXPECT_EQ(sorted.files, run.files);
  }
  // Standard files too: the same rows, ranges and codes, which follow the
  // wells' first appearance and then each well's lines by top.
  const Conversion standard_sorted =
      Convert(Joined(kSortedLines), "0.5", false, "--standard");
  const Conversion standard_reversed =
      Convert(Joined(reversed), "0.5", false, "--standard");
  EXPECT_EQ(0, standard_reversed.result.status) << standard_reversed.result.err;
  EXPECT_EQ(standard_sorted.names, standard_reversed.names);
  EXPECT_EQ(standard_sorted.files, standard_reversed.files);
  if (ProgramIsWindows()) return;  // a FIFO is a POSIX file
  // A table that cannot be read twice: its copy goes with the run.
  const Conversion piped = Convert(Joined(backwards), "0.5", true);
  EXPECT_EQ(0, piped.result.status) << piped.result.err;
  EXPECT_EQ(sorted.names, piped.names);
  EXPECT_EQ(sorted.files, piped.files);
}

// The lines of |err|, sorted.
std::vector<std::string> SortedLines(const std::string& err) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = err.find('\n', start)) != std::string::npos;
       start = end + 1)
    lines.push_back(err.substr(start, end - start));
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Three wells taking turns for 300,000 lines wait, as text, for more than the
// memory that waiting lines may take: their files are written several times
// over the run, and still equal those of the grouped table. One well, whose
// lines waited, then goes upward (its last line fills a gap) and is taken
// again from the table: its thin interval, among the lines that waited when
// it went upward, is noted once.
TEST(LineOrder, WellsTakingTurnsPastTheMemoryForWaitingLines) {
  const auto depth = [](int tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  };
  const auto line = [&](const char* well, int i) {
    return std::string(well) + " " + depth(i) + " " + depth(i + 1) + " Z" +
           std::to_string(i % 7) + " " + std::to_string(i % 13) + "\n";
  };
  const int kLines = 100000;
  const int kThin = kLines - 10;
  std::string turns = kHeader;
  std::vector<std::string> by_well(3);
  const char* const wells[] = {"A", "B", "C"};
  for (int i = 0; i < kLines; ++i) {
    for (int w = 0; w < 3; ++w) {
      std::string text = line(wells[w], i);
      if (w == 0 && i == 50) continue;  // the gap that A's last line fills
      if (w == 0 && i == kThin) text = "A " + depth(i) + " 9999.004 T 1\n";
      turns += text;
      by_well[w] += text;
      if (w == 0 && i == 49) by_well[w] += line("A", 50);
    }
  }
  turns += line("A", 50);
  const std::string grouped = kHeader + by_well[0] + by_well[1] + by_well[2];
  const Conversion sorted = Convert(grouped, "0.1");
  ASSERT_EQ(0, sorted.result.status) << sorted.result.err;
  ASSERT_THAT(sorted.names, ElementsAre("A.las", "B.las", "C.las"));
  const Conversion run = Convert(turns, "0.1");
  EXPECT_EQ(0, run.result.status) << run.result.err;
  EXPECT_EQ(sorted.names, run.names);
  EXPECT_TRUE(sorted.files == run.files);
  // The same notes, for the lines where each stands in its own table.
  const auto thin_note = [](long number) {
    return "zone2las: zones.txt:" + std::to_string(number) +
           ": note: the interval 9999.0 to 9999.004 is too thin to carry a "
           "row of its own";
  };
  EXPECT_THAT(SortedLines(sorted.result.err),
              ElementsAre(thin_note(2 + kThin)));
  // A's line 50 stands last.
  EXPECT_THAT(SortedLines(run.result.err),
              ElementsAre(thin_note(2 + 3 * kThin - 1)));
}

// Lines that overlap once sorted are refused, the later in depth order, at
// the end of the run and with the line above it; equal tops keep their
// order in the table; the file keeps the spelling of the well's first line.
TEST(LineOrder, OverlapsAreFoundInDepthOrder) {
  const Conversion run = Convert(
      "WELL TOP BOTTOM ZONE V\n"
      "w1 20 21 C 3\n"
      "W1 10 12 A 1\n"
      "W1 x 2 Q 0\n"
      "W1 11.5 13 B 2\n"
      "W1 10 10.5 D 4\n",
      "0.5");
  EXPECT_EQ(1, run.result.status);
  EXPECT_EQ(
      "zone2las: zones.txt:4: top depth \"x\" is not a decimal number "
      "(column 2, \"TOP\"); choose the columns with --top-column and "
      "--bottom-column, or give a one-well table's name with --well\n"
      "zone2las: zones.txt:6: top depth 10 lies above the bottom depth 12 of "
      "the previous line of well \"W1\" (line 3)\n"
      "zone2las: zones.txt:5: top depth 11.5 lies above the bottom depth 12 "
      "of the previous line of well \"W1\" (line 3)\n",
      run.result.err);
  const Conversion sorted =
      Convert("WELL TOP BOTTOM ZONE V\nw1 10 12 A 1\nw1 20 21 C 3\n", "0.5");
  EXPECT_THAT(run.names, ElementsAre("w1.las"));
  EXPECT_EQ(sorted.files, run.files);
}

}  // namespace
