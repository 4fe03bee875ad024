// Line ends as tables come from other systems: CRLF and CR CR LF read as LF,
// and a carriage return alone among lines that end in a line feed refuses
// its line instead of running records together. Run by the Windows program
// under an emulator too.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/scratch.h"

using ::testing::ElementsAre;

namespace {

// Every file of a conversion of |table| named |name|.
Conversion Convert(const std::string& name, const std::string& table) {
  return ConvertTable(name, table, {name});
}

// |lf_table| with each line feed replaced by |line_end|.
std::string WithLineEnds(const std::string& lf_table,
                         const std::string& line_end) {
  std::string table;
  for (const char c : lf_table) {
    if (c == '\n')
      table += line_end;
    else
      table += c;
  }
  return table;
}

const char kWhiteSpaceTable[] =
    "WELL TOP BOTTOM ZONE POR\n"
    "W1 100 100.5 A 0.21\n"
    "W1 100.5 101 B 0.18\n"
    "W2 50 50.3 X 0.1\n";

const char kCommaTable[] =
    "Well,Top,Bottom,Zone,POR\n"
    "W1,100,100.5,A,0.21\n"
    "W1,100.5,101,B,0.18\n"
    "W2,50,50.3,X,0.1\n";

TEST(EndToEndLineEnds, CarriageReturnsBeforeTheLineFeedBelongToTheLineEnd) {
  for (const char* table : {kWhiteSpaceTable, kCommaTable}) {
    const std::string name =
        table == kCommaTable ? "zones.csv" : "zones.txt";
    const Conversion lf = Convert(name, table);
    ASSERT_EQ(0, lf.result.status) << lf.result.err;
    ASSERT_THAT(lf.names, ElementsAre("W1.las", "W2.las"));
    for (const char* line_end : {"\r\n", "\r\r\n"}) {
      SCOPED_TRACE(name + " with " + (line_end[1] == '\n' ? "CRLF" : "CRCRLF"));
      const std::string lf_table = table;
      for (const std::string& form :
           {WithLineEnds(lf_table, line_end),
            // The last line's run of carriage returns with no line feed.
            WithLineEnds(lf_table.substr(0, lf_table.size() - 1), line_end) +
                "\r\r"}) {
        const Conversion run = Convert(name, form);
        EXPECT_EQ(0, run.result.status);
        EXPECT_EQ("", run.result.err);
        EXPECT_EQ(lf.names, run.names);
        EXPECT_EQ(lf.files, run.files);
      }
    }
  }
}

// The header ends in a line feed, the data lines in a carriage return alone:
// read by line feeds, the whole data is one line that holds every record.
TEST(EndToEndLineEnds, ACarriageReturnInsideALineRefusesThatLine) {
  const std::string kReason =
      "a carriage return (\\r) stands before the end of the line: the table "
      "mixes line ends, and records would run together; save it with LF or "
      "CRLF line ends\n";
  struct Case {
    const char* name;
    const char* table;
  };
  const Case kCases[] = {
      {"zones.txt",
       "WELL TOP BOTTOM ZONE POR\n"
       "W1 100 101 A 0.1\rW1 101 102 B 0.2\rW2 5 6 C 0.3\r"},
      {"zones.csv",
       "Well,Top,Bottom,Zone,POR\n"
       "W1,100,101,A,0.1\rW1,101,102,B,0.2\rW2,5,6,C,0.3\r"},
      // Once after a quoted field, and in the line's last field.
      {"quoted.csv",
       "Well,Top,Bottom,Zone,POR\n"
       "W1,100,101,\"A\"\r,0.1\n"},
      {"last.csv",
       "Well,Top,Bottom,Zone,POR\n"
       "W1,100,101,A,0.1\r\rW2\r\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Conversion run = Convert(c.name, c.table);
    EXPECT_EQ(1, run.result.status);
    EXPECT_EQ("zone2las: " + std::string(c.name) + ":2: " + kReason,
              run.result.err);
    EXPECT_THAT(run.names, ElementsAre());
  }
}

// Only the refused line is left out; the lines around it are converted.
TEST(EndToEndLineEnds, TheLinesAroundARefusedLineAreConverted) {
  const Conversion run = Convert("zones.txt",
                                 "WELL TOP BOTTOM ZONE POR\r\n"
                                 "W1 100 100.5 A 0.21\r\n"
                                 "W1 100.5 101 B 0.18\rW1 101 102 C 0.3\r\n"
                                 "W2 50 50.3 X 0.1\r\n");
  EXPECT_EQ(1, run.result.status);
  EXPECT_THAT(run.result.err,
              ::testing::StartsWith("zone2las: zones.txt:3: a carriage "
                                    "return (\\r) stands before the end"));
  const Conversion twin = Convert("zones.txt",
                                  "WELL TOP BOTTOM ZONE POR\n"
                                  "W1 100 100.5 A 0.21\n"
                                  "W2 50 50.3 X 0.1\n");
  EXPECT_EQ(twin.names, run.names);
  EXPECT_EQ(twin.files, run.files);
}

// Inside quotes a carriage return is white space of the text, joined as any
// other; the note shows it escaped, never raw.
TEST(EndToEndLineEnds, NotesShowControlCharactersEscaped) {
  const Conversion run = Convert("zones.csv",
                                 "Well,Top,Bottom,Zone,POR\n"
                                 "W1,100,101,\"Sand\rA\",0.1\n");
  EXPECT_EQ(0, run.result.status);
  EXPECT_EQ(
      "zone2las: zones.csv:2: note: zone \"Sand\\rA\" written as Sand_A\n",
      run.result.err);
  EXPECT_THAT(run.names, ElementsAre("W1.las"));
}

// A command line refused shows its control characters escaped too.
TEST(EndToEndLineEnds, CommandLineMessagesShowControlCharactersEscaped) {
  ScratchDir dir;
  dir.Write("zones.txt", kWhiteSpaceTable);
  const ProgramResult result = RunProgram(dir, {"zones.txt", "0.\r1"});
  EXPECT_EQ(2, result.status);
  EXPECT_THAT(result.err,
              ::testing::StartsWith("zone2las: step \"0.\\r1\" is not "));
  EXPECT_EQ(std::string::npos, result.err.find('\r'));
}

}  // namespace
