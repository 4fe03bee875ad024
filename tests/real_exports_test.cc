// Tables as real exports give them, converted as they stand: columns in
// their own order chosen by name or number, tops tables of picks, comment
// lines, one-well tables, well names with '/', lines with more fields than
// the header. Each is held against the table a script would have made of
// it, byte for byte.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/scratch.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

Conversion Convert(const std::string& name, const std::string& table,
                   const std::vector<std::string>& args,
                   const std::vector<std::string>& folders = {}) {
  return ConvertTable(name, table, args, folders);
}

// The positional twin of the tables below.
const char kTwin[] =
    "WELL TOP BOTTOM ZONE POR PERM\n"
    "A-1 100 101.5 Sand 0.2 150\n"
    "A-1 101.5 103 Shale 0.05 1\n"
    "B-2 50 52 Sand 0.25 300\n";

TEST(RealExports, ColumnsChosenByNameOrNumber) {
  const Conversion twin = Convert("t.txt", kTwin, {"t.txt", "0.5"});
  ASSERT_EQ(0, twin.result.status) << twin.result.err;
  // Two id columns first, the depths later and swapped, a column to leave.
  const std::string table =
      "Id,Project,Hole ID,Perm,Depth To,Depth From,Lithology,Porosity,Note\n"
      "1,P,A-1,150,101.5,100,Sand,0.2,x\n"
      "2,P,A-1,1,103,101.5,Shale,0.05,y\n"
      "3,P,B-2,300,52,50,Sand,0.25,z\n";
  const std::vector<std::vector<std::string>> choices = {
      {"--well-column", "Hole ID", "--top-column", "depth_from",
       "--bottom-column", "DEPTH TO", "--zone-column", "lithology",
       "--value-columns", "Porosity,Perm"},
      {"--well-column", "3", "--top-column", "6", "--bottom-column", "5",
       "--zone-column", "7", "--value-columns", "8,4"},
  };
  for (std::vector<std::string> args : choices) {
    SCOPED_TRACE(args[1]);
    args.insert(args.end(), {"t.csv", "0.5"});
    const Conversion run = Convert("t.csv", table, args);
    EXPECT_EQ(0, run.result.status);
    EXPECT_EQ("", run.result.err);
    EXPECT_EQ(twin.names, run.names);
    // The curves are named as the table names them.
    ASSERT_EQ(twin.files.size(), run.files.size());
    for (std::size_t i = 0; i < twin.files.size(); ++i) {
      std::string expected = twin.files[i];
      expected.replace(expected.find("POR. :"), 6, "Porosity. :");
      expected.replace(expected.find("PERM. :"), 7, "Perm. :");
      EXPECT_EQ(expected, run.files[i]);
    }
  }
}

TEST(RealExports, ColumnChoicesThatDoNotFitTheHeaderAreRefused) {
  const std::string table = "Id,Hole,From,To,Lith\n1,A,0,1,S\n";
  struct Case {
    std::vector<std::string> args;
    const char* err;
  };
  const Case kCases[] = {
      {{"--well-column", "Borehole"},
       "zone2las: t.csv:1: --well-column \"Borehole\": the header line names "
       "no such column: 1 \"Id\", 2 \"Hole\", 3 \"From\", 4 \"To\", 5 "
       "\"Lith\"\n"},
      {{"--zone-column", "9"},
       "zone2las: t.csv:1: --zone-column 9: the header line has columns 1 to "
       "5: 1 \"Id\", 2 \"Hole\", 3 \"From\", 4 \"To\", 5 \"Lith\"\n"},
      {{"--well-column", "Hole"},
       "zone2las: t.csv:1: column 2 (\"Hole\") is both the well and the top "
       "depth; choose the top depth's column with --top-column\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.args[0]);
    std::vector<std::string> args = c.args;
    args.push_back("t.csv");
    const Conversion run = Convert("t.csv", table, args);
    EXPECT_EQ(2, run.result.status);
    EXPECT_EQ(c.err, run.result.err);
    EXPECT_THAT(run.names, ElementsAre());
  }
}

// Picks out of order, two wells interleaved, two picks at one depth, a well
// with one pick: the files of the units written as a zone table.
TEST(RealExports, TopsTablesGiveTheFilesOfTheirUnits) {
  const std::string picks =
      "Well,Depth,Formation,POR\n"
      "B,30,TD,0\n"
      "A,10,Nordland,0.1\n"
      "A,20,Hordaland Gp,0.2\n"
      "B,5,Top,0.3\n"
      "A,20,Utsira Fm,0.25\n"
      "A,35,TD,0\n"
      "C,12,Only,1\n"
      "B,18,Mid,0.4\n";
  const Conversion run = Convert("picks.csv", picks, {"--tops", "picks.csv"});
  EXPECT_EQ(0, run.result.status);
  EXPECT_EQ(
      "zone2las: picks.csv:4: note: zone \"Hordaland Gp\" written as "
      "Hordaland_Gp\n"
      "zone2las: picks.csv:6: note: zone \"Utsira Fm\" written as "
      "Utsira_Fm\n"
      "zone2las: picks.csv:4: note: 1 pick stands at the depth of a later "
      "pick of its well and gives no unit: the last pick at a depth gives its "
      "unit\n"
      "zone2las: picks.csv:8: note: well \"C\" has fewer than two picks at "
      "different depths and gets no file; 1 well of this run gets none (a "
      "last pick at total depth gives the deepest unit its base)\n",
      run.result.err);
  const Conversion twin = Convert("t.txt",
                                  "WELL TOP BOTTOM ZONE POR\n"
                                  "A 10 20 Nordland 0.1\n"
                                  "A 20 35 Utsira_Fm 0.25\n"
                                  "B 5 18 Top 0.3\n"
                                  "B 18 30 Mid 0.4\n",
                                  {"t.txt"});
  EXPECT_EQ(twin.names, run.names);
  EXPECT_EQ(twin.files, run.files);
  // The same picks with the depth named, and for one well alone.
  const Conversion named =
      Convert("picks.txt", "Name MD Top\nx 1 A\nx 3 B\nx 4 TD\n",
              {"--tops", "--top-column", "MD", "picks.txt"});
  const Conversion one_well =
      Convert("picks.txt", "MD Top\n1 A\n3 B\n4 TD\n",
              {"--tops", "--well", "x", "picks.txt"});
  const Conversion units = Convert(
      "t.txt", "W T B Z\nx 1 3 A\nx 3 4 B\n", {"t.txt"});
  EXPECT_EQ(units.files, named.files);
  EXPECT_EQ(units.files, one_well.files);
  EXPECT_EQ(0, one_well.result.status) << one_well.result.err;
}

TEST(RealExports, CommentLinesAreSkippedOnRequest) {
  const std::string table =
      "# Site 1208, lithology\n"
      "  # exported 2024-01-01\n"
      "WELL TOP BOTTOM ZONE\n"
      "# unit A\n"
      "#3 0 1 A\n"
      "W1 0 1 A\n";
  const Conversion run = Convert("t.txt", table, {"--comments", "#", "t.txt"});
  EXPECT_EQ(0, run.result.status) << run.result.err;
  EXPECT_THAT(run.names, ElementsAre("W1.las"));
  // Without the option a well may be named "#3".
  const Conversion plain = Convert("t.txt",
                                   "WELL TOP BOTTOM ZONE\n#3 0 1 A\n",
                                   {"t.txt"});
  EXPECT_EQ(0, plain.result.status) << plain.result.err;
  EXPECT_THAT(plain.names, ElementsAre("#3.las"));
}

TEST(RealExports, OneWellTables) {
  const Conversion run = Convert(
      "t.csv", "Top,Base,Unit\n0,2.5,Till\n2.5,4,Clay\n",
      {"--well", "BH 7", "t.csv"});
  EXPECT_EQ(0, run.result.status) << run.result.err;
  const Conversion twin = Convert(
      "t.csv", "Hole,Top,Base,Unit\nBH 7,0,2.5,Till\nBH 7,2.5,4,Clay\n",
      {"t.csv"});
  EXPECT_EQ(twin.names, run.names);
  EXPECT_EQ(twin.files, run.files);
}

TEST(RealExports, WellNamesWithSlashes) {
  const std::string table =
      "Well,Top,Bottom,Zone\n"
      "NO 15/9-F-11,2600,2610,Hugin\n"
      "CON,1,2,A\n"
      "\"Pit 3: *dry*\",1,2,B\n";
  const Conversion missing = Convert("t.csv", table, {"t.csv"});
  EXPECT_EQ(1, missing.result.status);
  EXPECT_THAT(missing.result.err,
              HasSubstr("zone2las: t.csv:2: cannot create NO 15/9-F-11.las: "));
  EXPECT_THAT(missing.result.err,
              HasSubstr("(the well's name places its file in the folder \"NO "
                        "15\"; --flat-names keeps the whole name in the "
                        "file's name: NO 15_9-F-11.las)\n"));
  // With the folder, the WELL line keeps the whole name.
  const Conversion folder =
      Convert("t.csv", "Well,Top,Bottom,Zone\nNO 15/9-F-11,2600,2610,Hugin\n",
              {"t.csv"}, {"NO 15"});
  EXPECT_EQ(0, folder.result.status) << folder.result.err;
  // The same file names on every system, the names as written inside.
  const Conversion flat = Convert("t.csv", table, {"--flat-names", "t.csv"});
  EXPECT_EQ(0, flat.result.status) << flat.result.err;
  ASSERT_THAT(flat.names, ElementsAre("CON_.las", "NO 15_9-F-11.las",
                                      "Pit 3_ _dry_.las"));
  EXPECT_THAT(flat.files[1], HasSubstr("\nWELL.         NO 15/9-F-11 :\n"));
  EXPECT_THAT(flat.files[2], HasSubstr("\nWELL.         Pit 3: *dry* :\n"));
  EXPECT_THAT(flat.files[0], HasSubstr("\nWELL.                  CON :\n"));
}

TEST(RealExports, LinesWithMoreFieldsThanTheHeaderAreNoted) {
  const Conversion run = Convert("t.txt",
                                 "WELL TOP BOTTOM ZONE CLAY\n"
                                 "W 0 1 Sand 0.1\n"
                                 "W 1 2 Diatomite 0.7 Clay 0.3\n"
                                 "W 2 3 Diatomite 0.6 Clay 0.4\n",
                                 {"t.txt"});
  EXPECT_EQ(0, run.result.status);
  EXPECT_EQ(
      "zone2las: t.txt:3: note: 2 lines have more fields than the header "
      "names; the extra fields are ignored (a zone or value holding spaces "
      "belongs in quotes in a CSV table)\n",
      run.result.err);
}

}  // namespace
