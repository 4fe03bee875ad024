// Zone tables as spreadsheets and interpretation packages export them:
// fields split on a comma, a semicolon or a tab, with double quotes around
// texts that hold spaces or the delimiter itself. Whitespace tables keep the
// program's own tokenizer; this file only splits and tidies delimited lines.
#ifndef ZONE2LAS_CONVERT_DELIMITED_H_
#define ZONE2LAS_CONVERT_DELIMITED_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/fields.h"

enum class Delimiter { kSpace, kComma, kSemicolon, kTab };

// Reads the value of the delimiter option: "space", "comma", "semicolon" or
// "tab" give that delimiter, "auto" gives no value (detect it from the header
// line). Anything else is an error that names the value and the choices.
bool ParseDelimiterOption(const std::string& value,
                          std::optional<Delimiter>* delimiter,
                          std::string* err);

// The option value that selects |delimiter| ("space", "comma", ...).
const char* DelimiterName(Delimiter delimiter);

// The byte that separates fields: ',', ';' or '\t'; ' ' for kSpace, whose
// tables are split on runs of white space by the String tokenizer instead.
char DelimiterByte(Delimiter delimiter);

// The delimiter of a table whose header line is |header| (its line end is
// ignored): a comma or a semicolon when splitting the header on it,
// outside double quotes, gives at least |least_fields| fields, the one giving
// more if both do (the comma on a tie); otherwise kSpace. A tab is never
// guessed: a tab table reads as a whitespace table unless the option names it.
Delimiter DetectDelimiter(const char* header, std::size_t length,
                          int least_fields = 4);

// Splits one line of a delimited table into |fields| (replaced, with their
// buffers reused). A trailing LF, CRLF or lone CR ends the line and belongs to
// no field.
//
// A field whose first byte after blanks (spaces and tabs, except the
// delimiter) is a double quote is quoted: it runs to the next lone quote, a
// doubled quote inside it stands for one quote, and delimiters, blanks and
// every other byte inside it are kept. Only blanks may follow its closing
// quote before the delimiter. Blanks around an unquoted field are trimmed;
// a quote inside an unquoted field is an ordinary byte. Empty fields are kept
// as empty strings, so "a,,b" gives 3 fields and "a,b," gives 3, the last
// empty; an empty line gives one empty field.
//
// Only the first |max_fields| fields are kept; the rest of the line is still
// checked, so that a line of many fields costs no memory for them.
//
// Fails, with a message without file or line, when a quoted field runs past
// the end of the line (a line feed inside quotes included: lines are read one
// at a time) or has other text after its closing quote.
bool SplitDelimitedFields(const char* line, std::size_t length, char delimiter,
                          std::vector<std::string>* fields, std::string* err,
                          std::size_t max_fields = SIZE_MAX);
bool SplitDelimitedFields(const char* line, std::size_t length, char delimiter,
                          Fields* fields, std::string* err,
                          std::size_t max_fields = SIZE_MAX);

// Where a comma is the decimal mark (semicolon tables): the |length| bytes
// at |text|, when they are a number written with one, such as "1012,5",
// "-0,24", ",5" or "1,5E-3" (an optional sign, digits, the comma, digits, at
// least one digit in all, then an optional exponent), get a point in its
// place. Any other text is left as it is. Returns whether the text changed.
bool DecimalCommaToPoint(char* text, std::size_t length);

// Replaces each run of white space (space, tab, CR, LF, vertical tab, form
// feed) in |text| by one '_', so that a name or value read from a quoted
// field stays one token in a LAS row. Returns whether |text| changed.
bool JoinWhiteSpaceRuns(std::string* text);
// The same on the |*length| bytes at |text|, in place; |*length| gets the
// joined text's length.
bool JoinWhiteSpaceRuns(char* text, std::size_t* length);

#endif  // ZONE2LAS_CONVERT_DELIMITED_H_
