// The built program on tables as users export them (comma and semicolon
// tables with quotes), with an output folder and a depth unit, and the
// command line that chooses them: every byte of the files compared with those
// of the equivalent whitespace table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/scratch.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// Converts |table| (as |table_name|) with |args| before and after the name in
// a fresh directory: the result and every file written, by name.
struct Conversion {
  ProgramResult result;
  std::vector<std::string> names;
  std::vector<std::string> files;
};

Conversion Convert(const std::string& table_name, const std::string& table,
                   std::vector<std::string> args = {}) {
  ScratchDir dir;
  dir.Write(table_name, table);
  if (args.empty()) args.push_back(table_name);
  Conversion run;
  run.result = RunProgram(dir, args);
  run.names = dir.List();
  for (const std::string& name : run.names)
    run.files.push_back(name == table_name ? "<table>" : dir.Read(name));
  return run;
}

// Each delimited table, as exported, against its whitespace twin: quotes,
// delimiters and doubled quotes inside quotes, blanks around fields, CRLF, a
// UTF-8 zone, empty values, decimal commas.
TEST(EndToEndDelimited, GiveTheFilesOfTheirWhitespaceTwins) {
  struct Case {
    const char* table;
    const char* twin;
    const char* first_note;
  };
  const Case kCases[] = {
      {"delimited/comma.csv", "delimited/comma.txt",
       "zone2las: zones.csv:2: note: zone \"Upper Shale\" written as "
       "Upper_Shale\n"},
      {"delimited/semicolon.csv", "delimited/semicolon.txt",
       "zone2las: zones.csv:1: note: column name \"K; mD\" written as K;_mD\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.table);
    const Conversion twin = Convert("zones.csv", ReadTestData(c.twin));
    ASSERT_EQ(0, twin.result.status) << twin.result.err;
    ASSERT_EQ("", twin.result.err);
    const std::string table = ReadTestData(c.table);
    // As exported, with LF line ends, and after the byte-order mark that
    // spreadsheets write first.
    for (const std::string& form :
         {table, WithoutCarriageReturns(table), "\xEF\xBB\xBF" + table}) {
      const Conversion run = Convert("zones.csv", form);
      EXPECT_EQ(0, run.result.status);
      EXPECT_THAT(run.result.err, StartsWith(c.first_note));
      EXPECT_EQ(twin.names, run.names);
      EXPECT_EQ(twin.files, run.files);
    }
  }
}

TEST(EndToEndDelimited, NotesEachChangedTextOnceAndKeepsSpacesInWellNames) {
  const Conversion run = Convert("t.csv",
                                 "Well,Top,Bottom,Zone,\"Rock type\"\n"
                                 "\"Well 7\",100,101,\"Sand A\",\"fine sand\"\n"
                                 "\"Well 7\",101,102,\"Sand A\",coarse\n"
                                 "\"Well 7\",102,103,Shale,\"fine sand\"\n");
  EXPECT_EQ(0, run.result.status);
  EXPECT_EQ(
      "zone2las: t.csv:1: note: column name \"Rock type\" written as "
      "Rock_type\n"
      "zone2las: t.csv:2: note: zone \"Sand A\" written as Sand_A\n"
      "zone2las: t.csv:2: note: value \"fine sand\" written as fine_sand\n",
      run.result.err);
  ASSERT_THAT(run.names, ElementsAre("Well 7.las", "t.csv"));
  const Conversion twin =
      Convert("t.txt",
              "Well Top Bottom Zone Rock_type\n"
              "W 100 101 Sand_A fine_sand\nW 101 102 Sand_A coarse\n"
              "W 102 103 Shale fine_sand\n");
  ASSERT_THAT(twin.names, ElementsAre("W.las", "t.txt"));
  std::string expected = twin.files[0];
  const std::string well_line = "WELL.                    W :";
  ASSERT_NE(std::string::npos, expected.find(well_line));
  expected.replace(expected.find(well_line), well_line.size(),
                   "WELL.               Well 7 :");
  EXPECT_EQ(expected, run.files[0]);
}

// A line that cannot be taken apart is refused with its place; the lines
// around it are converted.
TEST(EndToEndDelimited, RefuseOpenQuotesAndEmptyFixedFields) {
  const Conversion run =
      Convert("zones.csv", ReadTestData("delimited/unterminated_quote.csv"));
  EXPECT_EQ(1, run.result.status);
  EXPECT_THAT(run.result.err,
              HasSubstr("zone2las: zones.csv:2: quoted field 4 is not closed "
                        "before the end of the line\n"));
  const Conversion twin = Convert("zones.csv",
                                  "Well_Name Top_Depth Bottom_Depth Zone POR\n"
                                  "W1 100.5 101 Sand_B 0.18\n");
  EXPECT_EQ(twin.files, run.files);

  const Conversion empty = Convert("zones.csv",
                                   "well,top,bottom,zone,v\n"
                                   ",1,2,A,0\nW1,,2,A,0\nW1,1,\" \",A,0\n"
                                   "W1,1,2,A\n");
  EXPECT_EQ(1, empty.result.status);
  EXPECT_EQ(
      "zone2las: zones.csv:2: the well field is empty\n"
      "zone2las: zones.csv:3: the top field is empty\n"
      "zone2las: zones.csv:4: bottom depth \" \" is not a decimal number "
      "(column 3, \"bottom\"); choose the columns with --top-column and "
      "--bottom-column, or give a one-well table's name with --well\n"
      "zone2las: zones.csv:5: expected 5 fields (well, top, bottom, zone and "
      "1 values), found 4\n",
      empty.result.err);
  EXPECT_THAT(empty.names, ElementsAre("zones.csv"));
  // An empty zone, like an empty value, is the NULL text.
  EXPECT_EQ(
      Convert("zones.txt", "well top bottom zone v\nW1 1 2 -9999.0 0\n").files,
      Convert("zones.csv", "well,top,bottom,zone,v\nW1,1,2,,0\n").files);
}

// The comma and semicolon are guessed only from a header line that splits
// into at least 4 fields on them; a whitespace table with a comma in a name
// stays a whitespace table, and the option overrides the guess.
TEST(EndToEndDelimited, DelimiterIsGuessedFromTheHeaderOrNamed) {
  const std::string whitespace =
      "WELL TOP BOTTOM ZONE PERM,mD POR;frac\nW1 100 101 A,B 5,5 0,2\n";
  const Conversion run = Convert("t.txt", whitespace);
  EXPECT_EQ(0, run.result.status) << run.result.err;
  EXPECT_EQ("", run.result.err);
  ASSERT_THAT(run.names, ElementsAre("W1.las", "t.txt"));
  EXPECT_THAT(run.files[0], HasSubstr("\nPERM,mD. :\nPOR;frac. :\n"));
  EXPECT_THAT(run.files[0], HasSubstr("   A,B   1      5,5   0,2\n"));

  // Three commas are four fields: a table that says so explicitly reads as
  // whitespace all the same.
  const std::string commas = "W T B Z a,b,c,d\nW1 100 101 A 1\n";
  EXPECT_THAT(Convert("t.txt", commas).result.err,
              HasSubstr("t.txt:2: expected 4 fields"));
  const Conversion named =
      Convert("t.txt", commas, {"--delimiter", "space", "t.txt"});
  EXPECT_EQ(0, named.result.status) << named.result.err;
  EXPECT_THAT(named.files[0], HasSubstr("\na,b,c,d. :\n"));

  const Conversion tab =
      Convert("t.tsv", "W\tT\tB\tZ\tV\nW1\t100\t101\tSand A\t\n",
              {"t.tsv", "--delimiter=tab"});
  EXPECT_EQ(0, tab.result.status);
  EXPECT_THAT(tab.files[0], HasSubstr("   Sand_A   1      -9999.0\n"));
}

TEST(EndToEndOutputDirectory, HoldsEveryFileAndNoWellClimbsOutOfIt) {
  const std::string table =
      "WELL TOP BOTTOM ZONE V\nsub/W1 100 101 A 1\nW2 50 51 B 2\n"
      "../x 1 2 C 3\n";
  ScratchDir plain;
  plain.Write("zones.txt", table);
  std::filesystem::create_directory(plain / "sub");
  const ProgramResult plain_result = RunProgram(plain, {"zones.txt"});
  ASSERT_EQ(1, plain_result.status);

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-o", "out", "zones.txt"},
        std::vector<std::string>{"zones.txt", "--output-dir=out/"},
        std::vector<std::string>{"zones.txt", "0.1", "--output-dir", "out"}}) {
    SCOPED_TRACE(args[0] + " " + args[1]);
    ScratchDir dir;
    dir.Write("zones.txt", table);
    std::filesystem::create_directories(dir / "out/sub");
    const ProgramResult result = RunProgram(dir, args);
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(
        "zone2las: zones.txt:4: well \"../x\" would place its file outside "
        "the output directory; its lines are skipped\n",
        result.err);
    EXPECT_EQ(plain.Read("sub/W1.las"), dir.Read("out/sub/W1.las"));
    EXPECT_EQ(plain.Read("W2.las"), dir.Read("out/W2.las"));
    // No file beside the table, none above the folder, no private
    // directory left behind.
    EXPECT_THAT(dir.List(), ElementsAre("out", "zones.txt"));
    EXPECT_FALSE(dir.Exists("x.las"));
    EXPECT_EQ(2u,
              std::distance(std::filesystem::directory_iterator(dir / "out"),
                            std::filesystem::directory_iterator()));
  }

  ScratchDir dir;
  dir.Write("zones.txt", table);
  const ProgramResult missing = RunProgram(dir, {"zones.txt", "-o", "none"});
  EXPECT_EQ(1, missing.status);
  EXPECT_THAT(missing.err, StartsWith("zone2las: output directory \"none\": "));
  EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
}

TEST(EndToEndDepthUnit, FeetAreWrittenForEveryDepthLine) {
  const char kTable[] = "W T B Z V\nW1 100 100.5 A 1\n";
  const Conversion metres = Convert("t.txt", kTable);
  ASSERT_EQ(0, metres.result.status);
  std::string expected = metres.files[0];
  for (const char* line : {"\nSTRT.M", "\nSTOP.M", "\nSTEP.M", "\nDEPT.M"}) {
    const std::size_t at = expected.find(line);
    ASSERT_NE(std::string::npos, at) << line;
    expected[at + 6] = 'F';
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--depth-unit", "F", "t.txt"},
        std::vector<std::string>{"t.txt", "--depth-unit=f"}}) {
    const Conversion feet = Convert("t.txt", kTable, args);
    EXPECT_EQ(0, feet.result.status) << feet.result.err;
    EXPECT_EQ(expected, feet.files[0]);
  }
  EXPECT_EQ(metres.files,
            Convert("t.txt", kTable, {"t.txt", "--depth-unit", "M"}).files);
}

TEST(EndToEndCommandLine, RefusesUnknownOptionsAndBadValues) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case kCases[] = {
      {{"zones.txt", "--frobnicate"}, "unknown option \"--frobnicate\""},
      {{"-x", "zones.txt"}, "unknown option \"-x\""},
      {{"zones.txt", "--delimiter", "pipe"},
       "delimiter \"pipe\" is not one of auto, space, comma, semicolon, tab"},
      {{"zones.txt", "--depth-unit", "ft"}, "depth unit \"ft\" is not M or F"},
      {{"zones.txt", "-o"}, "option \"-o\" needs a value"},
      {{"zones.txt", "-o", ""}, "the output directory's name is empty"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.message);
    ScratchDir dir;
    dir.Write("zones.txt", "W T B Z\nW1 1 2 A\n");
    const ProgramResult result = RunProgram(dir, c.args);
    EXPECT_EQ(2, result.status);
    EXPECT_THAT(result.err, StartsWith(std::string("zone2las: ") + c.message +
                                       "\nExample: "));
    EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
  }
}

// "--" ends the options, so a table may be named like one.
TEST(EndToEndCommandLine, DoubleDashEndsTheOptions) {
  ScratchDir dir;
  dir.Write("-t.txt", "W T B Z\nW1 1 2 A\n");
  const ProgramResult result = RunProgram(dir, {"--", "-t.txt", "0.5"});
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_THAT(dir.Read("W1.las"),
              HasSubstr("\nSTEP.M            0.500000 :\n"));
}

// A table whose lines end in CR alone reads as one line.
TEST(EndToEndTableChecks, RefusesCarriageReturnLineEnds) {
  struct Case {
    const char* table;
    const char* err;
  };
  const Case kCases[] = {
      {"W T B Z V\rW1 100 101 A 1\r",
       "zone2las: zones.txt:1: the lines end "
       "in a carriage return alone; save the table with LF or CRLF line "
       "ends\n"},
      {"\n  \nW T B Z V\r\rW1 100 101 A 1",
       "zone2las: zones.txt:3: the lines "
       "end in a carriage return alone; save the table with LF or CRLF line "
       "ends\n"},
  };
  for (const Case& c : kCases) {
    const Conversion run = Convert("zones.txt", c.table);
    EXPECT_EQ(1, run.result.status);
    EXPECT_EQ(c.err, run.result.err);
    EXPECT_THAT(run.names, ElementsAre("zones.txt"));
  }
}

// Curve names that would start a section or a comment, or end a unit early.
TEST(EndToEndTableChecks, RefusesHeaderNamesThatBreakTheLasFile) {
  const Conversion run = Convert(
      "zones.txt", "WELL TOP BOTTOM ZONE ~A POR #C K:1\nW1 1 2 A 1 2 3 4\n");
  EXPECT_EQ(1, run.result.status);
  EXPECT_EQ(
      "zone2las: zones.txt:1: column 5 is named \"~A\"; a curve name may not "
      "start with ~ or # nor hold :\n",
      run.result.err);
  EXPECT_THAT(run.names, ElementsAre("zones.txt"));
}

}  // namespace
