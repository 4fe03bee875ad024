// Files under --standard: held to the LAS 2.0 rules by an independent checker
// on generated tables and on worked cases with exact expected files, the
// option files, and the checker itself shown to catch each rule broken.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/las_checker.h"
#include "tests/random.h"
#include "tests/scratch.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// Every .las file of |dir|, by name.
std::map<std::string, std::string> LasFiles(const ScratchDir& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : dir.List()) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".las") == 0)
      files[name] = dir.Read(name);
  }
  return files;
}

void ExpectKeepsTheStandard(const std::map<std::string, std::string>& files) {
  for (const auto& file : files) {
    const std::vector<LasViolation> violations = CheckLas(file.second);
    EXPECT_TRUE(violations.empty()) << file.first << ":\n"
                                    << Describe(violations) << file.second;
  }
}

// ---------------------------------------------------------------------------
// The checker.

const char kGoodFile[] =
    "~Version\n"
    "VERS.   2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0\n"
    "WRAP.   NO  : ONE LINE PER DEPTH STEP\n"
    "~Well\n"
    "STRT.M  0.300000 : START DEPTH\n"
    "STOP.M  0.500000 : STOP DEPTH\n"
    "STEP.M  0.100000 : STEP\n"
    "NULL.   -9999.0 : NULL VALUE\n"
    "COMP.   : COMPANY\n"
    "WELL.   W1 : WELL\n"
    "FLD.    : FIELD\n"
    "LOC.    : LOCATION\n"
    "PROV.   : PROVINCE\n"
    "SRVC.   : SERVICE COMPANY\n"
    "DATE.   : LOG DATE\n"
    "UWI.    : UNIQUE WELL ID\n"
    "~Curve\n"
    "DEPT.M  : DEPTH\n"
    "ZONELOG.  : ZONE CODE\n"
    "~Parameter\n"
    "ZONELOG_1.   a:b : CODE 1\n"
    "~Ascii\n"
    "0.300000   1\n"
    "0.400000   1\n"
    "0.500000   -9999.0\n";

struct BrokenFile {
  const char* what;
  const char* from;  // replaced once in kGoodFile
  const char* to;
  LasRule rule;
};

TEST(LasChecker, CatchesEachRule) {
  EXPECT_EQ("", Describe(CheckLas(kGoodFile)));
  const BrokenFile kCases[] = {
      {"~W before ~V",
       "~Version\nVERS.   2.0 : CWLS LOG ASCII STANDARD - VERSION 2.0\nWRAP.   "
       "NO  : ONE LINE PER DEPTH STEP\n~Well\n",
       "~Well\n~Version\nVERS.   2.0 : CWLS LOG ASCII STANDARD - VERSION "
       "2.0\nWRAP.   NO  : ONE LINE PER DEPTH STEP\n",
       LasRule::kSections},
      {"a section after ~A", "0.500000   -9999.0\n",
       "0.500000   -9999.0\n~Other\n", LasRule::kSections},
      {"version 1.2", "VERS.   2.0", "VERS.   1.2", LasRule::kVersion},
      {"wrapped", "WRAP.   NO ", "WRAP.   YES", LasRule::kVersion},
      {"no UWI", "UWI.    : UNIQUE WELL ID\n", "", LasRule::kWellItems},
      {"no COMP", "COMP.   : COMPANY\n", "", LasRule::kWellItems},
      {"no colon", "FLD.    : FIELD", "FLD.    FIELD", LasRule::kDelimiters},
      {"no dot", "LOC.    : LOCATION", "LOC     : LOCATION",
       LasRule::kDelimiters},
      {"a mnemonic twice", "ZONELOG.  : ZONE CODE\n",
       "ZONELOG.  : ZONE CODE\nzonelog.  : AGAIN\n", LasRule::kUnique},
      {"a row short of a value", "0.400000   1\n", "0.400000\n",
       LasRule::kColumns},
      {"text in a row", "0.400000   1\n", "0.400000   Sand_A\n",
       LasRule::kNumbers},
      {"the index not first", "DEPT.M  : DEPTH", "DEPTX.M  : DEPTH",
       LasRule::kIndex},
      {"a row out of order", "0.400000   1\n0.500000", "0.400000   1\n0.400000",
       LasRule::kIndex},
      {"an end row off the step", "0.400000   1\n", "0.390000   1\n",
       LasRule::kMultiple},
      {"an increment other than STEP", "STEP.M  0.100000", "STEP.M  0.050000",
       LasRule::kIncrement},
      {"STOP short of the last row", "STOP.M  0.500000", "STOP.M  0.400000",
       LasRule::kRange},
  };
  for (const BrokenFile& c : kCases) {
    SCOPED_TRACE(c.what);
    std::string text = kGoodFile;
    const std::size_t at = text.find(c.from);
    ASSERT_NE(std::string::npos, at);
    text.replace(at, std::string(c.from).size(), c.to);
    const std::vector<LasViolation> violations = CheckLas(text);
    EXPECT_THAT(BrokenRules(violations), ::testing::Contains(c.rule))
        << Describe(violations);
  }
}

// The program's files without --standard break the rules that --standard
// keeps: text zones, a thin ~W, end rows off the grid, and a mnemonic twice.
TEST(LasChecker, CatchesTheDefaultFiles) {
  const std::vector<LasViolation> worked =
      CheckLas(ReadTestData("worked_example/W1.las"));
  EXPECT_THAT(BrokenRules(worked),
              ElementsAre(LasRule::kWellItems, LasRule::kNumbers,
                          LasRule::kIncrement, LasRule::kMultiple))
      << Describe(worked);
  ScratchDir dir;
  dir.Write("zones.txt", "WELL TOP BOTTOM ZONE POR Por\nW1 0 1 1 0.1 0.2\n");
  ASSERT_EQ(0, RunProgram(dir, {"zones.txt"}).status);
  const std::vector<LasViolation> twice = CheckLas(dir.Read("W1.las"));
  EXPECT_THAT(BrokenRules(twice), ::testing::Contains(LasRule::kUnique));
  // Rows above the surface start two units above a top at 0.
  EXPECT_THAT(dir.Read("W1.las"), HasSubstr("\n-2.000000 "));
}

// ---------------------------------------------------------------------------
// Generated tables.

// Millimetres as a table writes them: "12", "12.5", "12.345".
std::string DepthText(long millimetres) {
  char text[64];
  const long magnitude = millimetres < 0 ? -millimetres : millimetres;
  std::snprintf(text, sizeof text, "%s%ld.%03ld", millimetres < 0 ? "-" : "",
                magnitude / 1000, magnitude % 1000);
  std::string result = text;
  while (result.back() == '0') result.pop_back();
  if (result.back() == '.') result.pop_back();
  return result;
}

struct Interval {
  std::string well;
  long top = 0, bottom = 0;  // millimetres
  std::string zone, value, flag;
};

// The value of a ~Parameter item "MNEM.  VALUE : DESCRIPTION" of |las|.
std::map<std::string, std::string> Parameters(const std::string& las) {
  std::map<std::string, std::string> items;
  const std::size_t begin = las.find("~Parameter\n");
  const std::size_t end = las.find("~Ascii\n");
  if (begin == std::string::npos || end == std::string::npos) return items;
  std::size_t at = begin + 11;
  while (at < end) {
    const std::size_t eol = las.find('\n', at);
    const std::string line = las.substr(at, eol - at);
    const std::size_t dot = line.find('.');
    const std::size_t colon = line.rfind(':');
    std::string value = line.substr(dot + 1, colon - dot - 1);
    value.erase(0, value.find_first_not_of(' '));
    value.erase(value.find_last_not_of(' ') + 1);
    items[line.substr(0, dot)] = value;
    at = eol + 1;
  }
  return items;
}

// Each row of every file, read back through the file's own ~Parameter
// legend, carries the zone and text value of the one interval of the table
// whose top <= depth < bottom (in whole millimetres, rounded up), or NULL.
void ExpectRowsMatchTable(const std::map<std::string, std::string>& files,
                          const std::vector<Interval>& intervals,
                          long step_millionths) {
  for (const auto& file : files) {
    SCOPED_TRACE(file.first);
    const std::string well = file.first.substr(0, file.first.size() - 4);
    const std::map<std::string, std::string> legend = Parameters(file.second);
    const std::string rows =
        file.second.substr(file.second.find("~Ascii\n") + 7);
    std::size_t at = 0;
    int row_count = 0;
    while (at < rows.size()) {
      const std::size_t eol = rows.find('\n', at);
      char depth_text[64], zone[64], defined[8], value[64], flag[64];
      ASSERT_EQ(5, std::sscanf(rows.substr(at, eol - at).c_str(),
                               "%63s %63s %7s %63s %63s", depth_text, zone,
                               defined, value, flag));
      at = eol + 1;
      long long whole = 0, fraction = 0;
      std::sscanf(depth_text, "%lld.%lld", &whole, &fraction);
      const long long millionths = whole * 1000000 + fraction;
      ASSERT_EQ(0, millionths % step_millionths) << depth_text;
      const long long key = (millionths + 999) / 1000;
      const Interval* holder = nullptr;
      for (const Interval& interval : intervals) {
        if (interval.well == well && interval.top <= key &&
            key < interval.bottom)
          holder = &interval;
      }
      ++row_count;
      if (holder == nullptr) {
        EXPECT_EQ("-9999.0", std::string(zone)) << depth_text;
        EXPECT_EQ("0", std::string(defined)) << depth_text;
        continue;
      }
      EXPECT_EQ(holder->zone, legend.at("ZONELOG_" + std::string(zone)))
          << depth_text;
      EXPECT_EQ("1", std::string(defined));
      EXPECT_EQ(holder->value, value);
      EXPECT_EQ(holder->flag, legend.at("FLAG_" + std::string(flag)));
    }
    EXPECT_GT(row_count, 0);
  }
}

TEST(StandardProperty, GeneratedTablesKeepTheStandard) {
  static const char* const kSteps[] = {"0.001",  "0.01", "0.05", "0.1",
                                       "0.1524", "0.25", "0.5",  "1"};
  static const long kStepMillionths[] = {1000,   10000,  50000,  100000,
                                         152400, 250000, 500000, 1000000};
  Random random(20261210);
  for (int round = 0; round < 100; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int step_index = static_cast<int>(random.Between(0, 7));
    const bool fine = step_index == 0;
    std::vector<std::vector<Interval>> wells(
        static_cast<std::size_t>(random.Between(1, 3)));
    std::vector<Interval> all;
    for (std::size_t w = 0; w < wells.size(); ++w) {
      long depth = random.Between(0, 1) == 0 ? 0 : random.Between(-500, 30000);
      for (long i = random.Between(1, 6); i > 0; --i) {
        if (random.OneIn(3)) depth += random.Between(1, fine ? 300 : 3000);
        Interval interval;
        interval.well = "W" + std::to_string(w + 1);
        interval.top = depth;
        // Thin ones too, but of 2 mm at least: the program's parser may
        // read a depth a last bit high, so that its key (rounded up) grows
        // by one, and a 1 mm interval is refused.
        depth += random.OneIn(4) ? random.Between(2, 40)
                                 : random.Between(1, fine ? 400 : 5000);
        interval.bottom = depth;
        interval.zone =
            "Zone_" +
            std::string(1, static_cast<char>('A' + random.Between(0, 4)));
        interval.value = std::to_string(random.Between(0, 99)) + ".5";
        interval.flag = random.OneIn(2)
                            ? "good"
                            : "poor:" + std::to_string(random.Between(1, 3));
        wells[w].push_back(interval);
        all.push_back(interval);
      }
    }
    // Wells one after the other, or interleaved; each well's lines in order.
    std::string table = "WELL TOP BOTTOM ZONE VALUE FLAG\n";
    std::vector<std::size_t> next(wells.size(), 0);
    const bool interleave = random.OneIn(2);
    for (std::size_t current = 0;;) {
      std::vector<std::size_t> open;
      for (std::size_t w = 0; w < wells.size(); ++w)
        if (next[w] < wells[w].size()) open.push_back(w);
      if (open.empty()) break;
      if (interleave || next[current] >= wells[current].size())
        current = open[static_cast<std::size_t>(
            random.Between(0, static_cast<long>(open.size()) - 1))];
      const Interval& line = wells[current][next[current]++];
      table += line.well + " " + DepthText(line.top) + " " +
               DepthText(line.bottom) + " " + line.zone + " " + line.value +
               " " + line.flag + "\n";
    }
    ScratchDir dir;
    dir.Write("zones.txt", table);
    const ProgramResult result =
        RunProgram(dir, {"--standard", "zones.txt", kSteps[step_index]});
    ASSERT_EQ(0, result.status) << result.err << table;
    const std::map<std::string, std::string> files = LasFiles(dir);
    EXPECT_EQ(wells.size(), files.size());
    ExpectKeepsTheStandard(files);
    ExpectRowsMatchTable(files, all, kStepMillionths[step_index]);
    // One legend for the whole run.
    for (const auto& file : files)
      EXPECT_EQ(Parameters(files.begin()->second), Parameters(file.second));
  }
}

// ---------------------------------------------------------------------------
// Worked cases, with exact expected files.

TEST(Standard, WorkedTableAtTwoSteps) {
  for (const char* step : {"0.1", "0.1524"}) {
    SCOPED_TRACE(step);
    ScratchDir dir;
    dir.Write("zones.txt", ReadTestData("standard/worked.txt"));
    const ProgramResult result =
        RunProgram(dir, {"--standard", "zones.txt", step});
    EXPECT_EQ(0, result.status);
    // The interval 50.32 to 50.35 lies between two rows at either step.
    EXPECT_EQ(std::string("zone2las: zones.txt:6: note: the interval 50.32 to "
                          "50.35 holds no row of the grid at step ") +
                  step + "; 1 interval of this run holds none\n",
              result.err);
    const std::string folder = std::string("standard/worked_") + step + "/";
    EXPECT_EQ(ReadTestData(folder + "W1.las"), dir.Read("W1.las"));
    EXPECT_EQ(ReadTestData(folder + "W2.las"), dir.Read("W2.las"));
    ExpectKeepsTheStandard(LasFiles(dir));
  }
}

// Zone codes from a file, the wells' identities from another, a text value
// column coded, and a ~Well item given by a column of the table.
TEST(Standard, OptionFilesAndTextValues) {
  ScratchDir dir;
  dir.Write("zones.csv", ReadTestData("standard/identity/zones.csv"));
  dir.Write("codes.txt", ReadTestData("standard/identity/codes.txt"));
  dir.Write("wells.csv", ReadTestData("standard/identity/wells.csv"));
  const ProgramResult result =
      RunProgram(dir, {"--standard", "--zone-codes", "codes.txt", "--well-info",
                       "wells.csv", "zones.csv", "0.5"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ(ReadTestData("standard/identity/stderr.txt"), result.err);
  EXPECT_EQ(ReadTestData("standard/identity/NO 15-9-1.las"),
            dir.Read("NO 15-9-1.las"));
  EXPECT_EQ(ReadTestData("standard/identity/W2.las"), dir.Read("W2.las"));
  ExpectKeepsTheStandard(LasFiles(dir));
}

TEST(Standard, TableThroughAFifo) {
  if (ProgramIsWindows()) GTEST_SKIP() << "a FIFO is a POSIX file";
  ScratchDir dir;
  dir.Write("zones.txt", ReadTestData("standard/worked.txt"));
  const ProgramResult result =
      RunProgram(dir, {"--standard", "pipe", "0.1"},
                 "mkfifo pipe && { cat zones.txt > pipe & }");
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ(ReadTestData("standard/worked_0.1/W1.las"), dir.Read("W1.las"));
  EXPECT_EQ(ReadTestData("standard/worked_0.1/W2.las"), dir.Read("W2.las"));
  // The copy of the table is gone with its private directory.
  EXPECT_THAT(dir.List(), ElementsAre("W1.las", "W2.las", "pipe", "zones.txt"));
}

// Codes follow the order the files are written in (wells by first
// appearance, each well's lines by depth), so a table whose lines come in
// another order gives the same files.
TEST(Standard, ReorderedTableGivesTheSameCodes) {
  ScratchDir grouped, interleaved;
  grouped.Write(
      "zones.txt",
      "WELL TOP BOTTOM ZONE\nA 0 1 Z1\nA 1 2 Z2\nB 0 1 Z3\nB 1 2 Z1\n");
  interleaved.Write(
      "zones.txt",
      "WELL TOP BOTTOM ZONE\nA 0 1 Z1\nB 0 1 Z3\nB 1 2 Z1\nA 1 2 Z2\n");
  ASSERT_EQ(0, RunProgram(grouped, {"--standard", "zones.txt"}).status);
  ASSERT_EQ(0, RunProgram(interleaved, {"--standard", "zones.txt"}).status);
  EXPECT_EQ(LasFiles(grouped), LasFiles(interleaved));
  EXPECT_THAT(grouped.Read("B.las"),
              HasSubstr("ZONELOG_3.                   Z3 :"));
}

// A zone met only on refused lines (an overlap, a bad depth, a carriage
// return inside a line) gets no code.
TEST(Standard, RefusedLinesGiveNoCodes) {
  ScratchDir dir;
  dir.Write("zones.txt",
            "WELL TOP BOTTOM ZONE\nW1 0 1 A\nW1 2 1.5 Q\nW1 x 3 R\nW1 1 2 B\n"
            "W1 2 3\rS\n");
  const ProgramResult result =
      RunProgram(dir, {"--standard", "zones.txt", "1"});
  EXPECT_EQ(1, result.status);
  const std::string las = dir.Read("W1.las");
  EXPECT_THAT(las,
              HasSubstr("~Parameter\n"
                        "ZONELOG_1.                    A : CODE 1 OF ZONELOG\n"
                        "ZONELOG_2.                    B : CODE 2 OF ZONELOG\n"
                        "~Ascii\n"
                        "0.000000   1   1\n1.000000   2   1\n"
                        "2.000000   -9999.0   0\n"));
  ExpectKeepsTheStandard(LasFiles(dir));
}

// A column named like a ~Well item fills it, from its first value that is
// not NULL, instead of becoming a curve; one named like STRT stays a curve.
TEST(Standard, ColumnNamedLikeAWellItemFillsIt) {
  ScratchDir dir;
  dir.Write("zones.csv",
            "WELL,TOP,BOTTOM,ZONE,Uwi,STRT,LOC\n"
            "W1,0,1,A,,5,\n"
            "W1,1,2,B,100/01-02-003-04W5/00,6,\n"
            "W1,2,3,B,100/01-02-003-04W5/00,7,\n");
  const ProgramResult result =
      RunProgram(dir, {"--standard", "zones.csv", "1"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  const std::string las = dir.Read("W1.las");
  EXPECT_THAT(
      las, HasSubstr("\nUWI.       100/01-02-003-04W5/00 : UNIQUE WELL ID\n"));
  EXPECT_THAT(las, HasSubstr("\nLOC.                            : LOCATION\n"));
  EXPECT_THAT(
      las, HasSubstr("\nSTRT.                           : STRT\n~Parameter"));
  EXPECT_THAT(las, HasSubstr("~Ascii\n0.000000   1   1   5\n"));
  ExpectKeepsTheStandard(LasFiles(dir));
}

// ---------------------------------------------------------------------------
// Refusals: exit status 2, nothing written.

struct Refusal {
  const char* what;
  std::vector<std::string> args;
  const char* table;
  const char* codes;  // codes.txt, when not null
  const char* message;
};

TEST(Standard, RefusedCommandLinesAndOptionFiles) {
  const char kTable[] = "WELL TOP BOTTOM ZONE\nW1 0 1 A\nW1 1 2 B\n";
  const Refusal kCases[] = {
      {"zone codes without --standard",
       {"--zone-codes", "codes.txt", "zones.txt"},
       kTable,
       "ZONE CODE\nA 1\nB 2\n",
       "zone2las: option \"--zone-codes\" needs --standard\n"},
      {"well info without --standard",
       {"--well-info", "codes.txt", "zones.txt"},
       kTable,
       "WELL UWI\n",
       "zone2las: option \"--well-info\" needs --standard\n"},
      {"a step of seven decimals",
       {"--standard", "zones.txt", "0.1234567"},
       kTable,
       nullptr,
       "zone2las: step \"0.1234567\" has more than six decimals; --standard "
       "places rows at whole millionths\n"},
      {"one mnemonic from two columns",
       {"--standard", "zones.txt"},
       "WELL TOP BOTTOM ZONE POR Por.v/v\nW1 0 1 A 1 2\n",
       nullptr,
       "zone2las: zones.txt:1: columns \"POR\" and \"Por.v/v\" give one "
       "mnemonic, POR; --standard needs each once\n"},
      {"a column named DEPT",
       {"--standard", "zones.txt"},
       "WELL TOP BOTTOM ZONE DEPT\nW1 0 1 A 1\n",
       nullptr,
       "zone2las: zones.txt:1: column \"DEPT\" gives the mnemonic of the "
       "curve DEPT; --standard needs each once\n"},
      {"a zone listed twice",
       {"--standard", "--zone-codes", "codes.txt", "zones.txt"},
       kTable,
       "ZONE CODE\nA 1\nB 2\nA 3\n",
       "zone2las: codes.txt:4: zone \"A\" is listed twice (first on line 2)\n"},
      {"a code listed twice",
       {"--standard", "--zone-codes", "codes.txt", "zones.txt"},
       kTable,
       "ZONE,CODE\nA,1\nB,1\n",
       "zone2las: codes.txt:3: code 1 is listed twice (first on line 2)\n"},
      {"a code of 0",
       {"--standard", "--zone-codes", "codes.txt", "zones.txt"},
       kTable,
       "ZONE CODE\nA 0\n",
       "zone2las: codes.txt:2: code \"0\" of zone \"A\" is not a whole number "
       "of at least 1\n"},
      {"a zone without a code",
       {"--standard", "--zone-codes", "codes.txt", "zones.txt"},
       kTable,
       "ZONE CODE\nA 7\n",
       "zone2las: zones.txt:3: zone \"B\" has no code in codes.txt\n"},
      // Lines that end in a carriage return alone would read as one header
      // line and no well.
      {"an option file whose lines end in a carriage return alone",
       {"--standard", "--well-info", "codes.txt", "zones.txt"},
       kTable,
       "WELL UWI\rW1 123\r",
       "zone2las: codes.txt:1: a carriage return (\\r) stands before the end "
       "of the line: the table mixes line ends, and records would run "
       "together; save it with LF or CRLF line ends\n"},
      {"no CODE column",
       {"--standard", "--zone-codes", "codes.txt", "zones.txt"},
       kTable,
       "ZONE NUMBER\nA 7\n",
       "zone2las: codes.txt:1: the header line names no CODE column\n"},
  };
  for (const Refusal& c : kCases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    dir.Write("zones.txt", c.table);
    if (c.codes != nullptr) dir.Write("codes.txt", c.codes);
    const ProgramResult result = RunProgram(dir, c.args);
    EXPECT_EQ(2, result.status);
    EXPECT_THAT(result.err, ::testing::StartsWith(c.message));
    EXPECT_TRUE(LasFiles(dir).empty());
    EXPECT_EQ(c.codes != nullptr ? 2u : 1u, dir.List().size());
  }
}

}  // namespace
