// Helpers for end-to-end tests: a fresh directory per test and a way to run
// the built program in it.
#ifndef ZONE2LAS_TESTS_SCRATCH_H_
#define ZONE2LAS_TESTS_SCRATCH_H_

#include <filesystem>
#include <string>
#include <vector>

// A fresh, empty directory under the system's temporary directory, removed
// with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / name;
  }

  // Writes |content| byte for byte (no line-end translation).
  void Write(const std::string& name, const std::string& content) const;
  // The file's bytes; "<missing>" when it cannot be read.
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // The names of the entries in the directory, sorted.
  std::vector<std::string> List() const;

 private:
  std::filesystem::path path_;
};

// A Windows program writes its standard streams in text mode; their carriage
// returns before line feeds are dropped here, so that the same expectations
// hold on every system.
struct ProgramResult {
  int status = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// The command that starts the program under test: the environment's
// ZONE2LAS_COMMAND (for instance an emulator and a cross-built binary) or the
// binary of this build.
std::string ProgramCommand();

// Whether the program under test is a Windows program: always on Windows,
// and elsewhere when the environment's ZONE2LAS_TARGET is "windows" (a
// cross-built binary run under an emulator).
bool ProgramIsWindows();

// Runs the program with |args| in |dir| as working directory, after
// |limits|: shell commands such as ulimit that the program's process is to
// run under (POSIX shells only).
ProgramResult RunProgram(const ScratchDir& dir,
                         const std::vector<std::string>& args,
                         const std::string& limits = "");

// |text| in single quotes for the POSIX shell.
std::string ShellQuote(const std::string& text);

// |text| without its carriage returns: a CRLF table as an LF one.
std::string WithoutCarriageReturns(const std::string& text);

// Reads a fixture from tests/data.
std::string ReadTestData(const std::string& relative_path);

// A run of the program in a fresh directory on one table, and what it left
// there beside the table (and the FIFO "pipe", if any): entries by name, a
// folder's content as "<folder>".
struct Conversion {
  ProgramResult result;
  std::vector<std::string> names;
  std::vector<std::string> files;
};

// Writes |table| as |name| into a fresh directory that holds the empty
// |folders| too, and runs the program there with |args| after |limits| (as
// RunProgram).
Conversion ConvertTable(const std::string& name, const std::string& table,
                        const std::vector<std::string>& args,
                        const std::vector<std::string>& folders = {},
                        const std::string& limits = "");

#endif  // ZONE2LAS_TESTS_SCRATCH_H_
