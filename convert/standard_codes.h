// The integer codes that stand for texts in a standard file, whose data
// section holds numbers only: the zones, and the values of the columns that
// hold text. Texts are numbered from 1 in the order their first lines are
// written; zones may take their codes from the --zone-codes file instead.
#ifndef ZONE2LAS_CONVERT_STANDARD_CODES_H_
#define ZONE2LAS_CONVERT_STANDARD_CODES_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include "convert/report.h"

// Where a text first comes when the lines are taken in the order their
// files are written: its well's order, the line's top (depth key), the
// line's number.
using FirstSeen = std::tuple<std::size_t, std::int32_t, long>;

// Keeps in |seen| where |text| is first met: |where|, unless it was met
// earlier.
void Remember(std::map<std::string, FirstSeen>* seen, const char* text,
              const FirstSeen& where);

// Numbers the texts of |seen| from 1 into |codes|, in the order they are
// first met.
void AssignCodes(const std::map<std::string, FirstSeen>& seen,
                 std::map<std::string, long long>* codes);

// Gives every zone of |seen| its code in |codes|: by AssignCodes when
// |name| is null, otherwise from the file |name|, a table with the columns
// ZONE and CODE. Returns 0, or kExitUsage once |reporter| has told what is
// wrong with the file: it cannot be read, lacks a column, lists a zone or a
// code twice, gives a code that is not a whole number of at least 1, or
// gives no code to a zone of the table.
int ReadZoneCodes(const char* name,
                  const std::map<std::string, FirstSeen>& seen,
                  Reporter& reporter, std::map<std::string, long long>* codes);

#endif  // ZONE2LAS_CONVERT_STANDARD_CODES_H_
