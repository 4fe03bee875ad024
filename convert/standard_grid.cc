#include "convert/standard_grid.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>

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

constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536"
    "37383940414243444546474849505152535455565758596061626364656667686970717273"
    "7475767778798081828384858687888990919293949596979899";

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
    char* const decimals = text + whole_length_;
    std::memcpy(decimals, kPairs + 2 * (fraction_ / 10000), 2);
    std::memcpy(decimals + 2, kPairs + 2 * (fraction_ / 100 % 100), 2);
    std::memcpy(decimals + 4, kPairs + 2 * (fraction_ % 100), 2);
    return decimals + 6;
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

  // The kept text after the whole units went up by one: the last digit that
  // is not a 9 goes up, the 9s after it become 0s.
  void CountUp() {
    int i = whole_length_ - 2;  // the last digit, before the point
    while (i >= 0 && whole_text_[i] == '9') whole_text_[i--] = '0';
    if (i >= 0) {
      ++whole_text_[i];
    } else {
      KeepWhole();  // 9s only: one digit more
    }
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
  char* row = out.Reserve(room);
  char* limit = out.Limit();
  if (out.Failed()) return;
  for (; k <= rows.last; ++k) {
    if (static_cast<std::size_t>(limit - row) < room) {
      out.Commit(row);
      row = out.Reserve(room);
      limit = out.Limit();
      if (out.Failed()) return;
    }
    char* const row_end_at = writer.Depth(row);
    for (std::size_t i = 0; i < end_length; i += kBlock)
      std::memcpy(row_end_at + i, end_text + i, kBlock);
    row = row_end_at + end_length;
    writer.Advance();
  }
  out.Commit(row);
}
