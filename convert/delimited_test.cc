// Delimited lines: every field's bytes, the field count, the errors, and the
// choice between a delimited and a whitespace table.
#include "convert/delimited.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "convert/line_end.h"
#include "tests/scratch.h"

namespace {

std::string Joined(const std::vector<std::string>& fields) {
  std::string joined;
  for (std::size_t i = 0; i < fields.size(); ++i)
    joined += (i == 0 ? "[" : "|[") + fields[i] + "]";
  return joined;
}

struct SplitCase {
  char delimiter;
  std::string line;
  std::string fields;  // Each field in brackets, separated by '|'.
};

TEST(SplitDelimitedFields, GivesEachFieldsText) {
  const SplitCase kCases[] = {
      {',', "WELL,TOP,BOTTOM,ZONE", "[WELL]|[TOP]|[BOTTOM]|[ZONE]"},
      // Quotes, doubled quotes, and delimiters and blanks inside quotes.
      {',', "\"Well Name\",\"Top Depth\"", "[Well Name]|[Top Depth]"},
      {',', "\"Sand A, upper\",1012.5", "[Sand A, upper]|[1012.5]"},
      {',', "\"Shale \"\"B\"\"\",x", "[Shale \"B\"]|[x]"},
      {',', "\"\"\"\",\"\",\"a\"\"\"", "[\"]|[]|[a\"]"},
      {',', "\" padded \",\"\ttab\t\"", "[ padded ]|[\ttab\t]"},
      // Blanks around unquoted fields and around a quoted field's quotes.
      {',', "  W1 ,\t1012.0\t, 0.24  ", "[W1]|[1012.0]|[0.24]"},
      {',', "  \"Upper Shale\"  ,\t\"x\"\t", "[Upper Shale]|[x]"},
      {',', "W1, 2 m ,x", "[W1]|[2 m]|[x]"},
      // Empty fields are kept and counted.
      {',', "a,,b", "[a]|[]|[b]"},
      {',', "a,b,", "[a]|[b]|[]"},
      {',', ",", "[]|[]"},
      {',', "  ,  ", "[]|[]"},
      {',', "", "[]"},
      // The line end belongs to no field, quoted or not.
      {',', "a,b\r\n", "[a]|[b]"},
      {',', "a,b\n", "[a]|[b]"},
      {',', "a,\"b\"\r\n", "[a]|[b]"},
      {',', "a,\r\n", "[a]|[]"},
      {',', "a,b\r", "[a]|[b]"},
      {',', "a,b\r\r\n", "[a]|[b]"},
      {',', "a,\"b\r\"\r\r", "[a]|[b\r]"},
      // Bytes other than the delimiter, blanks and quotes pass as they are.
      {',', "\"Gr\xC3\xA8s rouge\",\xC3\x98rn",
       "[Gr\xC3\xA8s rouge]|[\xC3\x98rn]"},
      {',', "12\" core,5\"", "[12\" core]|[5\"]"},
      {',', std::string("a\0b,c", 5), std::string("[a\0b]|[c]", 9)},
      // Semicolon tables: the comma is text, often a decimal mark.
      {';', "W1;1012,5;0,24", "[W1]|[1012,5]|[0,24]"},
      {';', "\"Sand; upper\";x", "[Sand; upper]|[x]"},
      // Tab tables: a tab separates, so it is no blank; spaces still are.
      {'\t', "a\t\tb", "[a]|[]|[b]"},
      {'\t', " a \t b \t", "[a]|[b]|[]"},
      {'\t', "\"x\ty\"\t\"z\" ", "[x\ty]|[z]"},
  };
  // One vector for every case, as a reader keeps it from line to line: no
  // field of a longer line may be left behind.
  std::vector<std::string> fields;
  for (const SplitCase& c : kCases) {
    SCOPED_TRACE(c.line);
    std::string err;
    EXPECT_TRUE(SplitDelimitedFields(c.line.data(), c.line.size(), c.delimiter,
                                     &fields, &err));
    EXPECT_EQ("", err);
    EXPECT_EQ(c.fields, Joined(fields));
  }
}

TEST(SplitDelimitedFields, ReadsNoByteBeyondTheGivenLength) {
  const char kLine[] = "a,\"b\",c,d";
  std::vector<std::string> fields;
  std::string err;
  ASSERT_TRUE(SplitDelimitedFields(kLine, 5, ',', &fields, &err));
  EXPECT_EQ("[a]|[b]", Joined(fields));
  // Cut inside the quotes, the same bytes are an open quote.
  EXPECT_FALSE(SplitDelimitedFields(kLine, 4, ',', &fields, &err));
}

struct ErrorCase {
  char delimiter;
  const char* line;
  const char* err;
};

TEST(SplitDelimitedFields, RefusesBrokenQuotes) {
  const ErrorCase kCases[] = {
      {',', "\"Upper Shale",
       "quoted field 1 is not closed before the end of the line"},
      {',', "W1,\"Upper Shale,0.24",
       "quoted field 2 is not closed before the end of the line"},
      {',', "W1,\"Upper \"\"B\"\"",
       "quoted field 2 is not closed before the end of the line"},
      {',', "W1,\"", "quoted field 2 is not closed before the end of the line"},
      // A line feed inside quotes would continue the field on the next line,
      // which a reader of single lines cannot follow.
      {',', "W1,\"Upper\r\n",
       "quoted field 2 is not closed before the end of the line"},
      {',', "W1,\"Upper\n",
       "quoted field 2 is not closed before the end of the line"},
      {',', "\"Upper\" Shale,x",
       "quoted field 1 has text after its closing quote"},
      {',', "W1,\"Upper\"Shale",
       "quoted field 2 has text after its closing quote"},
      {',', "W1,\"a\";b", "quoted field 2 has text after its closing quote"},
      {';', "W1;\"a\",b;c", "quoted field 2 has text after its closing quote"},
      {'\t', "\"a\" \"b\"\tc",
       "quoted field 1 has text after its closing quote"},
      // A carriage return outside quotes, other than the line end.
      {',', "W1,0.1\rW2,0.2\n", kMixedLineEndsReason},
      {',', "W1,\"a\"\r,b", kMixedLineEndsReason},
  };
  for (const ErrorCase& c : kCases) {
    SCOPED_TRACE(c.line);
    std::vector<std::string> fields;
    std::string err;
    EXPECT_FALSE(SplitDelimitedFields(c.line, std::string(c.line).size(),
                                      c.delimiter, &fields, &err));
    EXPECT_EQ(c.err, err);
  }
}

struct DetectCase {
  const char* header;
  Delimiter expected;
};

TEST(DetectDelimiter, NeedsFourFieldsOutsideQuotes) {
  const DetectCase kCases[] = {
      {"\"Well Name\",\"Top Depth\",\"Bottom Depth\",\"Zone\"",
       Delimiter::kComma},
      {"\"Well Name\",\"Top Depth\",\"Bottom Depth\",\"Zone\"\r\n",
       Delimiter::kComma},
      {"WELL,TOP,BOTTOM,ZONE", Delimiter::kComma},
      {"WELL,TOP,BOTTOM", Delimiter::kSpace},
      {"WELL;TOP;BOTTOM;ZONE;POR\n", Delimiter::kSemicolon},
      {"WELL;TOP;BOTTOM", Delimiter::kSpace},
      // Whitespace headers with commas inside names stay whitespace until
      // the commas alone make four fields.
      {"WELL TOP BOTTOM ZONE POR PERM,mD", Delimiter::kSpace},
      {"WELL TOP BOTTOM ZONE POR,% PERM,mD SW,v/v", Delimiter::kComma},
      {"WELL\tTOP\tBOTTOM\tZONE\tPOR", Delimiter::kSpace},
      {"WELL TOP BOTTOM ZONE", Delimiter::kSpace},
      {"", Delimiter::kSpace},
      // Delimiters inside quotes do not count; a doubled quote stays inside.
      {"\"Well, name\";\"Top\";\"Bottom\";\"Zone\"", Delimiter::kSemicolon},
      {"\"a,b,c,d\";TOP", Delimiter::kSpace},
      {"\"a \"\",b,c,d\";TOP", Delimiter::kSpace},
      // Both give four or more: the one that gives more, the comma on a tie.
      {"WELL;TOP;BOTTOM;ZONE;PHI 0,1-0,3;K 1,5;SW 0,5", Delimiter::kSemicolon},
      {"W,T,B,Z,P;Q;R;S,X", Delimiter::kComma},
      {"a,b,c,d;e;f;g", Delimiter::kComma},
      // A header whose last quote is left open is still a CSV header, so
      // that its reader, not the whitespace one, reports the quote.
      {"\"Well Name\",\"Top Depth\",\"Bottom Depth\",\"Zone",
       Delimiter::kComma},
  };
  for (const DetectCase& c : kCases) {
    SCOPED_TRACE(c.header);
    EXPECT_EQ(DelimiterName(c.expected),
              std::string(DelimiterName(
                  DetectDelimiter(c.header, std::string(c.header).size()))));
  }
}

TEST(DelimiterOption, NamesEachDelimiterBothWays) {
  const Delimiter kDelimiters[] = {Delimiter::kSpace, Delimiter::kComma,
                                   Delimiter::kSemicolon, Delimiter::kTab};
  const char kBytes[] = {' ', ',', ';', '\t'};
  for (int i = 0; i < 4; ++i) {
    std::optional<Delimiter> read;
    std::string err;
    ASSERT_TRUE(
        ParseDelimiterOption(DelimiterName(kDelimiters[i]), &read, &err));
    EXPECT_EQ(kDelimiters[i], read);
    EXPECT_EQ(kBytes[i], DelimiterByte(kDelimiters[i]));
  }
  std::optional<Delimiter> read = Delimiter::kTab;
  std::string err;
  ASSERT_TRUE(ParseDelimiterOption("auto", &read, &err));
  EXPECT_FALSE(read.has_value());
  EXPECT_EQ("", err);
}

TEST(DelimiterOption, RefusesOtherValues) {
  for (const char* value : {"Comma", "csv", ",", "", "auto "}) {
    std::optional<Delimiter> read;
    std::string err;
    EXPECT_FALSE(ParseDelimiterOption(value, &read, &err));
    EXPECT_EQ(std::string("delimiter \"") + value +
                  "\" is not one of auto, space, comma, semicolon, tab",
              err);
  }
}

struct TextCase {
  const char* before;
  const char* after;  // Equal to |before| when the text must not change.
};

TEST(DecimalCommaToPoint, ChangesOnlyNumbersWithADecimalComma) {
  const TextCase kCases[] = {
      {"1012,5", "1012.5"},
      {"-0,24", "-0.24"},
      {"+0,5", "+0.5"},
      {",5", ".5"},
      {"5,", "5."},
      {"-,5", "-.5"},
      {"1,5E-3", "1.5E-3"},
      {"2,0e+10", "2.0e+10"},
      {"0,31e2", "0.31e2"},
      // Not a number with one decimal comma: left for the caller to judge.
      {"1012.5", "1012.5"},
      {"1.012,5", "1.012,5"},
      {"1,2,3", "1,2,3"},
      {",", ","},
      {"-,", "-,"},
      {"", ""},
      {"abc", "abc"},
      {"1,5 m", "1,5 m"},
      {" 1,5", " 1,5"},
      {"1,5E", "1,5E"},
      {"1,5e+", "1,5e+"},
      {"1,5e3x", "1,5e3x"},
      {"--1,5", "--1,5"},
      {"Sand 1,2", "Sand 1,2"},
      {"E,5", "E,5"},
  };
  for (const TextCase& c : kCases) {
    SCOPED_TRACE(c.before);
    std::string text = c.before;
    EXPECT_EQ(std::string(c.before) != c.after,
              DecimalCommaToPoint(&text[0], text.size()));
    EXPECT_EQ(c.after, text);
  }
}

TEST(JoinWhiteSpaceRuns, GivesOneUnderscorePerRun) {
  const TextCase kCases[] = {
      {"Upper Shale", "Upper_Shale"},
      {"Horton  Bluff\tFm", "Horton_Bluff_Fm"},
      {"a \t\r\n\v\f b", "a_b"},
      {"a b c d", "a_b_c_d"},
      {" a ", "_a_"},
      {"Gr\xC3\xA8s rouge", "Gr\xC3\xA8s_rouge"},
      // A no-break space is UTF-8 text, not a byte of white space.
      {"Sand\xC2\xA0"
       "A",
       "Sand\xC2\xA0"
       "A"},
      {"Sand_A", "Sand_A"},
      {"", ""},
  };
  for (const TextCase& c : kCases) {
    SCOPED_TRACE(c.before);
    std::string text = c.before;
    EXPECT_EQ(std::string(c.before) != c.after, JoinWhiteSpaceRuns(&text));
    EXPECT_EQ(c.after, text);
  }
}

// The lines of |text|, each with its own line end.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    const std::size_t next = end == std::string::npos ? text.size() : end + 1;
    lines.push_back(text.substr(at, next - at));
    at = next;
  }
  return lines;
}

// The tokens of a whitespace table line, space-separated.
std::string WhiteSpaceTokens(const std::string& line) {
  std::string tokens;
  std::size_t at = line.find_first_not_of(" \t\r\n");
  while (at != std::string::npos) {
    const std::size_t end = line.find_first_of(" \t\r\n", at);
    tokens += (tokens.empty() ? "" : " ") + line.substr(at, end - at);
    at =
        end == std::string::npos ? end : line.find_first_not_of(" \t\r\n", end);
  }
  return tokens;
}

// A delimited line as the converter must see it: names, zones and values with
// white space joined, an empty value as the NULL text, decimal commas in
// depths and values as points in semicolon tables.
std::string TidiedTokens(std::vector<std::string> fields, bool header,
                         Delimiter delimiter) {
  std::string tokens;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::string& field = fields[i];
    if (delimiter == Delimiter::kSemicolon && !header && i != 0 && i != 3)
      DecimalCommaToPoint(&field[0], field.size());
    if (header || i >= 3) JoinWhiteSpaceRuns(&field);
    if (!header && i >= 4 && field.empty()) field = "-9999.0";
    tokens += (i == 0 ? "" : " ") + field;
  }
  return tokens;
}

TEST(DelimitedTables, ReadAsTheirWhiteSpaceTwins) {
  const struct {
    const char* table;
    const char* twin;
    Delimiter delimiter;
  } kFixtures[] = {
      {"delimited/comma.csv", "delimited/comma.txt", Delimiter::kComma},
      {"delimited/semicolon.csv", "delimited/semicolon.txt",
       Delimiter::kSemicolon},
  };
  for (const auto& fixture : kFixtures) {
    SCOPED_TRACE(fixture.table);
    const std::vector<std::string> lines = Lines(ReadTestData(fixture.table));
    const std::vector<std::string> twin = Lines(ReadTestData(fixture.twin));
    ASSERT_EQ(twin.size(), lines.size());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(fixture.delimiter,
              DetectDelimiter(lines[0].data(), lines[0].size()));
    // The twin's header, with a delimiter inside one of its names, is still
    // a whitespace header.
    EXPECT_EQ(Delimiter::kSpace,
              DetectDelimiter(twin[0].data(), twin[0].size()));
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      SCOPED_TRACE("line " + std::to_string(i + 1));
      const std::string expected = WhiteSpaceTokens(twin[i]);
      if (expected.empty()) {
        EXPECT_EQ("", WhiteSpaceTokens(lines[i]));
        continue;
      }
      std::string err;
      ASSERT_TRUE(SplitDelimitedFields(lines[i].data(), lines[i].size(),
                                       DelimiterByte(fixture.delimiter),
                                       &fields, &err))
          << err;
      EXPECT_EQ(expected, TidiedTokens(fields, i == 0, fixture.delimiter));
    }
  }
}

TEST(DelimitedTables, StopAtAQuoteLeftOpen) {
  const std::vector<std::string> lines =
      Lines(ReadTestData("delimited/unterminated_quote.csv"));
  ASSERT_EQ(3u, lines.size());
  ASSERT_EQ(Delimiter::kComma,
            DetectDelimiter(lines[0].data(), lines[0].size()));
  std::vector<std::string> fields;
  std::string err;
  EXPECT_FALSE(SplitDelimitedFields(lines[1].data(), lines[1].size(), ',',
                                    &fields, &err));
  EXPECT_EQ("quoted field 4 is not closed before the end of the line", err);
}

}  // namespace
