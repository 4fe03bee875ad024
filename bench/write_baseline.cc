// The raw cost of writing the converter's output: loads every file of a
// directory into memory, then times writing the same bytes to a fresh
// directory in the same file system, one fwrite per file. The conversion can
// hardly be faster than this; the benchmark reports how far it is from it.
// (cp is no baseline: it copies inside the kernel.)
//
//   write_baseline <source dir> <scratch dir> [runs]
//
// Prints the files, bytes and rows (lines after "~Ascii") it loaded, the
// wall and CPU (user + system) seconds of every run and their medians. Run N
// writes into <scratch dir>/N, made afresh. Once timed, its files are
// emptied, which gives their pages back as removing them would, but kept:
// on ext4 without a journal a new file does not take the inode of one
// removed in the last minute or more, and every file created walks past
// each such inode of its group, so files removed between runs would slow
// the creations of every later run (of this program or of the conversion
// measured beside it). The caller removes the scratch directory when its
// timing is over.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct LoadedFile {
  std::string name;
  std::string bytes;
};

bool Load(const fs::path& path, std::string* bytes) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return false;
  char chunk[1 << 16];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
    bytes->append(chunk, got);
  const bool ok = !std::ferror(in);
  std::fclose(in);
  return ok;
}

long long CountRows(const std::string& las) {
  const std::string marker = "~Ascii\n";
  const std::size_t at = las.find(marker);
  if (at == std::string::npos) return 0;
  return std::count(las.begin() + static_cast<long>(at + marker.size()),
                    las.end(), '\n');
}

// Writes every file into |dir|; false (with a message) when any write fails.
bool WriteAll(const std::vector<LoadedFile>& files, const fs::path& dir) {
  for (const LoadedFile& file : files) {
    const fs::path path = dir / file.name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
      std::perror(path.c_str());
      return false;
    }
    const std::size_t written =
        std::fwrite(file.bytes.data(), 1, file.bytes.size(), out);
    if (std::fclose(out) != 0 || written != file.bytes.size()) {
      std::perror(path.c_str());
      return false;
    }
  }
  return true;
}

// Empties every file of |dir| (see the top of this file); false (with a
// message) when one cannot be emptied.
bool Empty(const fs::path& dir) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    fs::resize_file(entry.path(), 0, ec);
    if (ec) {
      std::fprintf(stderr, "write_baseline: cannot empty %s: %s\n",
                   entry.path().c_str(), ec.message().c_str());
      return false;
    }
  }
  return !ec;
}

// User plus system CPU seconds of this process so far.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) /
             1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: write_baseline <source dir> <scratch dir> [runs]\n");
    return 2;
  }
  const fs::path source = argv[1];
  const fs::path scratch = argv[2];
  const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
  if (runs < 1) {
    std::fprintf(stderr, "write_baseline: runs must be 1 or more\n");
    return 2;
  }

  std::vector<LoadedFile> files;
  long long bytes = 0;
  long long rows = 0;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(source, ec)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".las")
      continue;
    LoadedFile file;
    file.name = entry.path().filename().string();
    if (!Load(entry.path(), &file.bytes)) {
      std::perror(entry.path().c_str());
      return 1;
    }
    bytes += static_cast<long long>(file.bytes.size());
    rows += CountRows(file.bytes);
    files.push_back(std::move(file));
  }
  if (ec || files.empty()) {
    std::fprintf(stderr, "write_baseline: no .las files in %s\n", argv[1]);
    return 1;
  }
  std::printf("files %zu\nbytes %lld\nrows %lld\n", files.size(), bytes, rows);

  std::vector<double> seconds;
  std::vector<double> cpu_seconds;
  for (int run = 0; run < runs; ++run) {
    const fs::path dir = scratch / std::to_string(run + 1);
    if (!fs::create_directories(dir, ec)) {
      std::fprintf(stderr, "write_baseline: cannot create %s\n",
                   dir.c_str());
      return 1;
    }
    // The dirty pages of the previous run go out first, as before every
    // timed conversion, so that no run pays for another's write-back.
    sync();
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (!WriteAll(files, dir)) return 1;
    const std::chrono::duration<double> elapsed =
        std::chrono::steady_clock::now() - start;
    const double cpu = CpuSeconds() - cpu_start;
    seconds.push_back(elapsed.count());
    cpu_seconds.push_back(cpu);
    std::printf("run %.4f s, cpu %.4f s\n", elapsed.count(), cpu);
    if (!Empty(dir)) return 1;
  }
  std::sort(seconds.begin(), seconds.end());
  std::sort(cpu_seconds.begin(), cpu_seconds.end());
  std::printf("median %.4f\n", seconds[seconds.size() / 2]);
  std::printf("median_cpu %.4f\n", cpu_seconds[cpu_seconds.size() / 2]);
  return 0;
}
