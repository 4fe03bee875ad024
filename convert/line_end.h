// Where a line of a table ends. A line ends at its line feed; the run of
// carriage returns directly before it belongs to the line end (CRLF and
// CR CR LF read alike), as does such a run at the very end of the file. A
// carriage return anywhere else means that some lines end in a carriage
// return alone: their records would run together, so such a line is refused.
#ifndef ZONE2LAS_CONVERT_LINE_END_H_
#define ZONE2LAS_CONVERT_LINE_END_H_

#include <cstddef>
#include <string>

// The reason given for a line that holds a carriage return before its end.
extern const char kMixedLineEndsReason[];

// |length| less the line end of |line|.
std::size_t LineContentLength(const char* line, std::size_t length);

// False, with kMixedLineEndsReason in |err|, when a carriage return stands
// in |line| before its line end. For tables whose fields are split on white
// space, where no quote may hold one.
bool CheckLineEnd(const char* line, std::size_t length, std::string* err);

#endif  // ZONE2LAS_CONVERT_LINE_END_H_
