#include "convert/data_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "convert/depth_key.h"
#include "convert/las_format.h"
#include "convert/report.h"

namespace {

// What a byte is to the splitting of a line into fields: one of the bytes
// of kWhiteSpace, which separate them, the zero byte that ends the line, or
// a byte of a field.
enum ByteClass : unsigned char { kFieldByte, kSpaceByte, kEndByte };

constexpr std::array<unsigned char, 256> MakeByteClasses() {
  std::array<unsigned char, 256> classes{};
  classes[0] = kEndByte;
  for (const unsigned char c : {' ', '\t', '\n', '\r'}) classes[c] = kSpaceByte;
  return classes;
}

// One look-up a byte instead of a test against each separator and the end.
constexpr std::array<unsigned char, 256> kByteClasses = MakeByteClasses();

// An optional sign, digits with at most one point, at least one digit.
bool IsDecimalNumber(const char* text) {
  // A field whose text could not be stored has none.
  if (text == nullptr) return false;
  if (*text == '+' || *text == '-') ++text;
  int digits = 0;
  int points = 0;
  for (; *text; ++text) {
    if (*text >= '0' && *text <= '9')
      ++digits;
    else if (*text == '.' && points == 0)
      ++points;
    else
      return false;
  }
  return digits > 0;
}

// Why rows from |top| to |bottom| cannot be written at |depth_step|, or the
// empty text when they can.
std::string DepthRangeFault(const DataLine& line, double depth_step,
                            bool pick) {
  // Hundreds of digits overflow the parser's digit sum and come out as
  // not-a-number, which every range comparison below would let through.
  if (std::isnan(line.top) || std::isnan(line.bottom)) {
    const bool top = std::isnan(line.top);
    return FormatText(
        "%s depth \"%s\" has too many digits to be read",
        top ? "top" : "bottom",
        top ? line.top_text.GetText() : line.bottom_text.GetText());
  }
  // Resampling derives depths up to the lead-in above a top and one step
  // (plus the offset of an end row) beyond a bottom.
  const double shallowest =
      std::min(line.top, line.bottom) - kLeadIn - kEndRowOffset;
  const double deepest =
      std::max(line.top, line.bottom) + depth_step + kEndRowOffset;
  if (!DepthKeyFits(shallowest) || !DepthKeyFits(deepest)) {
    return FormatText(
        "depths %s to %s with lead-in and step lie outside the handled range "
        "of -2147483.647 to 2147483.647 m",
        line.top_text.GetText(), line.bottom_text.GetText());
  }
  if (!pick && DepthKey(line.bottom) <= DepthKey(line.top)) {
    return FormatText("bottom depth %s does not lie below top depth %s",
                      line.bottom_text.GetText(), line.top_text.GetText());
  }
  return std::string();
}

}  // namespace

bool ParseHeaderFields(Fields* fields, TableHeader* out, std::string* err) {
  if (fields->size() < static_cast<std::size_t>(kFixedColumns)) {
    *err = FormatText(
        "the header line names %d columns; it needs at least 4 (well, top, "
        "bottom, zone)",
        static_cast<int>(fields->size()));
    return false;
  }
  for (std::size_t i = kFixedColumns; i < fields->size(); ++i) {
    const char* name = (*fields)[i];
    const int column = static_cast<int>(i) + 1;
    if (name[0] == '\0') {
      *err = FormatText("column %d of the header line has no name", column);
      return false;
    }
    if (name[0] == '~' || name[0] == '#' || std::strchr(name, ':') != nullptr) {
      *err = FormatText(
          "column %d is named \"%s\"; a curve name may not start with ~ or # "
          "nor hold :",
          column, name);
      return false;
    }
  }
  fields->DropFront(kFixedColumns);
  out->attribute_names.Swap(*fields);
  fields->Clear();
  return true;
}

bool ParseHeaderLine(const String& line, TableHeader* out, std::string* err) {
  Fields fields;
  SplitWhiteSpaceFields(line, &fields);
  return ParseHeaderFields(&fields, out, err);
}

void SplitWhiteSpaceFields(const String& line, Fields* fields,
                           std::size_t max_fields) {
  fields->Clear();
  if (line.GetText() == nullptr) return;
  const auto* at = reinterpret_cast<const unsigned char*>(line.GetText());
  for (std::size_t count = 0; count < max_fields; ++count) {
    while (kByteClasses[*at] == kSpaceByte) ++at;
    if (*at == 0) break;
    const unsigned char* end = at;
    while (kByteClasses[*end] == kFieldByte) ++end;
    fields->Add(reinterpret_cast<const char*>(at),
                static_cast<std::size_t>(end - at));
    at = end;
  }
}

bool ParseDataFields(Fields* taken_fields, int attribute_count,
                     double depth_step, DataLine* out, std::string* err,
                     bool pick, int* not_a_number) {
  Fields& fields = *taken_fields;
  if (not_a_number != nullptr) *not_a_number = 0;
  const int expected = kFixedColumns + attribute_count;
  const int found = static_cast<int>(fields.size());
  if (found < expected) {
    *err = FormatText(
        "expected %d fields (well, top, bottom, zone and %d values), found %d",
        expected, attribute_count, found);
    return false;
  }
  const char* top = fields[1];
  const char* bottom = fields[2];
  if (!IsDecimalNumber(top)) {
    if (not_a_number != nullptr) *not_a_number = 1;
    *err = FormatText("top depth \"%s\" is not a decimal number", top);
    return false;
  }
  if (!IsDecimalNumber(bottom)) {
    if (not_a_number != nullptr) *not_a_number = 2;
    *err = FormatText("bottom depth \"%s\" is not a decimal number", bottom);
    return false;
  }
  const auto length = [&fields](std::size_t i) {
    return static_cast<std::uint32_t>(fields.Length(i));
  };
  out->well.Assign(fields[0], length(0));
  out->top_text.Assign(top, length(1));
  out->bottom_text.Assign(bottom, length(2));
  // The depths come from the program's own parser, whose rounding decides
  // the rows they fall on.
  out->top = out->top_text.ToDouble();
  out->bottom = out->bottom_text.ToDouble();
  *err = DepthRangeFault(*out, depth_step, pick);
  if (!err->empty()) return false;
  out->zone.Assign(fields[3], length(3));
  // The values are not copied: they stay in the buffers they were split
  // into, the record's own or those it exchanges with |fields|.
  fields.Truncate(static_cast<std::size_t>(expected));
  fields.DropFront(kFixedColumns);
  if (&fields != &out->values) out->values.Swap(fields);
  return true;
}

bool ParseDataLine(const String& line, int attribute_count, double depth_step,
                   DataLine* out, std::string* err) {
  Fields fields;
  SplitWhiteSpaceFields(line, &fields);
  return ParseDataFields(&fields, attribute_count, depth_step, out, err);
}
