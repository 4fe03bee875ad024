// <windows.h> as every Windows file of the platform layer takes it: its lean
// form, and without the min and max macros that would break std::min.
#ifndef ZONE2LAS_PLATFORM_WINDOWS_HEADERS_H_
#define ZONE2LAS_PLATFORM_WINDOWS_HEADERS_H_

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#endif  // ZONE2LAS_PLATFORM_WINDOWS_HEADERS_H_
