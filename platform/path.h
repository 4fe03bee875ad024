// Rules that the platform files share: what separates path components, what
// makes a name blank or a plain component, how private names are spelled, how a path splits into its parts, and the heap limit of
// the tests. Only the platform's own .cc files include this header.
#ifndef ZONE2LAS_PLATFORM_PATH_H_
#define ZONE2LAS_PLATFORM_PATH_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {
namespace internal {

// Both "/" and "\" separate components on every system.
bool IsSeparator(char c);

// The same four bytes as the program's blank test; a null name is blank.
bool IsBlankName(const char* name);

// One path component: not empty, none of the bytes of |separators|, not "."
// or "..".
bool IsPlainName(const char* name, const char* separators);

// |prefix| and eight characters drawn from |bits|: lower-case letters and
// digits only, so that names made this way stay apart on file systems that
// fold case.
std::string RandomName(const char* prefix, std::uint64_t bits);

// Copies at most |limit| - 1 bytes of [begin, end) into |out|, if given.
void CopyPart(const char* begin, const char* end, char* out, int limit);

// Splits |path| (never null) by the rules of platform::SplitPath, each part
// cut to its buffer. |is_lead_byte|, when given, marks the first byte of a
// double-byte character, whose second byte is never a separator or a dot.
void SplitPathByRules(const char* path, char* drive, char* directory,
                      char* title, char* extension,
                      bool (*is_lead_byte)(char) = nullptr);

// True when SetAllocationLimitForTesting forbids a block of |bytes|; the
// caller sets the system's error code for "not enough memory".
bool OverLimit(std::size_t bytes);

// Counts one reported allocation failure for AllocationFailureCount.
void CountAllocationFailure();

}  // namespace internal
}  // namespace platform

#endif  // ZONE2LAS_PLATFORM_PATH_H_
