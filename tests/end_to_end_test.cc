// The built program on real files: command line, messages, exit statuses and
// every byte of the LAS files it writes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/scratch.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

// The data section of a LAS file: everything after "~Ascii\n".
std::string Rows(const std::string& las) {
  const std::string marker = "~Ascii\n";
  const std::size_t at = las.find(marker);
  return at == std::string::npos ? "<no ~Ascii>"
                                 : las.substr(at + marker.size());
}

// The line of |las| that starts with |mnemonic|, without its line feed.
std::string HeaderLine(const std::string& las, const std::string& mnemonic) {
  const std::size_t at = las.find("\n" + mnemonic);
  if (at == std::string::npos) return "<no " + mnemonic + ">";
  return las.substr(at + 1, las.find('\n', at + 1) - at - 1);
}

const char kWorkedTable[] =
    "WELL TOP BOTTOM ZONE POR PERM\r\n"
    "W1 100 100.5 A 0.21 150\r\n"
    "W1 100.5 101 B 0.18 90\r\n"
    "W1 101.3 101.6 C 0.25 300\r\n"
    "\r\n"
    "W2 50 50.3 X 0.1 10\r\n";

TEST(EndToEnd, WorkedExampleGivesExactFiles) {
  for (const bool crlf : {true, false}) {
    SCOPED_TRACE(crlf ? "CRLF table" : "LF table");
    ScratchDir dir;
    dir.Write("zones.txt",
              crlf ? kWorkedTable : WithoutCarriageReturns(kWorkedTable));
    const ProgramResult result = RunProgram(dir, {"zones.txt"});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("", result.out);
    EXPECT_EQ("", result.err);
    EXPECT_EQ(ReadTestData("worked_example/W1.las"), dir.Read("W1.las"));
    EXPECT_EQ(ReadTestData("worked_example/W2.las"), dir.Read("W2.las"));
    EXPECT_THAT(dir.List(), ElementsAre("W1.las", "W2.las", "zones.txt"));
  }
}

// Windows does not rename onto an existing name the way POSIX does; the
// earlier file, longer than the new one, must still give way whole.
TEST(EndToEnd, ExistingFileIsReplaced) {
  ScratchDir dir;
  dir.Write("zones.txt", kWorkedTable);
  dir.Write("W1.las", std::string(100000, 'x'));
  const ProgramResult result = RunProgram(dir, {"zones.txt"});
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ(ReadTestData("worked_example/W1.las"), dir.Read("W1.las"));
  EXPECT_THAT(dir.List(), ElementsAre("W1.las", "W2.las", "zones.txt"));
}

TEST(EndToEnd, MissingPathPrintsUsageAndFails) {
  ScratchDir dir;
  const ProgramResult result = RunProgram(dir, {});
  EXPECT_EQ(2, result.status);
  EXPECT_THAT(
      result.out,
      ::testing::StartsWith("Mandatory argumument not specified!\nExample: "));
  // The example names the program by the path it was started with, which
  // for a Windows program ends in ".exe".
  const std::string program = ProgramIsWindows() ? "zone2las.exe" : "zone2las";
  EXPECT_THAT(result.out,
              ::testing::EndsWith(program + " <gisfilename> [step=0.1]"));
  EXPECT_THAT(dir.List(), ElementsAre());
}

TEST(EndToEnd, HelpAndVersion) {
  ScratchDir dir;
  for (const char* flag : {"--help", "-h"}) {
    const ProgramResult help = RunProgram(dir, {flag});
    EXPECT_EQ(0, help.status) << flag;
    EXPECT_THAT(help.out, ::testing::StartsWith("Usage: ")) << flag;
    EXPECT_THAT(help.out, HasSubstr("<gisfilename> [step=0.1]\n")) << flag;
    EXPECT_THAT(help.out, HasSubstr("an optional number, 0.1 when left out"))
        << flag;
    EXPECT_THAT(help.out, HasSubstr("Exit status")) << flag;
  }
  const ProgramResult version = RunProgram(dir, {"--version"});
  EXPECT_EQ(0, version.status);
  EXPECT_THAT(version.out, ::testing::MatchesRegex("zone2las [0-9.]+\n"));
  EXPECT_THAT(dir.List(), ElementsAre());
}

// A step must be a whole number text of at least 0.001 m: depths are
// compared in whole millimetres, so a finer step cannot place its rows, and
// a typo such as 1e-9 would fill the disk.
TEST(EndToEnd, RefusesStepsThatAreNotNumbersOfAMillimetreOrMore) {
  const std::string not_positive = "is not a finite number greater than 0";
  const std::string too_fine =
      "is below 0.001 m; depths are compared in whole millimetres";
  const struct {
    const char* step;
    const std::string& reason;
  } cases[] = {
      {"0", not_positive},    {"-1", not_positive}, {"abc", not_positive},
      {"0.1m", not_positive}, {"", not_positive},   {"inf", not_positive},
      {"nan", not_positive},  {" ", not_positive},  {"0.0009", too_fine},
      {"1e-9", too_fine},     {"5e-324", too_fine}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("step \"") + c.step + "\"");
    ScratchDir dir;
    dir.Write("zones.txt", kWorkedTable);
    const ProgramResult result = RunProgram(dir, {"zones.txt", c.step});
    EXPECT_EQ(2, result.status);
    EXPECT_THAT(result.err, ::testing::StartsWith(
                                std::string("zone2las: step \"") + c.step +
                                "\" " + c.reason + "\nExample: "));
    EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
  }
}

// The finest step places a row every millimetre.
TEST(EndToEnd, AMillimetreStepPlacesEveryRow) {
  ScratchDir dir;
  dir.Write("zones.txt", "W T B Z\nW 1 1.012 A\n");
  const ProgramResult result = RunProgram(dir, {"zones.txt", "0.001"});
  EXPECT_EQ(0, result.status) << result.err;
  const std::string rows = Rows(dir.Read("W.las"));
  EXPECT_EQ(
      "0.989000    0   0   \n0.990000    0   0   \n"
      "1.000000   A   1   \n1.001000   A   1   \n"
      "1.002000   A   1   \n1.003000   A   1   \n",
      rows.substr(rows.size() < 122 ? 0 : rows.size() - 122));
}

// A step whose lead-in reaches past the handled depths refuses each line,
// however large it is: nothing in the run may overflow on it.
TEST(EndToEnd, AStepTooCoarseForAnyDepthRefusesEachLine) {
  for (const char* step : {"5000000", "1e17", "4e300"}) {
    SCOPED_TRACE(step);
    ScratchDir dir;
    dir.Write("zones.txt", "W T B Z\nW1 10 10.2 A\nW1 5010 5011 B\n");
    const ProgramResult result = RunProgram(dir, {"zones.txt", step});
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(
        "zone2las: zones.txt:2: depths 10 to 10.2 with lead-in and step lie "
        "outside the handled range of -2147483.647 to 2147483.647 m\n"
        "zone2las: zones.txt:3: depths 5010 to 5011 with lead-in and step "
        "lie outside the handled range of -2147483.647 to 2147483.647 m\n",
        result.err);
    EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
  }
}

TEST(EndToEnd, AcceptsStepsInEveryDecimalForm) {
  for (const char* step : {".1", "1e-1", "0.10"}) {
    SCOPED_TRACE(step);
    ScratchDir dir;
    dir.Write("zones.txt", kWorkedTable);
    const ProgramResult result = RunProgram(dir, {"zones.txt", step});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ(ReadTestData("worked_example/W1.las"), dir.Read("W1.las"));
  }
}

TEST(EndToEnd, ThirdArgumentIsIgnored) {
  ScratchDir dir;
  dir.Write("zones.txt", kWorkedTable);
  const ProgramResult result = RunProgram(dir, {"zones.txt", "0.1", "extra"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ(ReadTestData("worked_example/W2.las"), dir.Read("W2.las"));
}

TEST(EndToEnd, InputThatCannotBeReadFails) {
  struct Case {
    std::string name;
    const char* expected_err;  // null: checked by its reason only
  } cases[] = {
      {"missing.txt",
       "zone2las: missing.txt: cannot open: No such file or directory\n"},
      // Windows refuses to open a directory as a file at all.
      {"folder", ProgramIsWindows()
                     ? "zone2las: folder: cannot open: Permission denied\n"
                     : "zone2las: folder: cannot read: Is a directory\n"},
      {"  ", "zone2las: the zone table's name is blank\n"},
      // Longer than any full path the system allows.
      {std::string(5000, 'n'), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    std::filesystem::create_directory(dir / "folder");
    const ProgramResult result = RunProgram(dir, {c.name});
    EXPECT_EQ(1, result.status);
    if (c.expected_err != nullptr)
      EXPECT_EQ(c.expected_err, result.err);
    else
      EXPECT_THAT(result.err, HasSubstr("cannot resolve the name"));
    EXPECT_THAT(dir.List(), ElementsAre("folder"));
  }
}

TEST(EndToEnd, TablesWithoutDataWriteNothing) {
  struct Case {
    const char* table;
    int status;
    const char* expected_err;
  } cases[] = {
      {"", 1,
       "zone2las: zones.txt: no header line: the file is empty or blank\n"},
      {"\r\n \t\n\n", 1,
       "zone2las: zones.txt: no header line: the file is empty or blank\n"},
      {"\nWELL TOP BOTTOM\nW1 1 2\n", 1,
       "zone2las: zones.txt:2: the header line names 3 columns; it needs at "
       "least 4 (well, top, bottom, zone)\n"},
      {"WELL TOP BOTTOM ZONE\n\n", 0,
       "zone2las: zones.txt: no data lines; no file written\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.table);
    ScratchDir dir;
    dir.Write("zones.txt", c.table);
    const ProgramResult result = RunProgram(dir, {"zones.txt"});
    EXPECT_EQ(c.status, result.status);
    EXPECT_EQ(c.expected_err, result.err);
    EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
  }
}

TEST(EndToEnd, WellNamesDifferingInCaseAreOneWell) {
  ScratchDir dir;
  dir.Write("zones.txt", WithoutCarriageReturns(kWorkedTable));
  std::string mixed = WithoutCarriageReturns(kWorkedTable);
  mixed.replace(mixed.find("W1 100.5"), 2, "w1");
  ScratchDir mixed_dir;
  mixed_dir.Write("zones.txt", mixed);
  EXPECT_EQ(0, RunProgram(mixed_dir, {"zones.txt"}).status);
  EXPECT_EQ(ReadTestData("worked_example/W1.las"), mixed_dir.Read("W1.las"));
  EXPECT_THAT(mixed_dir.List(), ElementsAre("W1.las", "W2.las", "zones.txt"));
}

TEST(EndToEnd, WellNameWithSubdirectoryPlacesFileThere) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "sub");
  dir.Write("zones.txt", "W T B Z\nsub/W1 10 10.1 A\n");
  const ProgramResult result = RunProgram(dir, {"zones.txt"});
  EXPECT_EQ(0, result.status) << result.err;
  const std::string las = dir.Read("sub/W1.las");
  // The WELL line keeps the well's name as the table writes it.
  EXPECT_EQ("WELL.               sub/W1 :", HeaderLine(las, "WELL."));
  EXPECT_THAT(dir.List(), ElementsAre("sub", "zones.txt"));
}

TEST(EndToEnd, WellsThatCannotBeWrittenAreSkippedAndReported) {
  ScratchDir dir;
  dir.Write("zones.txt",
            "W T B Z\n"
            "../up 10 10.1 A\n"
            "../up 10.1 10.2 A\n"
            "/tmp/abs 10 10.1 A\n"
            "sub/../../x 10 10.1 A\n"
            "nosuch/W 10 10.1 A\n"
            "GOOD 10 10.1 A\n");
  const ProgramResult result = RunProgram(dir, {"zones.txt"});
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(
      "zone2las: zones.txt:2: well \"../up\" would place its file outside the "
      "working directory; its lines are skipped\n"
      "zone2las: zones.txt:4: well \"/tmp/abs\" would place its file outside "
      "the working directory; its lines are skipped\n"
      "zone2las: zones.txt:5: well \"sub/../../x\" would place its file "
      "outside the working directory; its lines are skipped\n"
      "zone2las: zones.txt:6: cannot create nosuch/W.las: No such file or "
      "directory (the well's name places its file in the folder "
      "\"nosuch\"; --flat-names keeps the whole name in the file's name: "
      "nosuch_W.las)\n",
      result.err);
  EXPECT_THAT(dir.List(), ElementsAre("GOOD.las", "zones.txt"));
}

TEST(EndToEnd, LongLinesAreReadWhole) {
  const std::string value(3000, 'v');
  ScratchDir dir;
  dir.Write("zones.txt", "W T B Z LONG\nW1 10 10.1 A " + value + "\n");
  const ProgramResult result = RunProgram(dir, {"zones.txt"});
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_THAT(dir.List(), ElementsAre("W1.las", "zones.txt"));
  EXPECT_THAT(Rows(dir.Read("W1.las")),
              HasSubstr("10.000000   A   1      " + value + "\n"));
}

// The lead-in of a well whose first top is 10.0 at step 0.1: rows from 8.0 to
// 9.9 and the lead-in end row at 9.99, with one attribute column.
std::string LeadInTo10() {
  std::string rows;
  char row[64];
  for (int tenths = 80; tenths < 100; ++tenths) {
    std::snprintf(row, sizeof row, "%d.%d00000    0   0   -9999.0  \n",
                  tenths / 10, tenths % 10);
    rows += row;
  }
  return rows + "9.990000    0   0   -9999.0  \n";
}

// Two contiguous intervals from 10.0 to 10.2 and 10.2 to 10.3.
std::string ContiguousRows() {
  return LeadInTo10() +
         "10.000000   A   1      1\n"
         "10.100000   A   1      1\n"
         "10.190000   A   1      1\n"
         "10.200000   B   1      2\n"
         "10.290000   B   1      2\n"
         "10.300000   B   1      2\n";
}

// Rows from |from| to |to| millimetres (both included) every |step|
// millimetres, each followed by |row_end|.
std::string Rows(long from, long to, long step, const std::string& row_end) {
  std::string rows;
  char depth[32];
  for (long at = from; at <= to; at += step) {
    std::snprintf(depth, sizeof depth, "%ld.%03ld000", at / 1000, at % 1000);
    rows += depth + row_end;
  }
  return rows;
}

struct ResampleCase {
  const char* name;
  const char* step;
  std::string lines;  // data lines after the header "W T B Z V"
  std::string rows;   // the whole data section of W.las
  const char* strt;
  const char* stop;
  std::string err = "";  // notes on standard error
};

void PrintTo(const ResampleCase& c, std::ostream* os) { *os << c.name; }

class Resampling : public ::testing::TestWithParam<ResampleCase> {};

TEST_P(Resampling, WritesExpectedRows) {
  const ResampleCase& c = GetParam();
  ScratchDir dir;
  dir.Write("zones.txt", "W T B Z V\n" + c.lines);
  const ProgramResult result = RunProgram(dir, {"zones.txt", c.step});
  ASSERT_EQ(0, result.status) << result.err;
  EXPECT_EQ(c.err, result.err);
  const std::string las = dir.Read("W.las");
  EXPECT_EQ(c.rows, Rows(las));
  EXPECT_EQ(std::string("STRT.M") + c.strt + " :", HeaderLine(las, "STRT."));
  EXPECT_EQ(std::string("STOP.M") + c.stop + " :", HeaderLine(las, "STOP."));
}

INSTANTIATE_TEST_SUITE_P(
    EndToEnd, Resampling,
    ::testing::Values(
        ResampleCase{"Contiguous", "0.1", "W 10 10.2 A 1\nW 10.2 10.3 B 2\n",
                     ContiguousRows(), "            8.000000",
                     "           10.300000"},
        ResampleCase{"LastLineWithoutLineFeed", "0.1",
                     "W 10 10.2 A 1\nW 10.2 10.3 B 2", ContiguousRows(),
                     "            8.000000", "           10.300000"},
        ResampleCase{"GapNarrowerThanStep", "0.1",
                     "W 10 10.2 A 1\nW 10.25 10.3 B 2\n",
                     LeadInTo10() + "10.000000   A   1      1\n"
                                    "10.100000   A   1      1\n"
                                    "10.190000   A   1      1\n"
                                    "10.200000   A   1      1\n"
                                    "10.240000   A   0   -9999.0  \n"
                                    "10.250000   B   1      2\n"
                                    "10.290000   B   1      2\n"
                                    "10.300000   B   1      2\n",
                     "            8.000000", "           10.300000"},
        // The interval end row stays above the bottom, and the bottom row
        // below it.
        ResampleCase{"BottomOffTheGrid", "0.1",
                     "W 10 10.95 A 1\nW 11.2 11.3 B 2\n",
                     LeadInTo10() +
                         Rows(10000, 10900, 100, "   A   1      1\n") +
                         "10.940000   A   1      1\n"
                                    "10.950000   A   1      1\n"
                                    "11.050000   A   0   -9999.0  \n"
                                    "11.150000   A   0   -9999.0  \n"
                                    "11.190000   A   0   -9999.0  \n"
                                    "11.200000   B   1      2\n"
                                    "11.290000   B   1      2\n"
                                    "11.300000   B   1      2\n",
                     "            8.000000", "           11.300000"},
        // No row of its own and so no end row: the closing row at the top.
        ResampleCase{"ThinnerThanOneCentimetre", "0.1", "W 10 10.005 A 1\n",
                     LeadInTo10() + "10.000000   A   1      1\n",
                     "            8.000000", "           10.000000",
                     "zone2las: zones.txt:2: note: the interval 10 to 10.005 "
                     "is too thin to carry a row of its own\n"},
        // The end row of an interval whose thickness is no whole number of
        // steps stands 0.01 m above its bottom, not below it, so the next
        // interval's top row is not repeated.
        ResampleCase{"EndRowAboveAnOffGridBottom", "0.1",
                     "W 10 10.59 A 1\nW 10.59 10.8 B 2\n",
                     LeadInTo10() +
                         Rows(10000, 10500, 100, "   A   1      1\n") +
                         "10.580000   A   1      1\n"
                                    "10.590000   B   1      2\n"
                                    "10.690000   B   1      2\n"
                                    "10.790000   B   1      2\n"
                                    "10.800000   B   1      2\n",
                     "            8.000000", "           10.800000"},
        // The last row and STOP stand at the bottom, not a step past it.
        ResampleCase{"StepLongerThanTheInterval", "0.5", "W 2 2.1 B 1\n",
                     "0.000000    0   0   -9999.0  \n"
                     "0.500000    0   0   -9999.0  \n"
                     "1.000000    0   0   -9999.0  \n"
                     "1.500000    0   0   -9999.0  \n"
                     "1.990000    0   0   -9999.0  \n"
                     "2.000000   B   1      1\n"
                     "2.090000   B   1      1\n"
                     "2.100000   B   1      1\n",
                     "            0.000000", "            2.100000"},
        // 2086.885 * 1000 rounds up to a key of 2086886, so one more lead-in
        // row passes the key test; it must still stop before the lead-in end
        // row.
        ResampleCase{"LeadInStopsAboveItsEndRow", "0.1",
                     "W 2086.885 2087.1 Z 1\n",
                     Rows(2084885, 2086785, 100, "    0   0   -9999.0  \n") +
                         "2086.875000    0   0   -9999.0  \n"
                         "2086.885000   Z   1      1\n"
                         "2086.985000   Z   1      1\n"
                         "2087.085000   Z   1      1\n"
                         "2087.090000   Z   1      1\n"
                         "2087.100000   Z   1      1\n",
                     "         2084.885000", "         2087.100000"},
        // At a step of 0.01 m an interval end row would repeat the last
        // interval row: it is left out.
        ResampleCase{"CentimetreStep", "0.01",
                     "W 9.98 10.02 A 1\nW 10.02 10.04 B 2\n",
                     Rows(7980, 9960, 10, "    0   0   -9999.0  \n") +
                         "9.970000    0   0   -9999.0  \n"
                         "9.980000   A   1      1\n"
                         "9.990000   A   1      1\n"
                         "10.000000   A   1      1\n"
                         "10.010000   A   1      1\n"
                         "10.020000   B   1      2\n"
                         "10.030000   B   1      2\n"
                         "10.040000   B   1      2\n",
                     "            7.980000", "           10.040000"},
        ResampleCase{"StepThatDoesNotDivideTheLeadIn", "0.3", "W 10 10.6 A 1\n",
                     "8.000000    0   0   -9999.0  \n"
                     "8.300000    0   0   -9999.0  \n"
                     "8.600000    0   0   -9999.0  \n"
                     "8.900000    0   0   -9999.0  \n"
                     "9.200000    0   0   -9999.0  \n"
                     "9.500000    0   0   -9999.0  \n"
                     "9.800000    0   0   -9999.0  \n"
                     "9.990000    0   0   -9999.0  \n"
                     "10.000000   A   1      1\n"
                     "10.300000   A   1      1\n"
                     "10.590000   A   1      1\n"
                     "10.600000   A   1      1\n",
                     "            8.000000", "           10.600000"},
        ResampleCase{"TopAtZero", "0.5", "W 0 1 A 1\n",
                     "-2.000000    0   0   -9999.0  \n"
                     "-1.500000    0   0   -9999.0  \n"
                     "-1.000000    0   0   -9999.0  \n"
                     "-0.500000    0   0   -9999.0  \n"
                     "-0.010000    0   0   -9999.0  \n"
                     "0.000000   A   1      1\n"
                     "0.500000   A   1      1\n"
                     "0.990000   A   1      1\n"
                     "1.000000   A   1      1\n",
                     "           -2.000000", "            1.000000"}),
    [](const ::testing::TestParamInfo<ResampleCase>& info) {
      return std::string(info.param.name);
    });

// A table with faulty lines must give the files of the same table without
// them, report each one and end with status 1. The faulty lines stand from
// line 3 on, between lines of two wells.
struct RefusedCase {
  const char* name;
  std::string bad_lines;
  std::string expected_err;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

class RefusedLines : public ::testing::TestWithParam<RefusedCase> {};

const char kHeader[] = "WELL TOP BOTTOM ZONE V\n";
// Stands in a case for a value of 64 MiB, made only when the case runs.
const char k64MiBOfX[] = "<64 MiB of x>";

TEST_P(RefusedLines, AreLeftOutAndReported) {
  const RefusedCase& c = GetParam();
  const std::string before = std::string(kHeader) + "W1 10 10.2 A 1\n";
  const std::string after = "W1 10.5 10.6 C 3\nW2 1 1.2 D 4\n";
  std::string bad_lines = c.bad_lines;
  const std::size_t marker = bad_lines.find(k64MiBOfX);
  if (marker != std::string::npos)
    bad_lines.replace(marker, std::strlen(k64MiBOfX),
                      std::string(64 << 20, 'x'));
  ScratchDir dir;
  dir.Write("zones.txt", before + bad_lines + after);
  // A depth that slipped through would write rows without end: files are
  // limited to 1 MiB, past which the signal ends the program. (A Windows
  // program under an emulator runs without the limit.)
  const ProgramResult result = RunProgram(
      dir, {"zones.txt"}, ProgramIsWindows() ? "" : "ulimit -f 1024");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(c.expected_err, result.err);

  ScratchDir clean;
  clean.Write("zones.txt", before + after);
  ASSERT_EQ(0, RunProgram(clean, {"zones.txt"}).status);
  ASSERT_EQ(clean.List(), dir.List());
  EXPECT_THAT(dir.List(), ElementsAre("W1.las", "W2.las", "zones.txt"));
  for (const std::string& name : clean.List()) {
    if (name != "zones.txt") {
      EXPECT_TRUE(clean.Read(name) == dir.Read(name)) << name << " differs";
    }
  }
}

const std::string kHundredsOfDigits = "0." + std::string(330, '1');

INSTANTIATE_TEST_SUITE_P(
    EndToEnd, RefusedLines,
    ::testing::Values(
        RefusedCase{"MissingValue", "W1 10.2 10.3 B\n",
                    "zone2las: zones.txt:3: expected 5 fields (well, top, "
                    "bottom, zone and 1 values), found 4\n"},
        RefusedCase{"DepthsThatAreNotDecimalNumbers",
                    "W1 1,5 10.3 B 2\nW1 10.4 1e3 B 2\n",
                    "zone2las: zones.txt:3: top depth \"1,5\" is not a decimal "
                    "number (column 2, \"TOP\"); choose the columns with "
                    "--top-column and --bottom-column, or give a one-well "
                    "table's name with --well\n"
                    "zone2las: zones.txt:4: bottom depth \"1e3\" is not a "
                    "decimal number (column 3, \"BOTTOM\")\n"},
        RefusedCase{"DepthsOutsideTheKeyRange",
                    "W1 2147483 2147483.7 B 2\nW1 -2147482 -2147481 B 2\n",
                    "zone2las: zones.txt:3: depths 2147483 to 2147483.7 with "
                    "lead-in and step lie outside the handled range of "
                    "-2147483.647 to 2147483.647 m\n"
                    "zone2las: zones.txt:4: depths -2147482 to -2147481 with "
                    "lead-in and step lie outside the handled range of "
                    "-2147483.647 to 2147483.647 m\n"},
        // A line that overlaps the one above it, and lines whose bottom
        // does not lie below their top: none of them starts or finishes a
        // well. An overlap is found once the well's lines are in depth
        // order, at the end of the run.
        RefusedCase{"OverlapsAndEmptyIntervals",
                    "W1 10.1 10.4 B 2\nW1 10.8 10.4 C 3\nW1 11 11 D 4\n",
                    "zone2las: zones.txt:4: bottom depth 10.4 does not lie "
                    "below top depth 10.8\n"
                    "zone2las: zones.txt:5: bottom depth 11 does not lie "
                    "below top depth 11\n"
                    "zone2las: zones.txt:3: top depth 10.1 lies above the "
                    "bottom depth 10.2 of the previous line of well \"W1\" "
                    "(line 2)\n"},
        RefusedCase{"RefusedLineStartsNoWell", "W3 x 1 A 1\n",
                    "zone2las: zones.txt:3: top depth \"x\" is not a decimal "
                    "number (column 2, \"TOP\"); choose the columns with "
                    "--top-column and --bottom-column, or give a one-well "
                    "table's name with --well\n"},
        RefusedCase{"BottomOfHundredsOfDigits",
                    "W1 10.2 " + kHundredsOfDigits + " B 2\n",
                    "zone2las: zones.txt:3: bottom depth \"" +
                        kHundredsOfDigits +
                        "\" has too many digits to be read\n"},
        RefusedCase{"TopOfHundredsOfDigits",
                    "W1 1" + kHundredsOfDigits + " 10.3 B 2\n",
                    "zone2las: zones.txt:3: top depth \"1" + kHundredsOfDigits +
                        "\" has too many digits to be read\n"},
        RefusedCase{"NulByte", std::string("W1 10.2 10.3 B\0 2\n", 18),
                    "zone2las: zones.txt:3: line holds a NUL byte; is this a "
                    "text file?\n"},
        RefusedCase{"NulByteFirst", std::string("\0W1 10.2 10.3 B 2\n", 18),
                    "zone2las: zones.txt:3: line holds a NUL byte; is this a "
                    "text file?\n"},
        RefusedCase{"NulBytesOnly", std::string(4000, '\0') + "\n",
                    "zone2las: zones.txt:3: line holds a NUL byte; is this a "
                    "text file?\n"},
        RefusedCase{"LongerThan64MiB",
                    std::string("W1 10.2 10.3 B ") + k64MiBOfX + "\n",
                    "zone2las: zones.txt:3: line is longer than 64 MiB; is "
                    "this a text file?\n"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) {
      return std::string(info.param.name);
    });

// Well names are compared as the file system compares file names: on
// Windows "\xC9" and "\xE9" (Latin-1 capital and small e acute) reach one
// file, so they are one well there; elsewhere they are two.
TEST(EndToEnd, WellNamesFoldAsTheFileSystemFoldsThem) {
  ScratchDir dir;
  dir.Write("zones.txt",
            "WELL TOP BOTTOM ZONE V\n"
            "\xC9"
            "1 10 10.3 A 1\n"
            "W2 1 1.2 B 2\n"
            "\xE9"
            "1 10.3 10.6 C 3\n");
  const ProgramResult result = RunProgram(dir, {"zones.txt"});
  EXPECT_EQ(0, result.status) << result.err;
  std::vector<std::string> las_files;
  std::string rows;
  for (const std::string& name : dir.List()) {
    if (name != "zones.txt" && name != "W2.las") {
      las_files.push_back(name);
      rows += Rows(dir.Read(name));
    }
  }
  EXPECT_EQ(ProgramIsWindows() ? 1u : 2u, las_files.size());
  if (ProgramIsWindows()) {
    EXPECT_THAT(rows, HasSubstr("10.290000   A   1      1\n"
                                "10.300000   C   1      3\n"));
  }
}

// Whether a line continues the well before it is decided by the file its
// name reaches, as for every other line, never by the names' text alone:
// adjacent or apart, the same lines give the same files.
TEST(EndToEnd, AdjacentNamesAreOneWellOnlyWhenTheyReachOneFile) {
  for (const bool adjacent : {true, false}) {
    SCOPED_TRACE(adjacent ? "adjacent" : "apart");
    ScratchDir dir;
    std::filesystem::create_directory(dir / "field");
    std::filesystem::create_directory(dir / "FIELD");
    dir.Write("zones.txt", std::string("WELL TOP BOTTOM ZONE V\n") +
                               "field/W1 10 10.3 A 1\n" +
                               (adjacent ? "" : "W2 1 1.2 B 2\n") +
                               "FIELD/W1 20 20.3 C 3\n");
    const ProgramResult result = RunProgram(dir, {"zones.txt"});
    EXPECT_EQ(0, result.status) << result.err;
    // One folder for both on a system that folds case in file names.
    if (ProgramIsWindows()) continue;
    EXPECT_THAT(Rows(dir.Read("field/W1.las")), HasSubstr("A   1"));
    EXPECT_THAT(Rows(dir.Read("field/W1.las")), Not(HasSubstr("C   1")));
    EXPECT_THAT(Rows(dir.Read("FIELD/W1.las")), HasSubstr("C   1"));
  }
  // Names that a comparison of text by language may take for one (a sharp
  // s and "SS", a soft hyphen, a ligature; Latin-1 bytes) reach the files
  // that the file system makes of them, adjacent or apart.
  const std::pair<std::string, std::string> kLookAlikes[] = {
      {"GRO\xDF" "E-1", "GROSSE-1"},
      {"W1", "W\xAD" "1"},
      {"\xC6-1", "AE-1"},
  };
  for (const auto& [first, second] : kLookAlikes) {
    SCOPED_TRACE(first + " and " + second);
    ScratchDir adjacent;
    adjacent.Write("zones.txt", "WELL TOP BOTTOM ZONE V\n" + first +
                                    " 10 10.3 A 1\n" + second +
                                    " 20 20.3 C 3\n");
    ScratchDir apart;
    apart.Write("zones.txt", "WELL TOP BOTTOM ZONE V\n" + first +
                                 " 10 10.3 A 1\nW9 1 1.2 B 2\n" + second +
                                 " 20 20.3 C 3\n");
    ASSERT_EQ(0, RunProgram(adjacent, {"zones.txt"}).status);
    ASSERT_EQ(0, RunProgram(apart, {"zones.txt"}).status);
    std::vector<std::string> files = apart.List();
    files.erase(std::remove(files.begin(), files.end(), "W9.las"), files.end());
    EXPECT_EQ(files, adjacent.List());
    for (const std::string& name : files) {
      if (name != "zones.txt") {
        EXPECT_EQ(apart.Read(name), adjacent.Read(name)) << name;
      }
    }
  }
}

TEST(EndToEnd, WellThatComesBackContinuesItsFile) {
  ScratchDir split;
  split.Write("zones.txt",
              "WELL TOP BOTTOM ZONE V\n"
              "W1 10 10.2 A 1\n"
              "W2 50 50.3 X 9\n"
              "w1 10.5 10.6 C 3\n"
              "W2 50.3 50.4 Y 8\n"
              "W1 10.6 10.8 D 4\n");
  ScratchDir together;
  together.Write("zones.txt",
                 "WELL TOP BOTTOM ZONE V\n"
                 "W1 10 10.2 A 1\n"
                 "w1 10.5 10.6 C 3\n"
                 "W1 10.6 10.8 D 4\n"
                 "W2 50 50.3 X 9\n"
                 "W2 50.3 50.4 Y 8\n");
  const ProgramResult result = RunProgram(split, {"zones.txt"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  ASSERT_EQ(0, RunProgram(together, {"zones.txt"}).status);
  EXPECT_THAT(split.List(), ElementsAre("W1.las", "W2.las", "zones.txt"));
  EXPECT_EQ(together.Read("W1.las"), split.Read("W1.las"));
  EXPECT_EQ(together.Read("W2.las"), split.Read("W2.las"));
}

}  // namespace
