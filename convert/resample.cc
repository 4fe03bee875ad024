#include "convert/resample.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
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

// The six decimals of a depth text as FormatDepth writes it, in whole
// millionths of a metre; "-0.000000" reads as 0.
std::int64_t PrintedMillionths(const char* text, int length) {
  std::int64_t value = 0;
  for (int i = text[0] == '-' ? 1 : 0; i < length; ++i) {
    if (text[i] != '.') value = value * 10 + (text[i] - '0');
  }
  return text[0] == '-' ? -value : value;
}

std::int64_t Printed(double depth);

// The rows that ResampleLine or WriteClosingRow write, gathered in order.
// Everything gathered reaches the file by the time the batch goes, so other
// writers of the file (the header, the depth range) always find it complete.
// A row that would not print deeper than the row before it in the file is
// dropped, so the depth index strictly increases.
class RowBatch {
 public:
  RowBatch(DiskFile& file, WellState& well)
      : file_(file), well_(well), stopped_(file.HasFailed()) {}
  ~RowBatch() {
    Flush();
    if (!last_row_printed_)
      well_.last_row_millionths = Printed(well_.last_row_depth);
  }

  RowBatch(const RowBatch&) = delete;
  RowBatch& operator=(const RowBatch&) = delete;

  // The text that follows the depth in every row from now on: |parts| in
  // order, a null part read as the empty text, at most four parts.
  void SetRowEnd(std::initializer_list<const char*> parts);

  // A row: the depth in "%f" notation, then the row end. False when the
  // depth does not print deeper than the last row, and nothing was written.
  bool Row(double depth) { return Row(depth, true); }

  // Rows that follow a row written at |depth| - |step|: at |depth| and on by
  // repeated addition of |step| while depth * 1000 <= |last_scaled|. With
  // steps of at least 0.001 m each prints deeper than the one before, so they
  // are not compared. Returns the first depth past them.
  double FollowingRows(double depth, double step, double last_scaled);

  // True once a write to the file has failed: the well will not be published,
  // so no more of its rows are made, and Row writes nothing.
  bool Stopped() const { return stopped_; }

 private:
  // The room a row needs besides its row end: the longest depth and the
  // slack of the last copied block.
  static constexpr std::size_t kRowRoom =
      static_cast<std::size_t>(kMaxDepthText) + kCopyBlock;

  bool Row(double depth, bool compare) {
    if (stopped_) return false;
    if (!row_end_assembled_) return WriteLongRow(depth);
    if (kBatchBytes - length_ < kRowRoom + row_end_length_) Flush();
    char* const row = text_ + length_;
    const int depth_length = formatter_.Format(depth, row);
    if (!compare) {
      well_.last_row_depth = depth;
      last_row_printed_ = false;
    } else if (!Advances(depth, row, depth_length)) {
      return false;
    }
    char* const row_end = row + depth_length;
    for (std::size_t i = 0; i < row_end_length_; i += kCopyBlock)
      std::memcpy(row_end + i, row_end_ + i, kCopyBlock);
    length_ = static_cast<std::size_t>(row_end - text_) + row_end_length_;
    return true;
  }

  // True, and the well's last row updated, when |depth|, printed as |text|,
  // lies below the last row written.
  bool Advances(double depth, const char* text, int length);

  bool WriteLongRow(double depth);

  void Flush();

  DiskFile& file_;
  WellState& well_;
  bool stopped_;
  DepthFormatter formatter_;
  // False while the well's last row has been written without its printed
  // depth being taken.
  bool last_row_printed_ = true;
  const char* parts_[4] = {};
  std::size_t part_count_ = 0;
  // The row end, when it fits.
  char row_end_[kRowEndBytes + kCopyBlock];
  std::size_t row_end_length_ = 0;
  bool row_end_assembled_ = false;
  // The rows so far.
  char text_[kBatchBytes];
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

double RowBatch::FollowingRows(double depth, double step, double last_scaled) {
  if (!row_end_assembled_) {
    while (!stopped_ && ScaledDepth(depth) <= last_scaled) {
      Row(depth, false);
      depth = depth + step;
    }
    return depth;
  }
  // The row loop of the program: a depth's text, then the row end copied in
  // whole blocks, with the batch's length kept in a register.
  bool wrote = false;
  double last = depth;
  std::size_t length = length_;
  const std::size_t row_end_length = row_end_length_;
  while (ScaledDepth(depth) <= last_scaled) {
    if (kBatchBytes - length < kRowRoom + row_end_length) {
      length_ = length;
      Flush();
      length = length_;
      if (stopped_) break;
    }
    char* const row = text_ + length;
    char* const row_end = row + formatter_.Format(depth, row);
    for (std::size_t i = 0; i < row_end_length; i += kCopyBlock)
      std::memcpy(row_end + i, row_end_ + i, kCopyBlock);
    length = static_cast<std::size_t>(row_end - text_) + row_end_length;
    wrote = true;
    last = depth;
    depth = depth + step;
  }
  length_ = length;
  if (wrote) {
    well_.last_row_depth = last;
    last_row_printed_ = false;
  }
  return depth;
}

bool RowBatch::Advances(double depth, const char* text, int length) {
  if (!last_row_printed_) {
    well_.last_row_millionths = Printed(well_.last_row_depth);
    last_row_printed_ = true;
  }
  const std::int64_t millionths = PrintedMillionths(text, length);
  if (well_.has_row && millionths <= well_.last_row_millionths) return false;
  well_.has_row = true;
  well_.last_row_depth = depth;
  well_.last_row_millionths = millionths;
  return true;
}

// A row whose row end is too long to keep assembled: its pieces go straight
// to the file, after the rows before it.
bool RowBatch::WriteLongRow(double depth) {
  char depth_text[kMaxDepthText + 1];
  const int depth_length = formatter_.Format(depth, depth_text);
  if (!Advances(depth, depth_text, depth_length)) return false;
  Flush();
  file_.Write(depth_text, static_cast<std::size_t>(depth_length));
  for (std::size_t i = 0; i < part_count_; ++i) file_.Write(parts_[i]);
  stopped_ = file_.HasFailed();
  return true;
}

void RowBatch::Flush() {
  if (length_ == 0) return;
  file_.Write(text_, length_);
  length_ = 0;
  stopped_ = file_.HasFailed();
}

// The printed value of |depth|, in millionths of a metre.
std::int64_t Printed(double depth) {
  char text[kMaxDepthText];
  return PrintedMillionths(text, FormatDepth(depth, text));
}

// Writes the line's attribute values into |tail|: "1   " (DEFINTERV), three
// spaces before each value, and the line feed. A tail known to fit is
// assembled on the stack and stored with one copy.
void ReadIntervalRowTail(const std::vector<String>& values, String& tail) {
  std::size_t longest = 6;
  for (const String& value : values)
    longest += 3 + static_cast<std::size_t>(value.Length());
  if (longest > kRowEndBytes) {
    // A wide line is assembled in one buffer of its full length, so that its
    // cost grows with its width, not with the square of it.
    std::string text;
    text.reserve(longest);
    text.append("1   ");
    for (const String& value : values)
      text.append("   ").append(value.GetText() != nullptr ? value.GetText()
                                                           : "");
    text.push_back('\n');
    tail.Assign(text.c_str());
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

bool ResampleLine(const DataLine& line, WellState& well, DiskFile& file,
                  double depth_step, const String& null_row_tail) {
  well.previous_bottom = well.bottom;
  well.top = line.top;
  well.bottom = line.bottom;
  ++well.line_count;

  RowBatch rows(file, well);
  const std::int32_t top_key = DepthKey(well.top);
  // K(depth) < K for a whole K is depth * 1000 <= K - 1: the same product,
  // and no rounding up per row.
  const double below_top_key = static_cast<double>(top_key) - 1.0;
  // The lead-in and gap rows stop short of the row 0.01 m above the top that
  // ends them, so that they never print at or below it.
  const double end_row_depth = well.top - kEndRowOffset;
  if (well.line_count == 1) {
    // Lead-in rows: zone 0 and the null row tail, with four spaces after the
    // depth.
    rows.SetRowEnd({"    0   ", null_row_tail.GetText()});
    double depth = well.top - kLeadIn;
    well.first_depth = depth;
    const std::int64_t end_row = Printed(end_row_depth);
    // Repeated addition, never start + k * step: the key absorbs the
    // rounding that accumulates.
    while (!rows.Stopped() && ScaledDepth(depth) <= below_top_key &&
           Printed(depth) < end_row) {
      rows.Row(depth);
      depth = depth + depth_step;
    }
    rows.Row(end_row_depth);
  } else if (DepthKey(well.previous_bottom) != top_key) {
    // The zone text and the interval row tail are still the previous line's.
    // Three spaces separate depth, zone and tail.
    rows.SetRowEnd({"   ", well.zone_text.GetText(), "   ",
                    well.interval_row_tail.GetText()});
    rows.Row(well.previous_bottom);
    rows.SetRowEnd(
        {"   ", well.zone_text.GetText(), "   ", null_row_tail.GetText()});
    double depth = well.previous_bottom + depth_step;
    const std::int64_t end_row = Printed(end_row_depth);
    while (!rows.Stopped() && ScaledDepth(depth) <= below_top_key &&
           Printed(depth) < end_row) {
      rows.Row(depth);
      depth = depth + depth_step;
    }
    rows.Row(end_row_depth);
  }

  well.zone_text.Assign(line.zone);
  well.sample_depth = well.top;
  ReadIntervalRowTail(line.values, well.interval_row_tail);

  rows.SetRowEnd({"   ", well.zone_text.GetText(), "   ",
                  well.interval_row_tail.GetText()});
  const std::int32_t last_sample_key = DepthKey(well.bottom - kEndRowOffset);
  // K(depth) <= K for a whole K is depth * 1000 <= K: the same product, and
  // no rounding up per row.
  const double last_sample_scaled = static_cast<double>(last_sample_key);
  // The first row is compared with the row before it; the rest follow it.
  bool has_sample_row = false;
  while (!has_sample_row && !rows.Stopped() &&
         ScaledDepth(well.sample_depth) <= last_sample_scaled) {
    has_sample_row = rows.Row(well.sample_depth);
    well.sample_depth = well.sample_depth + depth_step;
  }
  if (has_sample_row) {
    well.sample_depth =
        rows.FollowingRows(well.sample_depth, depth_step, last_sample_scaled);
  }
  // The interval end row stands 0.01 m above the first sample past the
  // interval, or 0.01 m above the bottom when that sample lies beyond it; an
  // interval without a row of its own has no end either.
  if (has_sample_row) {
    double end_depth = well.sample_depth - kEndRowOffset;
    if (DepthKey(end_depth) >= DepthKey(well.bottom))
      end_depth = well.bottom - kEndRowOffset;
    rows.Row(end_depth);
  }
  well.last_depth =
      well.sample_depth > well.bottom ? well.bottom : well.sample_depth;
  // A well whose file has failed is reported as such, not for thin lines.
  return has_sample_row || rows.Stopped();
}

double WriteClosingRow(const WellState& well, DiskFile& file) {
  WellState after = well;
  {
    RowBatch rows(file, after);
    rows.SetRowEnd({"   ", well.zone_text.GetText(), "   ",
                    well.interval_row_tail.GetText()});
    rows.Row(well.last_depth);
  }
  return after.last_row_depth;
}
