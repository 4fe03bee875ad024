// What a well's name means on disk: where its file may go, and which names
// are one well because they reach one file.
#ifndef ZONE2LAS_CONVERT_WELL_NAMES_H_
#define ZONE2LAS_CONVERT_WELL_NAMES_H_

#include <string>

// True when |name| (a well token with ".las") would place its file inside the
// working directory: not absolute, no drive, and no ".." that climbs above it.
bool StaysInWorkingDirectory(const char* name);

// The key under which a well is remembered: the full path of its file, so
// that names which reach one file ("W1", "./W1", "sub/../W1") are one well,
// as are names that differ only in the case of ASCII letters.
std::string WellKey(const std::string& file_name);

#endif  // ZONE2LAS_CONVERT_WELL_NAMES_H_
