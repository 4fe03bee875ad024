// A check of DiskFile's 64-bit offsets on a sparse file beyond 4 GiB, shared
// by the unit tests and a small program that the Windows build runs, where
// the C library's long is 32 bits.
#ifndef ZONE2LAS_TESTS_LARGE_OFFSETS_H_
#define ZONE2LAS_TESTS_LARGE_OFFSETS_H_

#include <string>

// Writes a file in |directory| with a few bytes at its start and a few past
// 4 GiB, tells, seeks and reads them back, and removes it. False, with what
// went wrong in |err|, when an offset is lost or a byte is wrong.
bool CheckLargeOffsets(const std::string& directory, std::string* err);

#endif  // ZONE2LAS_TESTS_LARGE_OFFSETS_H_
