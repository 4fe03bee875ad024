// Numbers as the program writes them: the exact "%f" text of a depth,
// formatted on the stack, once per row. (String's FromDouble and ToDouble,
// the conversions of the header and the table, live in text/number.cc too.)
#ifndef ZONE2LAS_TEXT_NUMBER_H_
#define ZONE2LAS_TEXT_NUMBER_H_

#include <array>
#include <cstdint>
#include <cstring>

// The longest depth text FormatDepth writes: the most negative double has a
// sign, 309 digits, a point and six decimals (317 bytes).
constexpr int kMaxDepthText = 320;

// Writes |depth| into |text| (room for kMaxDepthText bytes, no terminator
// added) exactly as "%f" prints it; returns the number of bytes.
int FormatDepth(double depth, char* text);

// The value that FormatDepth prints for |depth|, in whole millionths of a
// metre, without the text.
std::int64_t PrintedMillionths(double depth);

// "00" to "99", two characters for each number below 100.
constexpr std::array<char, 200> MakeDigitPairs() {
  std::array<char, 200> text{};
  for (int i = 0; i < 100; ++i) {
    text[2 * i] = static_cast<char>('0' + i / 10);
    text[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return text;
}
inline constexpr std::array<char, 200> kDigitPairs = MakeDigitPairs();

// Adds one to the whole number written in the |length| decimal digits at
// |digits|, in place: the last digit that is not a 9 goes up, and the 9s
// after it become 0s. False when every digit was a 9 (they are all 0s now):
// the number takes one digit more, and its text is to be written anew.
inline bool CountUpDigits(char* digits, int length) {
  int i = length - 1;
  for (; i >= 0 && digits[i] == '9'; --i) digits[i] = '0';
  if (i < 0) return false;
  ++digits[i];
  return true;
}

// FormatDepth for a run of depths that mostly share their whole metres, as
// the rows of a well do: the text of the whole metres is kept from the call
// before and only the decimals are written anew. Writes the same text as
// FormatDepth (which is one call of a fresh formatter); the bytes past the
// returned length, up to 16 from |text| and always within kMaxDepthText, may
// be overwritten too.
class DepthFormatter {
 public:
  int Format(double depth, char* text) { return Format(depth, text, nullptr); }
  // Format, and the printed value in whole millionths into |printed|:
  // "-0.000000" is 0. Exact for depths below 2^63 millionths.
  int Format(double depth, char* text, std::int64_t* printed) {
    // The row of a run: the same sign and exponent as the row before, and
    // its whole metres or the next, so only the decimals are worked out,
    // here, in the caller's loop.
    std::uint64_t bits;
    std::memcpy(&bits, &depth, sizeof bits);
    if (static_cast<unsigned>(bits >> 52) == sign_and_exponent_) {
      std::uint32_t whole;
      std::uint32_t millionths;
      Split(bits, &whole, &millionths);
      if (millionths < 1000000 && (whole == whole_ || NextWhole(whole)))
        return Emit(bits, whole, millionths, text, printed);
    }
    return FormatAnew(depth, text, printed);
  }

  // Writes the point and six decimals of |millionths| (below 10^6) at |at|;
  // returns the end.
  static char* WriteMillionths(std::uint32_t millionths, char* at) {
    // millionths * ceil(2^32 / 10^4) holds millionths / 10^4 above bit 32
    // and the rest as a binary fraction below it; each multiplication of
    // that fraction by 100 lifts the next two digits above bit 32. Exact for
    // every value below 10^6.
    std::uint64_t digits = std::uint64_t{millionths} * 429497;
    at[0] = '.';
    std::memcpy(at + 1, kDigitPairs.data() + 2 * (digits >> 32), 2);
    digits = (digits & 0xFFFFFFFF) * 100;
    std::memcpy(at + 3, kDigitPairs.data() + 2 * (digits >> 32), 2);
    digits = (digits & 0xFFFFFFFF) * 100;
    std::memcpy(at + 5, kDigitPairs.data() + 2 * (digits >> 32), 2);
    return at + 7;
  }

 private:
  static constexpr std::uint64_t kImplicitBit = std::uint64_t{1} << 52;
  static constexpr std::uint64_t kFractionBits = kImplicitBit - 1;

  // Any other depth: a new sign, exponent or whole number of metres.
  int FormatAnew(double depth, char* text, std::int64_t* printed);

  // The whole metres of the depth of |bits|, whose sign and exponent are
  // those kept, into |whole|, and the millionths past them, rounded as "%f"
  // rounds, into |millionths| (10^6 when they round up to the next metre).
  void Split(std::uint64_t bits, std::uint32_t* whole,
             std::uint32_t* millionths) const {
    const std::uint64_t mantissa = (bits & kFractionBits) | kImplicitBit;
    *whole = static_cast<std::uint32_t>(mantissa >> shift_);
    const std::uint64_t scaled = (mantissa & fraction_mask_) * 15625;
    // Half a millionth less one unit, plus one more when the millionths
    // below are odd: a remainder of exactly half carries only to an even
    // neighbour.
    const std::uint64_t below = (scaled >> scaled_shift_) & 1;
    *millionths = static_cast<std::uint32_t>(
        (scaled + half_less_one_ + below) >> scaled_shift_);
  }

  // The next whole metre, as a run of rows reaches it: counted up in the
  // kept text. False when that is not the next metre, or when it takes one
  // digit more: the text is then no longer the kept metres', and FormatAnew
  // writes it anew.
  bool NextWhole(std::uint32_t whole) {
    if (whole != whole_ + 1) return false;
    const int sign = whole_text_[0] == '-' ? 1 : 0;
    if (!CountUpDigits(whole_text_ + sign, whole_length_ - sign)) {
      whole_ = ~std::uint32_t{0};
      return false;
    }
    whole_ = whole;
    return true;
  }

  // Writes the kept text of |whole| metres (with the sign of |bits|) and
  // |millionths| at |text|, their value into |printed| when given; returns
  // the length.
  int Emit(std::uint64_t bits, std::uint32_t whole, std::uint32_t millionths,
           char* text, std::int64_t* printed) const {
    if (printed != nullptr) {
      const std::int64_t value =
          static_cast<std::int64_t>(whole) * 1000000 + millionths;
      *printed = (bits >> 63) != 0 ? -value : value;
    }
    // A sign and at most eight digits: the whole block is copied at once.
    std::memcpy(text, whole_text_, sizeof whole_text_);
    return static_cast<int>(WriteMillionths(millionths, text + whole_length_) -
                            text);
  }

  // The top twelve bits of the last depth of the short cut (its sign and
  // exponent), none at first, and the shifts and masks they give.
  unsigned sign_and_exponent_ = ~0u;
  unsigned shift_ = 0;
  unsigned scaled_shift_ = 0;
  std::uint64_t fraction_mask_ = 0;
  std::uint64_t half_less_one_ = 0;
  // The whole metres of the kept text, and the text with its sign.
  std::uint32_t whole_ = ~std::uint32_t{0};
  char whole_text_[16] = {};
  int whole_length_ = 0;
};

#endif  // ZONE2LAS_TEXT_NUMBER_H_
