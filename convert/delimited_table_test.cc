// Delimited lines made into the fields of the equivalent whitespace line,
// and the notes on texts whose white space is joined.
#include "convert/delimited_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Joined(const Fields& fields) {
  std::string joined;
  for (std::size_t i = 0; i < fields.size(); ++i)
    joined += std::string(i == 0 ? "" : "|") + fields[i];
  return joined;
}

TEST(DelimitedTable, GivesTheFieldsOfTheWhitespaceLine) {
  struct Case {
    Delimiter delimiter;
    const char* line;
    const char* fields;  // separated by '|'
  };
  const Case kCases[] = {
      {Delimiter::kComma,
       "\"W 1\",1012.0,1018.5,\"Upper  Shale\",0.24,\"x y\"\r\n",
       "W 1|1012.0|1018.5|Upper_Shale|0.24|x_y"},
      // Empty values are the null value; values past the columns stay as
      // they are (they are left out later).
      {Delimiter::kComma, "W1,1,2,A,,3, a b ", "W1|1|2|A|-9999.0|3|a b"},
      // Decimal commas in depths and values, never in the zone.
      {Delimiter::kSemicolon, "W1;1012,5;\"1018\";1,5;0,24;1,5E-3",
       "W1|1012.5|1018|1,5|0.24|1.5E-3"},
      {Delimiter::kComma, "W1,\"1012,5\",2,A,0,24,x", "W1|1012,5|2|A|0|24|x"},
      {Delimiter::kTab, "W1\t1\t2\tSand A\t\t",
       "W1|1|2|Sand_A|-9999.0|-9999.0"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    std::string notes;
    Reporter reporter("t.csv", &notes);
    DelimitedTable table(c.delimiter, reporter);
    Fields fields;
    std::string err;
    ASSERT_TRUE(table.SplitData(String(c.line), 2, &fields, &err)) << err;
    EXPECT_EQ(c.fields, Joined(fields));
  }
}

TEST(DelimitedTable, RefusesEmptyFixedFieldsAndOpenQuotes) {
  struct Case {
    const char* line;
    const char* err;
  };
  const Case kCases[] = {
      {",1,2,A,0", "the well field is empty"},
      {"W1, ,2,A,0", "the top field is empty"},
      {"W1,1,\"\",A,0", "the bottom field is empty"},
      {"W1,1,2,\"A,0",
       "quoted field 4 is not closed before the end of the line"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.line);
    std::string notes;
    Reporter reporter("t.csv", &notes);
    DelimitedTable table(Delimiter::kComma, reporter);
    Fields fields;
    std::string err;
    EXPECT_FALSE(table.SplitData(String(c.line), 1, &fields, &err));
    EXPECT_EQ(c.err, err);
  }
}

TEST(DelimitedTable, NotesEachChangedTextOnce) {
  std::string notes;
  Reporter reporter("t.csv", &notes);
  DelimitedTable table(Delimiter::kComma, reporter);
  Fields fields;
  std::string err;
  reporter.SetLineNumber(1);
  ASSERT_TRUE(table.SplitNames(String("Well Name,Top,Bottom,Zone,\"K mD\"\n"),
                               &fields, &err));
  table.ArrangeHeader(&fields);
  // The fixed columns' names are not written, and keep their spaces.
  EXPECT_EQ("Well Name|Top|Bottom|Zone|K_mD", Joined(fields));
  for (long line = 2; line <= 4; ++line) {
    reporter.SetLineNumber(line);
    ASSERT_TRUE(table.SplitData(
        String(line == 4 ? "W,1,2,Sand A,Sand A\n" : "W,1,2,Sand A,x\n"), 1,
        &fields, &err));
  }
  EXPECT_EQ(
      "zone2las: t.csv:1: note: column name \"K mD\" written as K_mD\n"
      "zone2las: t.csv:2: note: zone \"Sand A\" written as Sand_A\n"
      "zone2las: t.csv:4: note: value \"Sand A\" written as Sand_A\n",
      notes);
  EXPECT_FALSE(reporter.failed());
}

}  // namespace
