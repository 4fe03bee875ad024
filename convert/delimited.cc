// Splitting and tidying the lines of delimited zone tables.
#include "convert/delimited.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "convert/line_end.h"

namespace {

struct DelimiterOption {
  const char* name;
  Delimiter delimiter;
  char byte;
};

constexpr DelimiterOption kDelimiterOptions[] = {
    {"space", Delimiter::kSpace, ' '},
    {"comma", Delimiter::kComma, ','},
    {"semicolon", Delimiter::kSemicolon, ';'},
    {"tab", Delimiter::kTab, '\t'},
};

const DelimiterOption& OptionOf(Delimiter delimiter) {
  for (const DelimiterOption& option : kDelimiterOptions) {
    if (option.delimiter == delimiter) return option;
  }
  return kDelimiterOptions[0];
}

// Blanks are trimmed around fields, but a tab that separates fields is never
// a blank: "a\t\tb" in a tab table is three fields.
bool IsBlank(char c, char delimiter) {
  return (c == ' ' || c == '\t') && c != delimiter;
}

const char* Find(const char* from, const char* end, char c) {
  const void* found =
      std::memchr(from, c, static_cast<std::size_t>(end - from));
  return found == nullptr ? end : static_cast<const char*>(found);
}

// Where the scan puts the fields it keeps. Start(n) begins field n (from 1)
// and says whether it is kept; Append adds bytes to the field begun last;
// End(n) follows the last of n fields.
struct CountOnly {
  bool Start(std::size_t) { return false; }
  void Append(const char*, std::size_t) {}
  void End(std::size_t) {}
};

// Each field a text of its own; the texts of the line before are reused.
struct IntoTexts {
  std::vector<std::string>* fields;
  std::size_t max_fields;
  std::string* field = nullptr;
  bool Start(std::size_t count) {
    if (count > max_fields) return false;
    if (count > fields->size()) fields->emplace_back();
    field = &(*fields)[count - 1];
    field->clear();
    return true;
  }
  void Append(const char* text, std::size_t length) {
    field->append(text, length);
  }
  void End(std::size_t count) { fields->resize(std::min(count, max_fields)); }
};

struct IntoFields {
  Fields* fields;
  std::size_t max_fields;
  bool Start(std::size_t count) {
    if (count == 1) fields->Clear();
    if (count > max_fields) return false;
    fields->Add("", 0);
    return true;
  }
  void Append(const char* text, std::size_t length) {
    fields->Extend(text, length);
  }
  void End(std::size_t) {}
};

// The one pass over a line behind both the splitter and the detection.
// |err| null: the lenient walk of the detection, in which a quote left open
// takes the rest of the line and text after a closing quote belongs to that
// field; otherwise both are errors.
template <typename Out>
bool ScanFields(const char* line, std::size_t length, char delimiter, Out& out,
                std::size_t* field_count, std::string* err) {
  const char* p = line;
  const char* const end = line + LineContentLength(line, length);
  std::size_t count = 0;
  for (;;) {
    const bool kept = out.Start(++count);
    while (p < end && IsBlank(*p, delimiter)) ++p;
    if (p < end && *p == '"') {
      ++p;
      bool closed = false;
      while (p < end) {
        const char* quote = Find(p, end, '"');
        if (kept) out.Append(p, static_cast<std::size_t>(quote - p));
        if (quote == end) {
          p = end;
          break;
        }
        p = quote + 1;
        if (p < end && *p == '"') {
          if (kept) out.Append("\"", 1);
          ++p;
          continue;
        }
        closed = true;
        break;
      }
      if (!closed && err != nullptr) {
        *err = "quoted field " + std::to_string(count) +
               " is not closed before the end of the line";
        return false;
      }
      while (p < end && IsBlank(*p, delimiter)) ++p;
      if (p < end && *p != delimiter) {
        if (err != nullptr && *p == '\r') {
          *err = kMixedLineEndsReason;
          return false;
        }
        if (err != nullptr) {
          *err = "quoted field " + std::to_string(count) +
                 " has text after its closing quote";
          return false;
        }
        p = Find(p, end, delimiter);
      }
    } else {
      const char* start = p;
      p = Find(p, end, delimiter);
      // Inside the line's content, outside quotes: no line end.
      if (err != nullptr &&
          std::memchr(start, '\r', static_cast<std::size_t>(p - start)) !=
              nullptr) {
        *err = kMixedLineEndsReason;
        return false;
      }
      const char* stop = p;
      while (stop > start && IsBlank(stop[-1], delimiter)) --stop;
      if (kept) out.Append(start, static_cast<std::size_t>(stop - start));
    }
    if (p == end) break;
    ++p;  // The delimiter.
  }
  out.End(count);
  *field_count = count;
  return true;
}

std::size_t CountFields(const char* line, std::size_t length, char delimiter) {
  std::size_t count = 0;
  CountOnly out;
  ScanFields(line, length, delimiter, out, &count, nullptr);
  return count;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The end of the run of digits that starts at |i|.
std::size_t SkipDigits(const char* text, std::size_t length, std::size_t i) {
  while (i < length && IsDigit(text[i])) ++i;
  return i;
}

std::size_t SkipSign(const char* text, std::size_t length, std::size_t i) {
  if (i < length && (text[i] == '+' || text[i] == '-')) ++i;
  return i;
}

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

}  // namespace

bool ParseDelimiterOption(const std::string& value,
                          std::optional<Delimiter>* delimiter,
                          std::string* err) {
  if (value == "auto") {
    delimiter->reset();
    return true;
  }
  for (const DelimiterOption& option : kDelimiterOptions) {
    if (value == option.name) {
      *delimiter = option.delimiter;
      return true;
    }
  }
  *err = "delimiter \"" + value +
         "\" is not one of auto, space, comma, semicolon, tab";
  return false;
}

const char* DelimiterName(Delimiter delimiter) {
  return OptionOf(delimiter).name;
}

char DelimiterByte(Delimiter delimiter) { return OptionOf(delimiter).byte; }

Delimiter DetectDelimiter(const char* header, std::size_t length,
                          int least_fields) {
  const std::size_t least = static_cast<std::size_t>(least_fields);
  const std::size_t commas = CountFields(header, length, ',');
  const std::size_t semicolons = CountFields(header, length, ';');
  if (commas >= least && commas >= semicolons) return Delimiter::kComma;
  if (semicolons >= least) return Delimiter::kSemicolon;
  return Delimiter::kSpace;
}

bool SplitDelimitedFields(const char* line, std::size_t length, char delimiter,
                          std::vector<std::string>* fields, std::string* err,
                          std::size_t max_fields) {
  std::size_t count = 0;
  IntoTexts out{fields, max_fields};
  return ScanFields(line, length, delimiter, out, &count, err);
}

bool SplitDelimitedFields(const char* line, std::size_t length, char delimiter,
                          Fields* fields, std::string* err,
                          std::size_t max_fields) {
  std::size_t count = 0;
  IntoFields out{fields, max_fields};
  return ScanFields(line, length, delimiter, out, &count, err);
}

bool DecimalCommaToPoint(char* text, std::size_t length) {
  const std::size_t integer_start = SkipSign(text, length, 0);
  const std::size_t comma = SkipDigits(text, length, integer_start);
  if (comma == length || text[comma] != ',') return false;
  std::size_t i = SkipDigits(text, length, comma + 1);
  if (i - integer_start == 1)  // The comma alone, without a digit.
    return false;
  if (i < length && (text[i] == 'e' || text[i] == 'E')) {
    const std::size_t exponent_start = SkipSign(text, length, i + 1);
    i = SkipDigits(text, length, exponent_start);
    if (i == exponent_start) return false;
  }
  if (i != length) return false;
  text[comma] = '.';
  return true;
}

bool JoinWhiteSpaceRuns(char* text, std::size_t* length) {
  std::size_t out = 0;
  bool changed = false;
  for (std::size_t in = 0; in < *length;) {
    if (!IsWhiteSpace(text[in])) {
      text[out++] = text[in++];
      continue;
    }
    // Past the run before the '_' is written: |out| may stand at its start.
    while (in < *length && IsWhiteSpace(text[in])) ++in;
    text[out++] = '_';
    changed = true;
  }
  *length = out;
  return changed;
}

bool JoinWhiteSpaceRuns(std::string* text) {
  std::size_t length = text->size();
  const bool changed = JoinWhiteSpaceRuns(&(*text)[0], &length);
  text->resize(length);
  return changed;
}
