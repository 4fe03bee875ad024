#include "text/string.h"

#include <cstring>

#include "platform/platform.h"

namespace {

// The capacity a String gets when 0 is asked for.
constexpr std::uint32_t kDefaultCapacity = 64;

// The caption of the failure report, exactly as users have always seen it.
constexpr const char kAllocationFailureCaption[] =
    "Memory Allocation Errow in 'String'";

// A plain loop over the few delimiters rather than a call per byte; the
// terminator of the set is never a delimiter.
bool IsDelimiter(char c, const char* delimiters) {
  if (delimiters == nullptr) return false;
  for (; *delimiters != 0; ++delimiters) {
    if (*delimiters == c) return true;
  }
  return false;
}

}  // namespace

String::String(std::uint32_t capacity)
    : buffer(nullptr), cursor(nullptr), flags(0), capacity(0) {
  SetCapacity(capacity == 0 ? kDefaultCapacity : capacity);
}

String::String(const char* text)
    : buffer(nullptr), cursor(nullptr), flags(0), capacity(0) {
  // Capacity 0 is too small for any text, so this allocates exactly
  // length + 1 bytes.
  Assign(text);
}

String::String(const String& other)
    : buffer(nullptr), cursor(nullptr), flags(0), capacity(0) {
  Assign(other);
}

// Only ever used to hand back a result, which starts idle.
String::String(String&& other) noexcept
    : buffer(other.buffer),
      cursor(nullptr),
      flags(0),
      capacity(other.capacity) {
  other.buffer = nullptr;
  other.cursor = nullptr;
  other.flags = 0;
  other.capacity = 0;
}

String::~String() {
  if (buffer != nullptr) platform::Release(buffer);
}

void String::SetCapacity(std::uint32_t bytes) {
  const std::uint32_t old_capacity = capacity;
  capacity = bytes;
  void* block = buffer != nullptr
                    ? platform::ReallocateZeroed(buffer, old_capacity, bytes)
                    : platform::AllocateZeroed(bytes);
  if (block == nullptr) {
    ReportAllocationFailure();
    // The text is lost either way; the old block is not kept alive for
    // nobody to refer to.
    if (buffer != nullptr) platform::Release(buffer);
    buffer = nullptr;
    capacity = 0;
    return;
  }
  buffer = static_cast<char*>(block);
  buffer[bytes - 1] = 0;
}

void String::ReportAllocationFailure() {
  platform::ReportAllocationFailure(kAllocationFailureCaption);
}

void String::ResetTokenizer() {
  flags &= static_cast<std::uint8_t>(~1u);
  cursor = nullptr;
}

String& String::Assign(const char* text) {
  if (flags & 1) ResetTokenizer();
  if (text == nullptr) {
    if (buffer != nullptr) buffer[0] = 0;
    return *this;
  }
  const std::uint32_t bytes =
      static_cast<std::uint32_t>(platform::TextLength(text)) + 1;
  // A text that lies inside this buffer always fits, so growth never moves
  // the block out from under it.
  if (bytes > capacity) SetCapacity(bytes);
  if (buffer == nullptr) return *this;
  // memmove, not a string copy: the text may be a part of this very buffer
  // (a String assigned its own text, or a tail of it).
  std::memmove(buffer, text, bytes);
  return *this;
}

String& String::Assign(const char* text, std::uint32_t length) {
  if (flags & 1) ResetTokenizer();
  if (length + 1 > capacity) SetCapacity(length + 1);
  if (buffer == nullptr) return *this;
  std::memcpy(buffer, text, length);
  buffer[length] = 0;
  return *this;
}

char* String::Overwrite(std::uint32_t length) {
  if (flags & 1) ResetTokenizer();
  if (length + 1 > capacity) SetCapacity(length + 1);
  if (buffer == nullptr) return nullptr;
  buffer[length] = 0;
  return buffer;
}

String& String::Assign(const String& other) {
  if (&other == this) {
    if (flags & 1) ResetTokenizer();
    return *this;
  }
  if (other.buffer == nullptr) {
    // A String without a buffer reads as the empty text. Growing to 1 byte
    // only happens when this String has lost its own buffer too.
    return Assign("");
  }
  return Assign(other.buffer);
}

void String::Swap(String& other) {
  char* const other_buffer = other.buffer;
  const std::uint32_t other_capacity = other.capacity;
  other.buffer = buffer;
  other.capacity = capacity;
  buffer = other_buffer;
  capacity = other_capacity;
  ResetTokenizer();
  other.ResetTokenizer();
}

int String::Length() const {
  return buffer != nullptr ? platform::TextLength(buffer) : 0;
}

bool String::IsBlank() const { return IsBlankText(buffer); }

bool IsBlankText(const char* text) {
  if (text == nullptr) return true;
  for (; *text != 0; ++text) {
    if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r')
      return false;
  }
  return true;
}

bool String::Equals(const String& other) const {
  return platform::CompareNoCase(buffer != nullptr ? buffer : "",
                                 other.buffer != nullptr ? other.buffer : "") ==
         0;
}

String String::Concat(const String& other) const {
  return Concat(other.buffer);
}

String String::Concat(const char* text) const {
  const std::uint32_t own_length = static_cast<std::uint32_t>(Length());
  const std::uint32_t text_length =
      static_cast<std::uint32_t>(platform::TextLength(text));
  String result(own_length + text_length + 1);
  // Without a buffer the result reads as the empty text; the report has
  // been shown.
  if (result.buffer == nullptr) return result;
  // The zero fill supplies the terminator.
  if (own_length > 0) std::memcpy(result.buffer, buffer, own_length);
  if (text_length > 0)
    std::memcpy(result.buffer + own_length, text, text_length);
  return result;
}

// The token's end is found by scanning from the cursor, so a call costs the
// length of its token and the delimiters before it, never the rest of the
// line: a line of a million tokens is taken apart in linear time.
String String::NextToken(const char* delimiters) {
  if (!(flags & 1)) {
    flags |= 1;
    cursor = buffer;
  }
  if (cursor != nullptr) {
    while (*cursor != 0 && IsDelimiter(*cursor, delimiters)) ++cursor;
  }
  if (cursor == nullptr || *cursor == 0) {
    ResetTokenizer();
    return String("");
  }
  const char* end = cursor;
  while (*end != 0 && !IsDelimiter(*end, delimiters)) ++end;
  const std::uint32_t token_length = static_cast<std::uint32_t>(end - cursor);
  String token(token_length + 1);
  if (token.buffer == nullptr) {
    // The token is lost; ending the tokenization keeps an empty result
    // meaning "no more tokens", and keeps CountTokens from looping forever.
    ResetTokenizer();
    return token;
  }
  std::memcpy(token.buffer, cursor, token_length);
  // The cursor rests on the delimiter that ended the token, or on the
  // terminator.
  cursor += token_length;
  return token;
}

// Counted in place, without taking a token out: the tokenization in progress
// is not touched.
int String::CountTokens(const char* delimiters) {
  if (buffer == nullptr) return 0;
  int count = 0;
  bool in_token = false;
  for (const char* c = buffer; *c != 0; ++c) {
    const bool delimiter = IsDelimiter(*c, delimiters);
    if (!delimiter && !in_token) ++count;
    in_token = !delimiter;
  }
  return count;
}
