// The text that the platform layer's Windows files give for a failed file
// call, shared by the files that call kernel32 directly.
#ifndef ZONE2LAS_PLATFORM_FILE_ERROR_WIN32_H_
#define ZONE2LAS_PLATFORM_FILE_ERROR_WIN32_H_

#include <string>

namespace platform {

// The reason for the system error |code| in the C runtime's words where
// there are such words ("No such file or directory"), else the system's
// own description.
std::string FileErrorText(unsigned long code);

}  // namespace platform

#endif  // ZONE2LAS_PLATFORM_FILE_ERROR_WIN32_H_
