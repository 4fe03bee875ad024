// Numbers as the program writes them: the exact "%f" text of a depth,
// formatted on the stack, once per row. (String's FromDouble and ToDouble,
// the conversions of the header and the table, live in text/number.cc too.)
#ifndef ZONE2LAS_TEXT_NUMBER_H_
#define ZONE2LAS_TEXT_NUMBER_H_

// The longest depth text FormatDepth writes: the most negative double has a
// sign, 309 digits, a point and six decimals (317 bytes).
constexpr int kMaxDepthText = 320;

// Writes |depth| into |text| (room for kMaxDepthText bytes, no terminator
// added) exactly as "%f" prints it; returns the number of bytes.
int FormatDepth(double depth, char* text);

#endif  // ZONE2LAS_TEXT_NUMBER_H_
