// String's tokenizer and text operations against a plain reference. The
// input's first byte gives the number of delimiter bytes that follow it (0:
// the program's white space); the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "text/string.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "tokenizer_fuzzer: %s\n", what);
    std::abort();
  }
}

std::vector<std::string> ReferenceTokens(const std::string& text,
                                         const std::string& delimiters) {
  std::vector<std::string> tokens;
  std::string token;
  for (char c : text) {
    if (delimiters.find(c) != std::string::npos) {
      if (!token.empty()) tokens.push_back(token);
      token.clear();
    } else {
      token += c;
    }
  }
  if (!token.empty()) tokens.push_back(token);
  return tokens;
}

std::string Folded(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const std::size_t delimiter_count = data[0] % 8;
  if (size < 1 + delimiter_count) return 0;
  // Both are C texts to String: each ends at its first NUL byte.
  std::string delimiters(reinterpret_cast<const char*>(data + 1),
                         delimiter_count);
  delimiters = delimiters.c_str();
  if (delimiter_count == 0) delimiters = kWhiteSpace;
  std::string text(reinterpret_cast<const char*>(data + 1 + delimiter_count),
                   size - 1 - delimiter_count);
  text = text.c_str();

  const std::vector<std::string> expected = ReferenceTokens(text, delimiters);
  String line(text.c_str());
  Check(line.Length() == static_cast<int>(text.size()), "length");
  Check(line.Capacity() == text.size() + 1, "capacity");
  Check(
      line.CountTokens(delimiters.c_str()) == static_cast<int>(expected.size()),
      "token count");
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const String token = line.NextToken(delimiters.c_str());
    Check(token.GetText() != nullptr && expected[i] == token.GetText(),
          "token text");
    if (i == 0) {
      // Counting in the middle of a tokenization leaves it where it was.
      Check(line.CountTokens(delimiters.c_str()) ==
                static_cast<int>(expected.size()),
            "token count in the middle");
      Check(line.IsTokenizing(), "tokenizing after a count");
    }
  }
  Check(line.NextToken(delimiters.c_str()).Length() == 0, "end of tokens");
  Check(!line.IsTokenizing(), "at rest after the last token");
  if (!expected.empty()) {
    Check(expected[0] == line.NextToken(delimiters.c_str()).GetText(),
          "start again");
  }

  const String twice = line.Concat(line);
  Check(twice.GetText() != nullptr && text + text == twice.GetText(),
        "concatenation");
  Check(line.IsBlank() ==
            (text.find_first_not_of(" \t\n\r") == std::string::npos),
        "blank test");
  std::string upper_text = text;
  for (char& c : upper_text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  Check(line.Equals(String(upper_text.c_str())), "equality without case");
  const String other((text + "x").c_str());
  Check(line.Equals(other) == (Folded(text) == Folded(text + "x")),
        "inequality");

  // A String assigned a tail of its own text.
  const std::size_t cut = text.size() / 2;
  line.Assign(line.GetText() + cut);
  Check(text.substr(cut) == line.GetText(), "assignment of an own tail");
  Check(line.Capacity() == text.size() + 1, "capacity never shrinks");
  return 0;
}
