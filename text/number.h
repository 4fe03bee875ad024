// Numbers as the program writes them: the exact "%f" text of a depth,
// formatted on the stack, once per row. (String's FromDouble and ToDouble,
// the conversions of the header and the table, live in text/number.cc too.)
#ifndef ZONE2LAS_TEXT_NUMBER_H_
#define ZONE2LAS_TEXT_NUMBER_H_

#include <cstdint>

// The longest depth text FormatDepth writes: the most negative double has a
// sign, 309 digits, a point and six decimals (317 bytes).
constexpr int kMaxDepthText = 320;

// Writes |depth| into |text| (room for kMaxDepthText bytes, no terminator
// added) exactly as "%f" prints it; returns the number of bytes.
int FormatDepth(double depth, char* text);

// The value that FormatDepth prints for |depth|, in whole millionths of a
// metre, without the text.
std::int64_t PrintedMillionths(double depth);

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
  int Format(double depth, char* text, std::int64_t* printed);

 private:
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
