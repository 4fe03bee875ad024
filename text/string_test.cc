#include "text/string.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace {

std::string TextOf(const String& s) {
  return s.GetText() != nullptr ? std::string(s.GetText()) : std::string();
}

// Takes every token up to and including the first empty result.
std::vector<std::string> Tokens(String& line, const char* delimiters) {
  std::vector<std::string> tokens;
  for (;;) {
    String token = line.NextToken(delimiters);
    tokens.push_back(TextOf(token));
    if (token.Length() == 0) return tokens;
  }
}

TEST(StringCapacity, FollowsHowTheStringCameToBe) {
  String made_default;
  EXPECT_EQ(64u, made_default.Capacity());
  EXPECT_EQ("", TextOf(made_default));

  EXPECT_EQ(10u, String(10u).Capacity());
  EXPECT_EQ(1u, String("").Capacity());
  EXPECT_EQ(6u, String("hello").Capacity());

  String roomy;
  roomy.Assign("hello");
  String copy(roomy);
  EXPECT_EQ(6u, copy.Capacity());
  EXPECT_EQ("hello", TextOf(copy));
}

TEST(StringCapacity, GrowsToExactlyLengthPlusOneAndNeverShrinks) {
  String s;
  const std::string text_63(63, 'x');
  s.Assign(text_63.c_str());
  EXPECT_EQ(64u, s.Capacity());
  EXPECT_EQ(0, s.GetText()[63]);

  const std::string text_64(64, 'y');
  s.Assign(text_64.c_str());
  EXPECT_EQ(65u, s.Capacity());
  EXPECT_EQ(text_64, TextOf(s));

  s.Assign("ab");
  EXPECT_EQ(65u, s.Capacity());
  EXPECT_EQ("ab", TextOf(s));

  String other("a much longer text than the one before it");
  s.Assign(other);
  EXPECT_EQ(65u, s.Capacity());
  String small("abc");
  small.Assign(other);
  EXPECT_EQ(static_cast<std::uint32_t>(other.Length() + 1), small.Capacity());
  EXPECT_EQ(TextOf(other), TextOf(small));
}

TEST(StringCapacity, NewBufferIsZeroFilled) {
  String s;
  for (std::uint32_t i = 0; i < s.Capacity(); ++i)
    ASSERT_EQ(0, s.GetText()[i]) << "byte " << i;
  String concatenated = String("ab").Concat("cd");
  EXPECT_EQ(0, concatenated.GetText()[4]);
}

TEST(StringAssign, SizedTextGrowsOnlyWhenItMust) {
  String s(1);
  s.Assign("abcdef", 3);
  EXPECT_EQ("abc", TextOf(s));
  EXPECT_EQ(4u, s.Capacity());
  s.Assign("xy", 2);
  EXPECT_EQ("xy", TextOf(s));
  EXPECT_EQ(4u, s.Capacity());
}

// A text written in place is ended where it was said to end, in a buffer
// that grew to exactly that length.
TEST(StringOverwrite, EndsTheTextAtItsLengthAndGrowsOnlyWhenItMust) {
  String s("abcdef");
  std::memcpy(s.Overwrite(2), "xy", 2);
  EXPECT_EQ("xy", TextOf(s));
  EXPECT_EQ(7u, s.Capacity());
  std::memcpy(s.Overwrite(9), "123456789", 9);
  EXPECT_EQ("123456789", TextOf(s));
  EXPECT_EQ(10u, s.Capacity());
}

TEST(StringSwap, ExchangesTextsAndBuffersAndEndsTokenizations) {
  String a("first");
  String b(64);
  b.Assign("x");
  a.NextToken(kWhiteSpace);
  a.Swap(b);
  EXPECT_EQ("x", TextOf(a));
  EXPECT_EQ(64u, a.Capacity());
  EXPECT_EQ("first", TextOf(b));
  EXPECT_EQ(6u, b.Capacity());
  EXPECT_FALSE(a.IsTokenizing());
  EXPECT_FALSE(b.IsTokenizing());
}

TEST(StringAssign, NullTextEmptiesAndKeepsTheBuffer) {
  String s("some text");
  s.Assign(static_cast<const char*>(nullptr));
  EXPECT_EQ("", TextOf(s));
  EXPECT_EQ(0, s.Length());
  EXPECT_EQ(10u, s.Capacity());
}

TEST(StringAssign, OwnTextOrATailOfItIsCopiedSafely) {
  String s("well-1 12.5 13.0");
  s.Assign(s.GetText());
  EXPECT_EQ("well-1 12.5 13.0", TextOf(s));
  s.Assign(s);
  EXPECT_EQ("well-1 12.5 13.0", TextOf(s));
  s.Assign(s.GetText() + 7);
  EXPECT_EQ("12.5 13.0", TextOf(s));
  EXPECT_EQ(17u, s.Capacity());
}

TEST(StringMove, StealsTheBufferAndLeavesTheSourceWithout) {
  String source("abc");
  const char* block = source.GetText();
  String moved(std::move(source));
  EXPECT_EQ(block, moved.GetText());
  EXPECT_EQ(4u, moved.Capacity());
  EXPECT_EQ(nullptr, source.GetText());
  EXPECT_EQ(0u, source.Capacity());
  EXPECT_EQ(0, source.Length());
}

TEST(StringBlank, OnlySpaceTabLineFeedAndCarriageReturnAreBlank) {
  struct Case {
    const char* text;
    bool blank;
  };
  const Case kCases[] = {
      {"", true},      {" \t\r\n  ", true}, {"\v", false},    {"\f", false},
      {"\x80", false}, {"\xa0", false},     {"  x  ", false}, {"\t\t0", false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(c.blank, IsBlankText(c.text)) << '"' << c.text << '"';
    EXPECT_EQ(c.blank, String(c.text).IsBlank()) << '"' << c.text << '"';
  }
  EXPECT_TRUE(IsBlankText(nullptr));
}

TEST(StringEquals, IgnoresLetterCaseAndNothingElse) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  };
  const Case kCases[] = {
      {"WELL-1", "well-1", true},
      {"Well-1", "wELL-1", true},
      {"", "", true},
      {"well-1", "well-1 ", false},
      {"well-1", "well-10", false},
      {"well-1", "well-2", false},
      {"", " ", false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(c.equal, String(c.a).Equals(String(c.b)))
        << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(c.equal, String(c.b).Equals(String(c.a)))
        << '"' << c.b << "\" vs \"" << c.a << '"';
  }
}

TEST(StringConcat, JoinsIntoAnExactBufferAndLeavesOperandsAlone) {
  struct Case {
    const char* first;
    const char* second;
    const char* joined;
  };
  const Case kCases[] = {
      {"ab", "cd", "abcd"},
      {"ab", "", "ab"},
      {"", "cd", "cd"},
      {"", "", ""},
  };
  for (const Case& c : kCases) {
    String first(c.first);
    String second(c.second);
    const std::uint32_t bytes =
        static_cast<std::uint32_t>(std::string(c.joined).size() + 1);

    String from_string = first.Concat(second);
    EXPECT_EQ(c.joined, TextOf(from_string));
    EXPECT_EQ(bytes, from_string.Capacity());

    String from_text = first.Concat(c.second);
    EXPECT_EQ(c.joined, TextOf(from_text));
    EXPECT_EQ(bytes, from_text.Capacity());

    EXPECT_EQ(c.first, TextOf(first));
    EXPECT_EQ(c.second, TextOf(second));
  }
  String s("ab");
  String with_null = s.Concat(static_cast<const char*>(nullptr));
  EXPECT_EQ("ab", TextOf(with_null));
  EXPECT_EQ(3u, with_null.Capacity());
}

TEST(StringConcat, ChainsFromADefaultString) {
  String row;
  row.Assign(String("12.5").Concat(" ").Concat("A").Concat("\n").GetText());
  EXPECT_EQ("12.5 A\n", TextOf(row));
  EXPECT_EQ(64u, row.Capacity());
}

TEST(StringConcat, DoesNotDisturbATokenization) {
  String line("a b c");
  EXPECT_EQ("a", TextOf(line.NextToken(kWhiteSpace)));
  String joined = line.Concat("!");
  EXPECT_EQ("a b c!", TextOf(joined));
  EXPECT_FALSE(joined.IsTokenizing());
  EXPECT_EQ("b", TextOf(line.NextToken(kWhiteSpace)));
}

TEST(StringTokens, SplitsOnRunsOfDelimitersAndEndsWithTheEmptyString) {
  struct Case {
    const char* text;
    const char* delimiters;
    std::vector<std::string> tokens;  // the last is always the empty end
  };
  const Case kCases[] = {
      {" \t well-1  \t12.5\t \t13.0\r\n",
       kWhiteSpace,
       {"well-1", "12.5", "13.0", ""}},
      {"a\n\nb", kWhiteSpace, {"a", "b", ""}},
      {"last-without-delimiter", kWhiteSpace, {"last-without-delimiter", ""}},
      {"", kWhiteSpace, {""}},
      {" \t\r\n ", kWhiteSpace, {""}},
      {" two words ", "", {" two words ", ""}},
      {"a,,b;c", ",;", {"a", "b", "c", ""}},
      {"\xb5m \xe4x", kWhiteSpace, {"\xb5m", "\xe4x", ""}},
      {"a\vb\fc", kWhiteSpace, {"a\vb\fc", ""}},
  };
  for (const Case& c : kCases) {
    String line(c.text);
    EXPECT_EQ(c.tokens, Tokens(line, c.delimiters)) << '"' << c.text << '"';
    EXPECT_FALSE(line.IsTokenizing());
    EXPECT_EQ(c.text, TextOf(line));
  }
}

TEST(StringTokens, TokenBufferIsExactAndNeverBlank) {
  String line("  1234 x ");
  String first = line.NextToken(kWhiteSpace);
  EXPECT_EQ(5u, first.Capacity());
  EXPECT_FALSE(first.IsBlank());
  EXPECT_TRUE(line.IsTokenizing());
  String second = line.NextToken(kWhiteSpace);
  EXPECT_EQ(2u, second.Capacity());
  String end = line.NextToken(kWhiteSpace);
  EXPECT_EQ(1u, end.Capacity());
  EXPECT_TRUE(end.IsBlank());
  EXPECT_FALSE(line.IsTokenizing());
}

TEST(StringTokens, StartsOverAfterTheEnd) {
  String line("first second");
  EXPECT_EQ("first", TextOf(line.NextToken(kWhiteSpace)));
  EXPECT_EQ("second", TextOf(line.NextToken(kWhiteSpace)));
  EXPECT_EQ("", TextOf(line.NextToken(kWhiteSpace)));
  EXPECT_EQ("first", TextOf(line.NextToken(kWhiteSpace)));
}

TEST(StringTokens, AssignRestartsAtTheFirstTokenOfTheNewText) {
  String line("a b c");
  EXPECT_EQ("a", TextOf(line.NextToken(kWhiteSpace)));
  EXPECT_EQ("b", TextOf(line.NextToken(kWhiteSpace)));
  line.Assign("x y");
  EXPECT_FALSE(line.IsTokenizing());
  EXPECT_EQ("x", TextOf(line.NextToken(kWhiteSpace)));

  line.Assign(String("p q"));
  EXPECT_EQ("p", TextOf(line.NextToken(kWhiteSpace)));
  line.Assign(static_cast<const char*>(nullptr));
  EXPECT_EQ("", TextOf(line.NextToken(kWhiteSpace)));
}

TEST(StringTokens, CopyDoesNotTakeTheTokenizerState) {
  String line("a b c");
  line.NextToken(kWhiteSpace);
  String copy(line);
  EXPECT_FALSE(copy.IsTokenizing());
  EXPECT_EQ("a", TextOf(copy.NextToken(kWhiteSpace)));
  EXPECT_EQ("b", TextOf(line.NextToken(kWhiteSpace)));
}

TEST(StringCountTokens, CountsTheWholeTextWhateverTheState) {
  struct Case {
    const char* text;
    int count;
  };
  const Case kCases[] = {
      {"", 0},    {" \t\r\n", 0},          {"one", 1},
      {"a b", 2}, {"\twell 1 2 Z\r\n", 4}, {"a  \t b \n c", 3},
  };
  for (const Case& c : kCases) {
    String line(c.text);
    EXPECT_EQ(c.count, line.CountTokens(kWhiteSpace)) << '"' << c.text << '"';
    EXPECT_FALSE(line.IsTokenizing());
  }
}

TEST(StringCountTokens, LeavesATokenizationInProgressAsItWas) {
  String line("first second third");
  EXPECT_EQ("first", TextOf(line.NextToken(kWhiteSpace)));
  EXPECT_EQ(3, line.CountTokens(kWhiteSpace));
  EXPECT_TRUE(line.IsTokenizing());
  EXPECT_EQ("second", TextOf(line.NextToken(kWhiteSpace)));
  EXPECT_EQ("third", TextOf(line.NextToken(kWhiteSpace)));
  EXPECT_EQ(3, line.CountTokens(kWhiteSpace));
  EXPECT_EQ("", TextOf(line.NextToken(kWhiteSpace)));
  EXPECT_FALSE(line.IsTokenizing());
}

// A line of ten megabytes and a million tokens: each call must cost its own
// token, not the rest of the line.
TEST(StringTokens, LongLineTokenizesInLinearTime) {
  const std::size_t kTokens = 1000000;
  std::string text;
  text.reserve(kTokens * 10);
  for (std::size_t i = 0; i < kTokens; ++i)
    text += (i % 2 == 0) ? "12345.678 " : "ZONE_ABC\t";
  String line(text.c_str());

  const auto start = std::chrono::steady_clock::now();
  std::size_t count = 0;
  std::size_t bytes = 0;
  for (;;) {
    String token = line.NextToken(kWhiteSpace);
    if (token.Length() == 0) break;
    ++count;
    bytes += static_cast<std::size_t>(token.Length());
  }
  EXPECT_EQ(static_cast<int>(kTokens), line.CountTokens(kWhiteSpace));
  const auto elapsed = std::chrono::steady_clock::now() - start;

  EXPECT_EQ(kTokens, count);
  EXPECT_EQ(kTokens / 2 * 17, bytes);
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

// Forces allocation failures through the platform's test limit and lifts
// the limit again whatever the test does.
class StringAllocationFailure : public ::testing::Test {
 protected:
  void TearDown() override { platform::SetAllocationLimitForTesting(0); }

  // Runs |action| with every allocation above |limit| bytes failing and
  // returns how many failures were reported, and what went to standard error.
  template <typename Action>
  int FailuresWhile(std::size_t limit, Action action,
                    std::string* report = nullptr) {
    const int before = platform::AllocationFailureCount();
    ::testing::internal::CaptureStderr();
    platform::SetAllocationLimitForTesting(limit);
    action();
    platform::SetAllocationLimitForTesting(0);
    const std::string output = ::testing::internal::GetCapturedStderr();
    if (report != nullptr) *report = output;
    return platform::AllocationFailureCount() - before;
  }
};

const char kLongText[] = "a text of well over sixteen bytes";

TEST_F(StringAllocationFailure, FirstBufferFailsLeavingAnEmptyStringWithout) {
  String* s = nullptr;
  std::string report;
  EXPECT_EQ(1, FailuresWhile(
                   16, [&] { s = new String(kLongText); }, &report));
  EXPECT_NE(std::string::npos,
            report.find("Memory Allocation Errow in 'String'"))
      << report;
  EXPECT_EQ(nullptr, s->GetText());
  EXPECT_EQ(0u, s->Capacity());
  EXPECT_EQ(0, s->Length());
  EXPECT_TRUE(s->IsBlank());
  EXPECT_TRUE(s->Equals(String("")));
  EXPECT_EQ(0, s->CountTokens(kWhiteSpace));
  EXPECT_EQ("", TextOf(s->NextToken(kWhiteSpace)));
  EXPECT_FALSE(s->IsTokenizing());
  EXPECT_EQ(0.0, s->ToDouble());

  // Nothing is written into the missing buffer.
  s->Assign(static_cast<const char*>(nullptr));
  EXPECT_EQ(nullptr, s->GetText());

  // A copy of it is the empty text; a concatenation is the other operand.
  String copy(*s);
  EXPECT_EQ("", TextOf(copy));
  EXPECT_EQ(1u, copy.Capacity());
  EXPECT_EQ("xy", TextOf(s->Concat("xy")));

  // The next Assign asks for a buffer again.
  s->Assign("back");
  EXPECT_EQ("back", TextOf(*s));
  EXPECT_EQ(5u, s->Capacity());
  delete s;
}

TEST_F(StringAllocationFailure, FailedGrowthLosesTheText) {
  String s("short");
  EXPECT_EQ(1, FailuresWhile(16, [&] { s.Assign(kLongText); }));
  EXPECT_EQ(nullptr, s.GetText());
  EXPECT_EQ(0u, s.Capacity());

  // Asked again under the limit: reported again, nothing copied.
  EXPECT_EQ(1, FailuresWhile(16, [&] { s.Assign(kLongText); }));
  EXPECT_EQ(nullptr, s.GetText());

  s.Assign(kLongText);
  EXPECT_EQ(kLongText, TextOf(s));
}

TEST_F(StringAllocationFailure, AssignFromAStringWithoutBufferEmpties) {
  String lost("x");
  FailuresWhile(16, [&] { lost.Assign(kLongText); });
  String s("keeps its buffer");
  s.Assign(lost);
  EXPECT_EQ("", TextOf(s));
  EXPECT_EQ(17u, s.Capacity());
}

TEST_F(StringAllocationFailure, ConcatResultWithoutBufferLeavesOperandsAlone) {
  String first("0123456789");
  String second("0123456789");
  String* joined = nullptr;
  EXPECT_EQ(
      1, FailuresWhile(16, [&] { joined = new String(first.Concat(second)); }));
  EXPECT_EQ(nullptr, joined->GetText());
  EXPECT_EQ("0123456789", TextOf(first));
  EXPECT_EQ("0123456789", TextOf(second));
  delete joined;
}

TEST_F(StringAllocationFailure, LostTokenEndsTheTokenization) {
  String line("ab 0123456789012345678901234 cd");
  EXPECT_EQ("ab", TextOf(line.NextToken(kWhiteSpace)));
  int count = -1;
  EXPECT_EQ(1, FailuresWhile(16, [&] {
              String token = line.NextToken(kWhiteSpace);
              EXPECT_EQ(nullptr, token.GetText());
              EXPECT_FALSE(line.IsTokenizing());
              // Counting takes no memory: every token counts, even the one
              // that could not be taken.
              count = line.CountTokens(kWhiteSpace);
            }));
  EXPECT_EQ(3, count);
  EXPECT_EQ("ab", TextOf(line.NextToken(kWhiteSpace)));
}

// Tokenizing needs memory for the token only, never for a copy of the rest
// of the line.
TEST_F(StringAllocationFailure, TokenizingAllocatesOnlyTheToken) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "12.5 ZONE ";
  String line(text.c_str());
  int tokens = 0;
  EXPECT_EQ(0, FailuresWhile(16, [&] {
              while (line.NextToken(kWhiteSpace).Length() > 0) ++tokens;
            }));
  EXPECT_EQ(200, tokens);
}

}  // namespace
