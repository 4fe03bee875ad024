#include "convert/resample.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <vector>

#include "convert/las_format.h"
#include "text/number.h"

namespace {

// Rows are assembled in a batch of this many bytes and handed to the file
// together, so a row costs its formatting and a copy, never a call into the
// stream.
constexpr std::size_t kBatchBytes = 1 << 16;
// The text that follows the depth in a run of rows is kept assembled when it
// fits in this many bytes; a longer one is written piece by piece.
constexpr std::size_t kRowEndBytes = 4096;
// Row ends are copied in blocks of this many bytes, which the compiler turns
// into a few moves instead of a call; both buffers have the slack for the
// last block.
constexpr std::size_t kCopyBlock = 64;

// The key's double before rounding up; the product is rounded to double.
double ScaledDepth(double depth) { return depth * 1000.0; }

// The rows that ResampleLine or WriteClosingRow write, gathered in order.
// Everything gathered reaches the file by the time the batch goes, so other
// writers of the file (the header, the depth range) always find it complete.
class RowBatch {
 public:
  explicit RowBatch(DiskFile& file) : file_(file) {}
  ~RowBatch() { Flush(); }

  RowBatch(const RowBatch&) = delete;
  RowBatch& operator=(const RowBatch&) = delete;

  // The text that follows the depth in every row from now on: |parts| in
  // order, a null part read as the empty text, at most four parts.
  void SetRowEnd(std::initializer_list<const char*> parts);

  // A row: the depth in "%f" notation, then the row end.
  void Row(double depth) {
    if (!row_end_assembled_) {
      WriteLongRow(depth);
      return;
    }
    if (kBatchBytes - length_ < kRowRoom + row_end_length_)
      Flush();
    char* const row = text_ + length_;
    char* const row_end = row + FormatDepth(depth, row);
    for (std::size_t i = 0; i < row_end_length_; i += kCopyBlock)
      std::memcpy(row_end + i, row_end_ + i, kCopyBlock);
    length_ = static_cast<std::size_t>(row_end - text_) + row_end_length_;
  }

 private:
  // The room a row needs besides its row end: the longest depth and the
  // slack of the last copied block.
  static constexpr std::size_t kRowRoom =
      static_cast<std::size_t>(kMaxDepthText) + kCopyBlock;

  void WriteLongRow(double depth);
  void Flush();

  DiskFile& file_;
  const char* parts_[4] = {};
  std::size_t part_count_ = 0;
  // The row end, when it fits.
  char row_end_[kRowEndBytes + kCopyBlock];
  std::size_t row_end_length_ = 0;
  bool row_end_assembled_ = false;
  // The rows so far, and room for the terminator that Write needs.
  char text_[kBatchBytes + 1];
  std::size_t length_ = 0;
};

void RowBatch::SetRowEnd(std::initializer_list<const char*> parts) {
  part_count_ = 0;
  row_end_length_ = 0;
  row_end_assembled_ = true;
  for (const char* part : parts) {
    const char* text = part != nullptr ? part : "";
    parts_[part_count_++] = text;
    const std::size_t length = std::strlen(text);
    if (row_end_assembled_ && length <= kRowEndBytes - row_end_length_) {
      std::memcpy(row_end_ + row_end_length_, text, length);
      row_end_length_ += length;
    } else {
      row_end_assembled_ = false;
    }
  }
}

// A row whose row end is too long to keep assembled: its pieces go straight
// to the file, after the rows before it.
void RowBatch::WriteLongRow(double depth) {
  Flush();
  char depth_text[kMaxDepthText + 1];
  depth_text[FormatDepth(depth, depth_text)] = '\0';
  file_.Write(depth_text);
  for (std::size_t i = 0; i < part_count_; ++i)
    file_.Write(parts_[i]);
}

void RowBatch::Flush() {
  if (length_ == 0)
    return;
  // Neither a depth nor a text taken from a line holds a zero byte, so the
  // batch ends at its terminator.
  text_[length_] = '\0';
  file_.Write(text_);
  length_ = 0;
}

// Writes the line's attribute values into |tail|: "1   " (DEFINTERV), three
// spaces before each value, and the line feed. A tail known to fit is
// assembled on the stack and stored with one copy.
void ReadIntervalRowTail(const std::vector<String>& values, String& tail) {
  std::size_t longest = 6;
  for (const String& value : values)
    longest += 3 + static_cast<std::size_t>(value.Length());
  if (longest > kRowEndBytes) {
    String text("1   ");
    for (const String& value : values)
      text.Assign(text.Concat("   ").Concat(value));
    tail.Assign(text.Concat("\n"));
    return;
  }
  char text[kRowEndBytes];
  std::memcpy(text, "1   ", 4);
  std::size_t length = 4;
  for (const String& value : values) {
    const std::size_t value_length = static_cast<std::size_t>(value.Length());
    std::memcpy(text + length, "   ", 3);
    if (value_length > 0)
      std::memcpy(text + length + 3, value.GetText(), value_length);
    length += 3 + value_length;
  }
  text[length] = '\n';
  text[length + 1] = '\0';
  tail.Assign(text);
}

}  // namespace

bool DepthKeyFits(double depth) {
  const double key = std::ceil(ScaledDepth(depth));
  return key >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
         key <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

std::int32_t DepthKey(double depth) {
  const double key = std::ceil(ScaledDepth(depth));
  // Converting a double outside the int32 range is undefined; callers keep
  // depths inside it, and saturation keeps every loop finite if one slips.
  if (!(key >= static_cast<double>(std::numeric_limits<std::int32_t>::min())))
    return std::numeric_limits<std::int32_t>::min();
  if (key > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(key);
}

void ResampleLine(const DataLine& line, WellState& well, DiskFile& file,
                  double depth_step, const String& null_row_tail) {
  well.previous_bottom = well.bottom;
  well.top = line.top;
  well.bottom = line.bottom;
  ++well.line_count;

  RowBatch rows(file);
  const std::int32_t top_key = DepthKey(well.top);
  if (well.line_count == 1) {
    // Lead-in rows: zone 0 and the null row tail, with four spaces after the
    // depth.
    rows.SetRowEnd({"    0   ", null_row_tail.GetText()});
    double depth = well.top - kLeadIn;
    well.first_depth = depth;
    // Repeated addition, never start + k * step: the key absorbs the
    // rounding that accumulates.
    while (DepthKey(depth) < top_key) {
      rows.Row(depth);
      depth = depth + depth_step;
    }
    rows.Row(well.top - kEndRowOffset);
  } else if (DepthKey(well.previous_bottom) != top_key) {
    // The zone text and the interval row tail are still the previous line's.
    // Three spaces separate depth, zone and tail.
    rows.SetRowEnd({"   ", well.zone_text.GetText(), "   ",
                    well.interval_row_tail.GetText()});
    rows.Row(well.previous_bottom);
    rows.SetRowEnd({"   ", well.zone_text.GetText(), "   ",
                    null_row_tail.GetText()});
    double depth = well.previous_bottom + depth_step;
    while (DepthKey(depth) < top_key) {
      rows.Row(depth);
      depth = depth + depth_step;
    }
    rows.Row(well.top - kEndRowOffset);
  }

  well.zone_text.Assign(line.zone);
  well.sample_depth = well.top;
  ReadIntervalRowTail(line.values, well.interval_row_tail);

  rows.SetRowEnd({"   ", well.zone_text.GetText(), "   ",
                  well.interval_row_tail.GetText()});
  const std::int32_t last_sample_key = DepthKey(well.bottom - kEndRowOffset);
  while (DepthKey(well.sample_depth) <= last_sample_key) {
    rows.Row(well.sample_depth);
    well.sample_depth = well.sample_depth + depth_step;
  }
  rows.Row(well.sample_depth - kEndRowOffset);
  well.last_depth = well.sample_depth;
}

void WriteClosingRow(WellState& well, DiskFile& file) {
  RowBatch rows(file);
  rows.SetRowEnd({"   ", well.zone_text.GetText(), "   ",
                  well.interval_row_tail.GetText()});
  rows.Row(well.last_depth);
}
