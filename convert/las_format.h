// The fixed shape of the zone table and of the LAS rows made from it.
#ifndef ZONE2LAS_CONVERT_LAS_FORMAT_H_
#define ZONE2LAS_CONVERT_LAS_FORMAT_H_

// Well, top, bottom and zone come before the attribute values in every line
// of the zone table, and name the first four columns of its header line.
constexpr int kFixedColumns = 4;

// The lead-in above a well's first interval, in metres.
constexpr double kLeadIn = 2.0;
// The lead-in end, gap end and interval end rows stand this far (metres)
// above the depth that follows them.
constexpr double kEndRowOffset = 0.01;

// The LAS null value, written in the NULL line and in every attribute cell
// outside an interval.
constexpr const char kNullText[] = "-9999.0";

#endif  // ZONE2LAS_CONVERT_LAS_FORMAT_H_
