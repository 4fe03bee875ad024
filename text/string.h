// The program's one text type: a single-byte, zero-terminated text in a
// zero-filled heap buffer of its own, with a built-in tokenizer.
//
// Buffer sizes are part of the contract (other code and the tests rely on
// them): a default String starts with 64 bytes, copies and results get exactly
// length + 1, and a buffer grows to exactly length + 1 and never shrinks. When
// a buffer cannot be had the failure is reported once and the String is left
// without one; it then reads as the empty text.
#ifndef ZONE2LAS_TEXT_STRING_H_
#define ZONE2LAS_TEXT_STRING_H_

#include <cstdint>

// The delimiters of every tokenization and every blank test in the program.
constexpr const char kWhiteSpace[] = " \t\n\r";

class String {
 public:
  // The empty text in a buffer of |capacity| bytes, 64 when 0 is given.
  explicit String(std::uint32_t capacity = 0);
  // A copy of |text| (never null) in a buffer of exactly its length + 1.
  String(const char* text);  // NOLINT: implicit by design, like a literal.
  // A copy of the other's text, never of its tokenizer state.
  String(const String& other);
  String(String&& other) noexcept;
  ~String();

  String& operator=(const String& other) { return Assign(other); }
  String& operator=(String&&) = delete;

  // Replaces the text; a null text empties the String. Ends a tokenization.
  String& Assign(const char* text);
  String& Assign(const String& other);
  // Replaces the text with the |length| bytes at |text|, which hold no zero
  // byte and lie outside this buffer.
  String& Assign(const char* text, std::uint32_t length);

  // Makes the text |length| bytes long and returns the buffer, for the
  // caller to write those bytes (none of them zero); null when the buffer
  // could not be had. Ends a tokenization.
  char* Overwrite(std::uint32_t length);

  // Exchanges the texts of the two Strings, buffers and all; both
  // tokenizations end.
  void Swap(String& other);

  // The buffer itself; null only for a String without a buffer.
  const char* GetText() const { return buffer; }
  int Length() const;
  std::uint32_t Capacity() const { return capacity; }
  bool IsTokenizing() const { return (flags & 1) != 0; }

  // True when every byte is a space, tab, line feed or carriage return
  // (the empty text and a String without a buffer included).
  bool IsBlank() const;
  // Equal apart from letter case.
  bool Equals(const String& other) const;

  // This text followed by the other; neither operand changes.
  String Concat(const String& other) const;
  String Concat(const char* text) const;

  // The next token between |delimiters|; the empty String once the text is
  // exhausted, after which the next call starts again at the first token.
  String NextToken(const char* delimiters);
  // The number of tokens in the whole text; a tokenization in progress goes
  // on as if this call had not been made.
  int CountTokens(const char* delimiters);

  // Replaces the text with |value| in fixed notation: "%f" for the default
  // precision -1, "%.<precision>f" otherwise.
  String& FromDouble(double value, int precision = -1);
  // Reads the text with the program's own forgiving parser (see string.cc):
  // unknown characters are skipped, and the rounding order is fixed to the
  // bit, so results can differ from strtod's in the last place.
  double ToDouble() const;

 private:
  void SetCapacity(std::uint32_t bytes);
  // Shows the one failure this class has: a heap block that could not be had.
  void ReportAllocationFailure();
  void ResetTokenizer();

  char* buffer;
  char* cursor;
  std::uint8_t flags;
  std::uint32_t capacity;
};

// The blank test on a raw text; a null text is blank.
bool IsBlankText(const char* text);

#endif  // ZONE2LAS_TEXT_STRING_H_
