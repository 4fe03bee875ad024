#include "io/line_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/scratch.h"

namespace {

// A line's text as the expectations write it; a long one by its length and
// ends, so that a failure prints in a few lines.
std::string Text(const std::string& text) {
  if (text.size() <= 64) return "text \"" + text + "\"";
  return "text of " + std::to_string(text.size()) + " bytes \"" +
         text.substr(0, 16) + "..." + text.substr(text.size() - 16) + "\"";
}

// What the reader hands out for one line: the text, or the refusal or
// failure with its reason, and the line's number.
std::string Describe(LineReader::Status status, const String& line,
                     const std::string& err, long number) {
  const std::string at = std::to_string(number) + ": ";
  switch (status) {
    case LineReader::Status::kText:
      return at + Text(line.GetText());
    case LineReader::Status::kUnreadable:
      return at + "unreadable: " + err;
    case LineReader::Status::kEnd:
      return "end";
    case LineReader::Status::kFailed:
      return "failed: " + err;
  }
  return "?";
}

// Every line of a file with |content|, up to and including the end.
std::vector<std::string> ReadAll(const std::string& content,
                                 std::size_t max_line_bytes) {
  ScratchDir dir;
  dir.Write("zones.txt", content);
  DiskFile file;
  file.SetName((dir / "zones.txt").string().c_str());
  EXPECT_TRUE(file.OpenRead(false));
  LineReader reader(file, max_line_bytes);
  std::vector<std::string> lines;
  for (int i = 0; i < 100; ++i) {
    String line("<unchanged>");
    std::string err;
    const LineReader::Status status = reader.Next(&line, &err);
    lines.push_back(Describe(status, line, err, reader.line_number()));
    if (status == LineReader::Status::kEnd ||
        status == LineReader::Status::kFailed)
      break;
  }
  return lines;
}

TEST(LineReader, HandsOutWholeLinesAndRefusesThoseThatAreNoText) {
  // The file is read in chunks of 64 KiB; these lines end on either side of
  // the first chunk's end.
  const std::string piece(65535, 'p');
  // With a limit of 1 MiB.
  const std::string over_limit = std::string((1 << 20) + 1, 'x') + "\n";
  const std::string at_limit(1 << 20, 'x');
  struct Case {
    const char* name;
    std::string content;
    std::vector<std::string> expected;
  } cases[] = {
      {"empty file", "", {"end"}},
      {"line feeds and carriage returns",
       "a b\r\n\nc",
       {"1: " + Text("a b\r\n"), "2: " + Text("\n"), "3: " + Text("c"), "end"}},
      {"line that fills one chunk",
       piece + "\nnext\n",
       {"1: " + Text(piece + "\n"), "2: " + Text("next\n"), "end"}},
      {"line one byte over a chunk",
       piece + "q\nnext\n",
       {"1: " + Text(piece + "q\n"), "2: " + Text("next\n"), "end"}},
      {"short line across a chunk's end",
       std::string(65530, 's') + "\nacross the end\nnext\n",
       {"1: " + Text(std::string(65530, 's') + "\n"),
        "2: " + Text("across the end\n"), "3: " + Text("next\n"), "end"}},
      {"long line without a line feed",
       std::string(150000, 'y'),
       {"1: " + Text(std::string(150000, 'y')), "end"}},
      {"NUL byte",
       std::string("a\0b\nc\n", 6),
       {"1: unreadable: line holds a NUL byte; is this a text file?",
        "2: " + Text("c\n"), "end"}},
      {"NUL byte first",
       std::string("\0a\n", 3),
       {"1: unreadable: line holds a NUL byte; is this a text file?", "end"}},
      {"NUL byte in the second chunk of a line",
       std::string(70000, 'n') + std::string(5, '\0') + "\nc\n",
       {"1: unreadable: line holds a NUL byte; is this a text file?",
        "2: " + Text("c\n"), "end"}},
      {"line over the limit",
       "short\n" + over_limit + at_limit,
       {"1: " + Text("short\n"),
        "2: unreadable: line is longer than 1 MiB; is this a text file?",
        "3: " + Text(at_limit), "end"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.expected, ReadAll(c.content, 1 << 20));
  }
}

TEST(LineReader, AFileThatCannotBeReadFails) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "folder");
  DiskFile file;
  file.SetName((dir / "folder").string().c_str());
  // Some systems refuse to open a directory as a file at all.
  if (!file.OpenRead(false)) GTEST_SKIP() << "directories do not open";
  LineReader reader(file);
  String line;
  std::string err;
  EXPECT_EQ(LineReader::Status::kFailed, reader.Next(&line, &err));
  EXPECT_EQ(std::string("cannot read: ") + std::strerror(EISDIR), err);
}

}  // namespace
