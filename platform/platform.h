// The one place that knows which operating system the program runs on.
//
// Everything above this layer is plain standard C++. On Windows these calls
// map onto the process heap, the ANSI text routines, _fullpath and
// _splitpath; elsewhere they are faithful equivalents of those calls.
#ifndef ZONE2LAS_PLATFORM_PLATFORM_H_
#define ZONE2LAS_PLATFORM_PLATFORM_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// Heap blocks. Every block comes back zero-filled, and the bytes that a block
// gains when it grows are zero too. A null result means no block could be
// had; the caller reports it with ReportAllocationFailure.
void* AllocateZeroed(std::size_t bytes);
// Grows or shrinks |block| (of |old_bytes|) to |new_bytes|. On failure the
// result is null and |block| is still owned by the caller.
void* ReallocateZeroed(void* block, std::size_t old_bytes,
                       std::size_t new_bytes);
void Release(void* block);

// Tells the user that a heap block could not be had: a message box with
// |caption| and the system's description of the last error on Windows, the
// same two texts on standard error elsewhere.
void ReportAllocationFailure(const char* caption);

// How many allocation failures ReportAllocationFailure has reported so far.
// The driver refuses to call a run successful once any text was lost.
int AllocationFailureCount();

// Makes every allocation of more than |bytes| fail, so that tests can reach
// the failure paths; 0 lifts the limit.
void SetAllocationLimitForTesting(std::size_t bytes);

// Byte texts. A null text has length 0.
int TextLength(const char* text);
void TextCopy(char* destination, const char* source);
// Compares two texts without regard to letter case: 0 when they are equal.
// ASCII letters fold to one case; every other byte compares as itself.
int CompareNoCase(const char* a, const char* b);

// The longest full path, terminator included.
constexpr int kMaxPath = 260;
// Sizes of the parts that SplitPath hands out, terminator included.
constexpr int kMaxDrive = 3;
constexpr int kMaxPart = 256;

// Resolves |name| against the current working directory into |out| (|size|
// bytes), folding "." and ".." components; the file need not exist. Both "/"
// and "\" separate components. False, with |out| untouched, when the full path
// would not fit in |size| bytes or the name cannot be resolved.
bool FullPath(char* out, const char* name, int size);

// Splits |path| into drive ("C:" when the second character is a colon),
// directory (up to and including the last "/" or "\"), title and extension
// (from the last "." after the directory). Each out-buffer may be null;
// |drive| holds kMaxDrive bytes, the others kMaxPart. Directory, title and
// extension keep at most their first kMaxPart - 1 characters.
void SplitPath(const char* path, char* drive, char* directory, char* title,
               char* extension);

// Stream offsets in 64 bits on every system (the C library's long is 32 bits
// on Windows). SeekFile gives false when the seek fails; TellFile gives -1
// when the offset cannot be told.
bool SeekFile(std::FILE* stream, std::int64_t offset, int origin);
std::int64_t TellFile(std::FILE* stream);

// Writes |size| bytes straight to the file under |stream|, past the stream's
// buffer, which must be empty: the bytes are copied once, into the system.
// Short writes and interrupted calls go on where they stopped. Returns 0, or
// the system's error number of the write that failed. The stream does not
// know the file's new offset: DescriptorOffset tells it.
int WriteToDescriptor(std::FILE* stream, const char* bytes, std::size_t size);
// Reads at most |size| bytes of the file under |stream| in one read of its
// descriptor, past the stream's buffer, which must be empty: what a pipe
// holds at the moment, or the next |size| bytes of a file. Returns how many
// (0 at the end), or -1 with errno set. An interrupted read is made again,
// unless a stop signal has come (see process.h).
std::int64_t ReadFromDescriptor(std::FILE* stream, char* bytes,
                                std::size_t size);
// Moves the file under |stream| as fseek would, past the stream, whose
// buffer must be empty; false with errno set when it cannot.
bool SeekDescriptor(std::FILE* stream, std::int64_t offset, int origin);
// The offset of the file under |stream| as the system holds it, -1 when it
// cannot be told.
std::int64_t DescriptorOffset(std::FILE* stream);

// Files. Each of these fills |err| with the system's reason on failure; the
// caller adds the file names.

// Creates a new file in |directory| (the current one when empty) whose name
// starts with |prefix|, exclusively, so that no other process can own the
// name, and opens it for binary reading and writing ("wb+"). |path| receives
// the file's name (|directory| joined with the file's own name). Null when no
// such file could be made.
std::FILE* CreateUniqueFile(const std::string& directory,
                            const std::string& prefix, std::string* path,
                            std::string* err);

// Creates a new, empty file in the system's directory for temporary files,
// exclusively, and closes it again; |path| receives its name.
bool CreateTemporaryFile(std::string* path, std::string* err);

}  // namespace platform

#endif  // ZONE2LAS_PLATFORM_PLATFORM_H_
