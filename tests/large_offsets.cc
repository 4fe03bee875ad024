#include "tests/large_offsets.h"

#include <cstdint>
#include <cstdio>

#include "io/disk_file.h"
#include "text/string.h"

namespace {

// Past 2^31 (a 32-bit long) and 2^32 (a 32-bit unsigned), odd so that no
// lucky rounding hides a lost bit.
constexpr std::int64_t kFar = (std::int64_t{5} << 30) + 7;

bool Fail(std::string* err, const std::string& what, std::int64_t got) {
  *err = what + " (got " + std::to_string(got) + ")";
  return false;
}

std::string NextLine(DiskFile& file) {
  String line;
  file.ReadLine(line);
  return line.GetText() != nullptr ? line.GetText() : "";
}

}  // namespace

bool CheckLargeOffsets(const std::string& directory, std::string* err) {
  const std::string path = directory + "/large-offsets.bin";
  DiskFile file;
  file.SetName(path.c_str());
  if (!file.OpenWrite(false)) return Fail(err, "cannot create " + path, -1);
  file.Write("head\n");
  file.Seek(kFar);
  if (file.Tell() != kFar) return Fail(err, "Tell after Seek", file.Tell());
  file.Write("tail\n");
  if (file.Tell() != kFar + 5)
    return Fail(err, "Tell after Write", file.Tell());
  std::string close_err;
  if (!file.Close(&close_err)) return Fail(err, "Close: " + close_err, -1);

  bool ok = false;
  if (!file.OpenRead(false)) {
    Fail(err, "cannot reopen " + path, -1);
  } else if (file.Size() != kFar + 5) {
    Fail(err, "Size", file.Size());
  } else {
    file.Seek(kFar);
    const std::string tail = NextLine(file);
    file.SeekStart();
    const std::string head = NextLine(file);
    if (tail != "tail\n") {
      *err = "read \"" + tail + "\" past 4 GiB";
    } else if (head != "head\n") {
      *err = "read \"" + head + "\" at the start";
    } else {
      ok = true;
    }
  }
  file.Close();
  std::remove(path.c_str());
  return ok;
}
