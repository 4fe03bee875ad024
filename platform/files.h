// Files reached through a directory that the program holds open, and the
// identities that tell whether two names reach one file.
//
// A name is only text: between two calls another process can rename a
// directory away, put a link in its place or reach one file under a second
// spelling. Everything here works on what a name reached when it was opened
// (a held directory, a device and file number), so that nothing another
// process does to names can redirect a write, and two spellings of one file
// are known as one.
#ifndef ZONE2LAS_PLATFORM_FILES_H_
#define ZONE2LAS_PLATFORM_FILES_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// What a file is, whatever names reach it: the device (the volume's serial
// number on Windows) and the file's number on it (inode; file index).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
};

inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
  return a.device == b.device && a.file == b.file;
}
inline bool operator!=(const FileIdentity& a, const FileIdentity& b) {
  return !(a == b);
}
// An order of its own, for keys of sorted containers.
inline bool operator<(const FileIdentity& a, const FileIdentity& b) {
  return a.device != b.device ? a.device < b.device : a.file < b.file;
}

// The identity of the file or directory that |path| reaches, links
// followed. |err| gets the system's reason on failure.
bool IdentifyPath(const char* path, FileIdentity* identity, std::string* err);

// |name| folded as the file system folds names when it looks them up, for
// comparing names of one directory: ASCII letters on POSIX systems; on
// Windows every letter of the ANSI code page, as NTFS folds them ("\xC9" and
// "\xE9" in Latin-1 give one key there). The key is for comparisons only.
std::string FileNameKey(const char* name);

// Resolves |name| against the current working directory into |out|,
// folding "." and ".." components (the file need not exist), up to the
// system's limit on a full path: 4096 bytes on Linux, 260 on Windows,
// terminator included. On failure |out| is untouched and |err| tells why:
// "File name too long" (the system's text) when the path would not fit, "the
// working directory no longer exists" when it was removed.
bool FullPath(const char* name, std::string* out, std::string* err);

// A directory held open for as long as the object lives. Files are created,
// reopened, renamed and removed relative to the held directory, never by a
// path that could be redirected: a file is created only if its name is new
// and never through a link, and the directory cannot be swapped for another
// one under the program's feet (on Windows it cannot be renamed at all
// while held).
//
// A directory made by MakePrivate belongs to the run: on POSIX systems only
// its owner may enter it, and it is removed again by RemoveSelf or, once it
// is empty, by the destructor.
//
// Every |name| given to the file operations is one plain file name, without
// a directory part.
class Directory {
 public:
  Directory() = default;
  // Closes the directory; a private one still there and empty is removed.
  ~Directory();
  Directory(Directory&& other) noexcept;
  Directory& operator=(Directory&& other) noexcept;
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;

  // Opens the existing directory |path| (links followed). Closes what the
  // object held before.
  bool Open(const char* path, std::string* err);
  // Opens the existing directory |path| taken relative to |base| (an
  // absolute |path| stands on its own).
  bool Open(const Directory& base, const char* path, std::string* err);

  // Opens again the directory |relative| below |base| (components
  // separated by "/"; empty for |base| itself) that was first found with
  // |identity|: one component at a time, no link followed, and only if it
  // is still that directory ("the directory was replaced" otherwise). For a
  // directory let go of meanwhile, which another process may have renamed.
  bool Reopen(const Directory& base, const std::string& relative,
              const FileIdentity& identity, std::string* err);

  // Creates a new directory inside |parent| whose name is |prefix| and 8
  // characters of its own, exclusively (a name that is taken only costs
  // another try), readable and writable by its owner alone, and holds it.
  bool MakePrivate(const Directory& parent, const char* prefix,
                   std::string* err);

  // Opens again the private directory |name| that MakePrivate made in
  // |parent| with |identity|, and holds it as MakePrivate did: only if it is
  // still that directory, not a link, and the run's own ("the directory was
  // replaced" otherwise).
  bool ReopenPrivate(const Directory& parent, const std::string& name,
                     const FileIdentity& identity, std::string* err);

  bool IsOpen() const { return handle_ != kNoHandle; }
  // The full path that the directory had when it was opened, links
  // resolved; for messages and comparisons, never for reaching files.
  const std::string& path() const { return path_; }
  // A private directory's own name inside its parent; empty otherwise.
  const std::string& name() const { return name_; }
  const FileIdentity& identity() const { return identity_; }

  // Creates the new file |name| for reading and writing in binary mode. No
  // existing file and no link is ever opened: a name that is taken fails
  // ("File exists"). The result is a C runtime file descriptor for
  // OpenStream; -1 on failure.
  int CreateNewFile(const char* name, std::string* err);
  // Opens the existing file |name| for reading and writing in binary mode,
  // without following a link; the file keeps its bytes. Only a regular file
  // with no other name (no hard link) is opened. -1 on failure.
  int ReopenFile(const char* name, std::string* err);

  // The identity of the entry |name| itself: a link is not followed, so
  // that it is what a rename onto |name| would replace.
  bool IdentifyFile(const char* name, FileIdentity* identity,
                    std::string* err) const;

  // Renames the file |name| of this directory to |target_name| in |target|,
  // replacing a file of that name (a link there is replaced itself, never
  // followed). On Windows the file must be closed.
  bool MoveOut(const char* name, const Directory& target,
               const char* target_name, std::string* err);
  bool RemoveFile(const char* name, std::string* err);

  // Removes a private directory, which must be empty by now, and closes it.
  // A directory that another process has renamed away is left where it is,
  // and so is whatever now stands under its name (false, "the directory
  // was moved away").
  bool RemoveSelf(std::string* err);
  // Lets go of the directory; a private one stays where it is.
  void Close();

  // Takes the run's lock on this directory, which serialises the runs that
  // put their files in it, until the directory is closed: an advisory lock on
  // the directory itself on POSIX systems (no lock file is left behind), a
  // named mutex for the directory's identity on Windows. With |wait| false,
  // gives false at once when another run holds it (|*busy| true); with |wait|,
  // a stop signal ends the wait (false, EINTR).
  bool Lock(bool wait, bool* busy, std::string* err);

 private:
  friend bool IsInside(const Directory& dir, const Directory& root);

  static constexpr std::intptr_t kNoHandle = -1;
  static const std::intptr_t kWorkingDirectory;

  // Opens |path| relative to the directory held by |base|, whose full path
  // is |base_path|, or to the working directory (kWorkingDirectory, with an
  // empty |base_path|).
  bool OpenAt(std::intptr_t base, const std::string& base_path,
              const char* path, std::string* err);
  // What the destructor and a move onto the object do: a private directory
  // that is empty goes, then the directory is closed.
  void Release();

  // A file descriptor on POSIX systems, a HANDLE on Windows.
  std::intptr_t handle_ = kNoHandle;
  // For a private directory on POSIX systems: its parent, held so that the
  // directory is removed from the directory it was made in (Windows removes
  // it through its own handle).
  std::intptr_t parent_handle_ = kNoHandle;
  // The lock that Lock took, let go of with the directory: a descriptor on
  // POSIX systems, a mutex on Windows.
  std::intptr_t lock_handle_ = kNoHandle;
  std::string path_;
  std::string name_;
  FileIdentity identity_;
};

// How many folders below its output directory, each with a private
// directory in it, a run holds open at once; the others are let go and
// reopened when needed (Directory::Reopen). A few on POSIX systems, fewer
// when the limit on open files is low: descriptors are scarce there. Every
// one on Windows, where handles are not scarce and a held directory cannot
// be renamed.
std::size_t FoldersToHold();

// Whether |dir| is |root| or lies somewhere below it, judged on the
// directories themselves: a link that leads out of |root| leads out.
bool IsInside(const Directory& dir, const Directory& root);

// A stream on |descriptor| (from CreateNewFile or ReopenFile) with the
// fopen |mode| ("r+b", "w+b"; no file is truncated either way). On failure
// the descriptor is closed and the result is null.
std::FILE* OpenStream(int descriptor, const char* mode, std::string* err);

// Cuts the file open as |stream| to |size| bytes, after writing out what the
// stream holds.
bool TruncateStream(std::FILE* stream, std::int64_t size, std::string* err);

}  // namespace platform

#endif  // ZONE2LAS_PLATFORM_FILES_H_
