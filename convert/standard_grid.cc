#include "convert/standard_grid.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "text/number.h"

namespace {

// The quotient of |a| by |b| > 0, rounded down.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

bool StepMillionths(double step, long long* millionths) {
  if (!std::isfinite(step) || !(step > 0.0) || step > 1e12) return false;
  const double scaled = std::round(step * 1e6);
  if (scaled < 1.0) return false;
  // Both operands are whole and exact: the quotient is the double nearest to
  // the decimal, the one a step of six decimals reads as.
  if (scaled / 1e6 != step) return false;
  *millionths = static_cast<long long>(scaled);
  return true;
}

// Row k's key is ceil(k * step / 1000); K <= key < B holds exactly when
// (K - 1) * 1000 < k * step <= (B - 1) * 1000.
GridRows RowsWithin(std::int32_t top_key, std::int32_t bottom_key,
                    std::int64_t step) {
  GridRows rows;
  rows.first = FloorDiv((std::int64_t{top_key} - 1) * 1000, step) + 1;
  rows.last = FloorDiv((std::int64_t{bottom_key} - 1) * 1000, step);
  return rows;
}

// key <= K is k * step <= K * 1000; key >= B is k * step > (B - 1) * 1000.
GridRows RowsCovering(std::int32_t top_key, std::int32_t bottom_key,
                      std::int64_t step) {
  GridRows rows;
  rows.first = FloorDiv(std::int64_t{top_key} * 1000, step);
  rows.last = FloorDiv((std::int64_t{bottom_key} - 1) * 1000, step) + 1;
  return rows;
}

std::int32_t TextDepthKey(const char* text) {
  const bool negative = *text == '-';
  if (*text == '+' || *text == '-') ++text;
  std::int64_t millimetres = 0;
  int decimals = -1;
  bool beyond = false;  // a digit other than 0 past the millimetres
  for (; *text != '\0'; ++text) {
    if (*text == '.') {
      decimals = 0;
      continue;
    }
    const int digit = *text - '0';
    if (decimals >= 3) {
      beyond = beyond || digit != 0;
      continue;
    }
    // The depth-key range keeps a checked depth far below this.
    if (millimetres < (std::int64_t{1} << 40))
      millimetres = millimetres * 10 + digit;
    if (decimals >= 0) ++decimals;
  }
  for (int d = decimals < 0 ? 0 : decimals; d < 3; ++d) millimetres *= 10;
  // Rounded up: away from zero above it, towards zero below it.
  if (negative) return static_cast<std::int32_t>(-millimetres);
  return static_cast<std::int32_t>(millimetres + (beyond ? 1 : 0));
}

int FormatMillionths(std::int64_t value, char* text) {
  int length = 0;
  std::uint64_t magnitude = static_cast<std::uint64_t>(value);
  if (value < 0) {
    text[length++] = '-';
    magnitude = 0 - magnitude;
  }
  std::uint64_t whole = magnitude / 1000000;
  std::uint32_t fraction = static_cast<std::uint32_t>(magnitude % 1000000);
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole != 0);
  while (count > 0) text[length++] = digits[--count];
  text[length++] = '.';
  for (int i = 5; i >= 0; --i) {
    text[length + i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  return length + 6;
}

std::string MillionthsText(std::int64_t value) {
  char text[kMaxMillionthsText];
  return std::string(text,
                     static_cast<std::size_t>(FormatMillionths(value, text)));
}

namespace {

// Depths below this many millionths have at most seven whole digits.
constexpr std::int64_t kMostWholeDigits = std::int64_t{10000000} * 1000000 - 1;

// The rows of a run at and below depth 0, where a row's whole units and
// millionths are carried from the row before by integer additions: the text
// of the whole units is kept while they stay the same, and the six decimals
// are written two digits at a time.
class GridRowWriter {
 public:
  // Row ends are copied in blocks of this many bytes, which the compiler
  // turns into a few moves instead of a call.
  static constexpr std::size_t kCopyBlock = 64;

  GridRowWriter(std::int64_t first, std::int64_t step)
      : whole_(static_cast<std::uint64_t>(first) / 1000000),
        fraction_(static_cast<std::uint32_t>(static_cast<std::uint64_t>(first) %
                                             1000000)),
        step_whole_(static_cast<std::uint64_t>(step) / 1000000),
        step_fraction_(static_cast<std::uint32_t>(
            static_cast<std::uint64_t>(step) % 1000000)) {
    KeepWhole();
  }

  // Writes the depth of the current row at |text| (room for
  // kMaxMillionthsText bytes, 16 of which may be written whatever the
  // length); returns the end.
  char* Depth(char* text) const {
    std::memcpy(text, whole_text_, sizeof whole_text_);
    // The point again, then the six decimals.
    return DepthFormatter::WriteMillionths(fraction_, text + whole_length_ - 1);
  }

  // True when the current row stands on a whole unit (its decimals are 0).
  bool AtWholeUnit() const { return fraction_ == 0; }
  // The whole units and the point of the current row, and their length.
  const char* WholeText() const { return whole_text_; }
  int WholeLength() const { return whole_length_; }
  // Goes on to the same row one whole unit deeper.
  void NextWholeUnit() {
    ++whole_;
    CountUp();
  }

  // Goes on to the next row.
  void Advance() {
    fraction_ += step_fraction_;
    std::uint64_t whole = whole_ + step_whole_;
    if (fraction_ >= 1000000) {
      fraction_ -= 1000000;
      ++whole;
    }
    if (whole == whole_ + 1) {
      whole_ = whole;
      CountUp();
    } else if (whole != whole_) {
      whole_ = whole;
      KeepWhole();
    }
  }

 private:
  // The whole units and the point, as FormatMillionths writes them.
  void KeepWhole() {
    char full[kMaxMillionthsText];
    const int length =
        FormatMillionths(static_cast<std::int64_t>(whole_) * 1000000, full);
    whole_length_ = length - 6;
    std::memcpy(whole_text_, full, static_cast<std::size_t>(whole_length_));
  }

  // The kept text after the whole units went up by one (its digits stand
  // before the point).
  void CountUp() {
    if (!CountUpDigits(whole_text_, whole_length_ - 1)) KeepWhole();
  }

  std::uint64_t whole_;
  std::uint32_t fraction_;
  const std::uint64_t step_whole_;
  const std::uint32_t step_fraction_;
  // The whole units of a depth in the depth-key range (at most seven
  // digits) and the point.
  char whole_text_[16] = {};
  int whole_length_ = 0;
};

// Writes the current row of |writer| at |at|: its depth, then the row end of
// |end_length| bytes, copied in whole blocks from |end_text| (which has the
// slack of the last block); returns the end of the row.
char* GridRow(const GridRowWriter& writer, char* at, const char* end_text,
              std::size_t end_length) {
  char* const row_end = writer.Depth(at);
  for (std::size_t i = 0; i < end_length; i += GridRowWriter::kCopyBlock)
    std::memcpy(row_end + i, end_text + i, GridRowWriter::kCopyBlock);
  return row_end + end_length;
}

// The rows of whole units of a step that divides the unit into a few rows
// (0.1, 0.25, 0.5, 0.01 ...): every unit's rows have the same decimals and
// row ends as the unit's before, and the same length while the whole units
// keep their number of digits. The first unit's rows are written row by row
// and kept; each later unit is that copy, made at once, with the first
// eight bytes of each row (the whole units, the point and the decimals
// after them) stored anew.
class UnitCopier {
 public:
  // The most bytes of a unit's rows that are kept and copied at once.
  static constexpr std::size_t kMostUnitBytes = std::size_t{1} << 16;

  UnitCopier(std::int64_t period, std::size_t end_length)
      : period_(period), end_length_(end_length) {}

  // True when the current row of |writer| starts a unit whose rows can be
  // copied: its whole units and point take at most eight bytes.
  bool Fits(const GridRowWriter& writer) const {
    return period_ > 0 && writer.AtWholeUnit() &&
           static_cast<std::size_t>(writer.WholeLength()) <= kHeadBytes &&
           static_cast<std::size_t>(period_) * (kHeadBytes + 6 + end_length_) <=
               kMostUnitBytes;
  }

  // Writes whole units of rows from row |k| (where Fits holds) while they
  // end at or above row |last| and their whole units keep their length;
  // returns the next row, |writer| at it.
  std::int64_t Write(GridRowWriter& writer, std::int64_t k, std::int64_t last,
                     const char* end_text, BlockWriter& out) {
    const int whole_length = writer.WholeLength();
    // Every row of the unit is this long: the whole units, the point, six
    // decimals and the row end.
    const std::size_t row_length =
        static_cast<std::size_t>(whole_length) + 6 + end_length_;
    const std::size_t unit_bytes =
        static_cast<std::size_t>(period_) * row_length;
    // The first unit, row by row, into the block and into the copy.
    copy_.resize(unit_bytes + GridRowWriter::kCopyBlock);
    char* at = &copy_[0];
    heads_.resize(static_cast<std::size_t>(period_));
    for (std::int64_t i = 0; i < period_; ++i) {
      char* const next = GridRow(writer, at, end_text, end_length_);
      // The row's first eight bytes past its whole units and point.
      char head[kHeadBytes];
      std::memcpy(head, at, kHeadBytes);
      std::memset(head, 0, static_cast<std::size_t>(whole_length));
      std::memcpy(&heads_[static_cast<std::size_t>(i)], head, kHeadBytes);
      at = next;
      writer.Advance();
    }
    out.Append(copy_.data(), unit_bytes);
    k += period_;
    // The units after it: the copy, then each row's head.
    while (k + period_ - 1 <= last && !out.Failed()) {
      if (writer.WholeLength() != whole_length) break;
      char whole[kHeadBytes] = {};
      std::memcpy(whole, writer.WholeText(),
                  static_cast<std::size_t>(whole_length));
      std::uint64_t whole_bytes;
      std::memcpy(&whole_bytes, whole, kHeadBytes);
      char* const unit = out.Reserve(unit_bytes);
      std::memcpy(unit, copy_.data(), unit_bytes);
      char* row = unit;
      for (const std::uint64_t head : heads_) {
        const std::uint64_t bytes = whole_bytes | head;
        std::memcpy(row, &bytes, kHeadBytes);
        row += row_length;
      }
      out.Commit(unit + unit_bytes);
      writer.NextWholeUnit();
      k += period_;
    }
    return k;
  }

 private:
  // The bytes of a row stored anew in each copy.
  static constexpr std::size_t kHeadBytes = 8;

  const std::int64_t period_;
  const std::size_t end_length_;
  std::string copy_;
  std::vector<std::uint64_t> heads_;
};

}  // namespace

void WriteGridRows(GridRows rows, std::int64_t step, const std::string& row_end,
                   BlockWriter& out) {
  const std::size_t end_length = row_end.size();
  std::int64_t k = rows.first;
  // Rows above depth 0, and every row when the row end is too long to share
  // a block with its depth or the depths have more than seven whole digits
  // (beyond the depth-key range), go one by one.
  const bool whole_rows = end_length <= BlockWriter::kBlockBytes / 2 &&
                          rows.last <= kMostWholeDigits / step;
  for (; k <= rows.last && (k * step < 0 || !whole_rows); ++k) {
    if (out.Failed()) return;
    char text[kMaxMillionthsText];
    out.Append(text,
               static_cast<std::size_t>(FormatMillionths(k * step, text)));
    out.Append(row_end.data(), end_length);
  }
  if (k > rows.last || out.Failed()) return;
  // The row loop of a standard file: the depth, then the row end copied in
  // whole blocks from a copy with room for the last block's slack, the place
  // of the next row kept in a register.
  constexpr std::size_t kBlock = GridRowWriter::kCopyBlock;
  std::string padded(end_length + kBlock, '\0');
  std::memcpy(&padded[0], row_end.data(), end_length);
  const char* const end_text = padded.data();
  const std::size_t room = kMaxMillionthsText + end_length + kBlock;
  GridRowWriter writer(k * step, step);
  // A step that divides the unit into |period| rows repeats the decimals of
  // each unit's rows in the next one: see UnitCopier.
  const std::int64_t period = 1000000 % step == 0 ? 1000000 / step : 0;
  UnitCopier units(period, end_length);
  char* row = out.Reserve(room);
  char* limit = out.Limit();
  if (out.Failed()) return;
  while (k <= rows.last) {
    if (units.Fits(writer) && rows.last - k + 1 >= 2 * period) {
      out.Commit(row);
      k = units.Write(writer, k, rows.last, end_text, out);
      row = out.Reserve(room);
      limit = out.Limit();
      if (out.Failed() || k > rows.last) break;
    }
    if (static_cast<std::size_t>(limit - row) < room) {
      out.Commit(row);
      row = out.Reserve(room);
      limit = out.Limit();
      if (out.Failed()) return;
    }
    row = GridRow(writer, row, end_text, end_length);
    writer.Advance();
    ++k;
  }
  out.Commit(row);
}
