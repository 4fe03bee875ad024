#include "convert/standard_grid.h"

#include <cmath>
#include <cstring>

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

// FormatMillionths for the rows of a well, which mostly share their whole
// units: the text of the whole units is kept from the row before, and the
// six decimals are written two digits at a time.
class GridDepthFormatter {
 public:
  // Writes into |text|, which has room for kMaxMillionthsText bytes.
  int Format(std::int64_t value, char* text) {
    if (value < 0) return FormatMillionths(value, text);
    const std::uint64_t whole = static_cast<std::uint64_t>(value) / 1000000;
    const std::uint32_t fraction =
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) % 1000000);
    if (whole != whole_) {
      whole_ = whole;
      // The whole units and the point, as FormatMillionths writes them.
      char full[kMaxMillionthsText];
      const int length =
          FormatMillionths(static_cast<std::int64_t>(whole) * 1000000, full);
      whole_length_ = length - 6;
      std::memcpy(whole_text_, full, static_cast<std::size_t>(whole_length_));
    }
    std::memcpy(text, whole_text_, sizeof whole_text_);
    char* decimals = text + whole_length_;
    std::memcpy(decimals, kPairs + 2 * (fraction / 10000), 2);
    std::memcpy(decimals + 2, kPairs + 2 * (fraction / 100 % 100), 2);
    std::memcpy(decimals + 4, kPairs + 2 * (fraction % 100), 2);
    return whole_length_ + 6;
  }

 private:
  static constexpr char kPairs[] =
      "000102030405060708091011121314151617181920212223242526272829303132333435"
      "36"
      "373839404142434445464748495051525354555657585960616263646566676869707172"
      "73"
      "7475767778798081828384858687888990919293949596979899";
  std::uint64_t whole_ = ~std::uint64_t{0};
  // Whole units of a depth in the depth-key range and the point fit.
  char whole_text_[kMaxMillionthsText - 6] = {};
  int whole_length_ = 0;
};

}  // namespace

void WriteGridRows(GridRows rows, std::int64_t step, const std::string& row_end,
                   BlockWriter& out) {
  GridDepthFormatter formatter;
  const std::size_t end_length = row_end.size();
  // A row end too long to share a block with its depth goes piece by piece.
  const bool whole_rows = end_length <= BlockWriter::kBlockBytes / 2;
  std::int64_t depth = rows.first * step;
  for (std::int64_t k = rows.first; k <= rows.last; ++k, depth += step) {
    if (out.Failed()) return;
    if (whole_rows) {
      char* const row = out.Reserve(kMaxMillionthsText + end_length);
      if (out.Failed()) return;
      const int length = formatter.Format(depth, row);
      std::memcpy(row + length, row_end.data(), end_length);
      out.Commit(row + length + end_length);
    } else {
      char text[kMaxMillionthsText];
      out.Append(text, static_cast<std::size_t>(FormatMillionths(depth, text)));
      out.Append(row_end.data(), end_length);
    }
  }
}
