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

// The next field of |field_count| (counted from 1) and its text, or only the
// count when |fields| is null or already holds |max_fields|.
std::string* NextField(std::vector<std::string>* fields,
                       std::size_t field_count, std::size_t max_fields) {
  if (fields == nullptr || field_count > max_fields) return nullptr;
  if (field_count > fields->size()) fields->emplace_back();
  std::string* field = &(*fields)[field_count - 1];
  field->clear();
  return field;
}

// The one pass over a line behind both the splitter and the detection.
// |fields| null: count only. |err| null: the lenient walk of the detection,
// in which a quote left open takes the rest of the line and text after a
// closing quote belongs to that field; otherwise both are errors.
bool ScanFields(const char* line, std::size_t length, char delimiter,
                std::vector<std::string>* fields, std::size_t* field_count,
                std::string* err, std::size_t max_fields = SIZE_MAX) {
  const char* p = line;
  const char* const end = line + LineContentLength(line, length);
  std::size_t count = 0;
  for (;;) {
    std::string* field = NextField(fields, ++count, max_fields);
    while (p < end && IsBlank(*p, delimiter)) ++p;
    if (p < end && *p == '"') {
      ++p;
      bool closed = false;
      while (p < end) {
        const char* quote = Find(p, end, '"');
        if (field != nullptr)
          field->append(p, static_cast<std::size_t>(quote - p));
        if (quote == end) {
          p = end;
          break;
        }
        p = quote + 1;
        if (p < end && *p == '"') {
          if (field != nullptr) field->push_back('"');
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
      if (err != nullptr && std::memchr(start, '\r', static_cast<std::size_t>(
                                                         p - start)) != nullptr) {
        *err = kMixedLineEndsReason;
        return false;
      }
      const char* stop = p;
      while (stop > start && IsBlank(stop[-1], delimiter)) --stop;
      if (field != nullptr)
        field->assign(start, static_cast<std::size_t>(stop - start));
    }
    if (p == end) break;
    ++p;  // The delimiter.
  }
  if (fields != nullptr) fields->resize(std::min(count, max_fields));
  *field_count = count;
  return true;
}

std::size_t CountFields(const char* line, std::size_t length, char delimiter) {
  std::size_t count = 0;
  ScanFields(line, length, delimiter, nullptr, &count, nullptr);
  return count;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The end of the run of digits that starts at |i|.
std::size_t SkipDigits(const std::string& text, std::size_t i) {
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

std::size_t SkipSign(const std::string& text, std::size_t i) {
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
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
  return ScanFields(line, length, delimiter, fields, &count, err, max_fields);
}

bool DecimalCommaToPoint(std::string* text) {
  const std::string& t = *text;
  const std::size_t integer_start = SkipSign(t, 0);
  const std::size_t comma = SkipDigits(t, integer_start);
  if (comma == t.size() || t[comma] != ',') return false;
  std::size_t i = SkipDigits(t, comma + 1);
  if (i - integer_start == 1)  // The comma alone, without a digit.
    return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    const std::size_t exponent_start = SkipSign(t, i + 1);
    i = SkipDigits(t, exponent_start);
    if (i == exponent_start) return false;
  }
  if (i != t.size()) return false;
  (*text)[comma] = '.';
  return true;
}

bool JoinWhiteSpaceRuns(std::string* text) {
  std::string& t = *text;
  std::size_t out = 0;
  bool changed = false;
  for (std::size_t in = 0; in < t.size();) {
    if (!IsWhiteSpace(t[in])) {
      t[out++] = t[in++];
      continue;
    }
    // Past the run before the '_' is written: |out| may stand at its start.
    while (in < t.size() && IsWhiteSpace(t[in])) ++in;
    t[out++] = '_';
    changed = true;
  }
  t.resize(out);
  return changed;
}
