// What a well's name means on disk: where its file may go, and which names
// are one well because they reach one file.
#ifndef ZONE2LAS_CONVERT_WELL_NAMES_H_
#define ZONE2LAS_CONVERT_WELL_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

// True when |name| (a well token with ".las") would place its file inside the
// working directory: not absolute, no drive, and no ".." that climbs above it.
bool StaysInWorkingDirectory(const char* name);

// |well| made a plain file name, the same on every system: each of
// / \ : * ? " < > | and every control character becomes '_', and a name
// that Windows keeps for a device (CON, NUL, COM1, ...; before its first
// point) gets a '_' after it.
std::string FlatName(const std::string& well);

// The folders that wells' files go to: the output directory and the folders
// below it that well names lead to, each with the run's private directory in
// it, made when its first well starts. The output directory and its private
// directory are held for the whole run; of the other folders only the few
// used last are held (platform::FoldersToHold), so that a run in many
// folders needs few descriptors. One let go of is reopened when needed, and
// only if it and its private directory are still the directories first
// found: nothing done to names meanwhile can redirect a write.
// Whether the folder |output_dir| can be opened, as the run will open it;
// the reason in |err| when it cannot.
bool OutputDirectoryOpens(const char* output_dir, std::string* err);

class WellFolders {
 public:
  // |output_dir|: the working directory when empty.
  explicit WellFolders(const std::string& output_dir);
  ~WellFolders();

  // Where the file |file_name| ("<well>.las", perhaps below a folder) goes:
  // the index of its folder, its name there and the key of the file it
  // reaches, which two spellings of one file share. False when the file
  // may not or cannot go there: |err| tells why, and is empty when the
  // folder lies outside the output directory (links resolved).
  bool Place(const std::string& file_name, std::size_t* folder,
             std::string* base_name, std::string* key, std::string* err);

  // The folder |folder|, held or reopened; null, with the reason in |err|,
  // when it cannot be had. Like Partial, valid until another folder is
  // asked for.
  platform::Directory* Folder(std::size_t folder, std::string* err);
  // The run's private directory in the output directory, made when first
  // asked for; null, with the reason in |err|, when it cannot be had.
  platform::Directory* OutputPartial(std::string* err) {
    return OpenOutputDirectory(err) ? Partial(0, err) : nullptr;
  }
  // Takes the run's lock on the output directory (see
  // platform::Directory::Lock).
  bool LockOutput(bool wait, bool* busy, std::string* err) {
    *busy = false;
    return OpenOutputDirectory(err) &&
           held_[0]->directory.Lock(wait, busy, err);
  }
  // The run's private directory in |folder|; null, with the reason in
  // |err|, when it cannot be made or reopened.
  platform::Directory* Partial(std::size_t folder, std::string* err);
  // Moves the file |name| of |folder|'s private directory to its name in
  // |folder|.
  bool MoveIntoPlace(std::size_t folder, const std::string& name,
                     std::string* err);
  // Removes the private directories, which must be empty by now.
  void RemovePartials();

 private:
  static constexpr std::size_t kNotHeld = static_cast<std::size_t>(-1);

  // What the run keeps of a folder, held or not.
  struct Known {
    std::string shown;  // the spelling that first reached it, for messages
    // Its path below the output directory, links resolved, to reopen it by;
    // empty for one that is never let go of.
    std::string relative;
    platform::FileIdentity identity;
    std::string partial_name;  // of its private directory, once made
    platform::FileIdentity partial_identity;
    std::size_t held = kNotHeld;  // its place in held_
  };
  // A folder held open, with its private directory.
  struct Held {
    std::size_t folder = kNotHeld;
    std::uint64_t last_use = 0;
    platform::Directory directory;
    platform::Directory partial;
  };

  bool OpenOutputDirectory(std::string* err);
  bool FolderOf(const std::string& directory_part, std::size_t* index,
                std::string* err);
  Held* Hold(std::size_t folder, std::string* err);
  std::size_t FreePlace();

  const std::string output_dir_;
  const std::size_t most_held_;
  bool output_opened_ = false;
  std::string output_error_;
  std::uint64_t uses_ = 0;
  // By index; the first is the output directory.
  std::vector<Known> folders_;
  // The first holds the output directory, for the whole run.
  std::vector<std::unique_ptr<Held>> held_;
  std::map<std::string, std::size_t> folder_by_text_;
  std::map<platform::FileIdentity, std::size_t> folder_by_identity_;
};

#endif  // ZONE2LAS_CONVERT_WELL_NAMES_H_
