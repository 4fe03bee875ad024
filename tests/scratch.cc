#include "tests/scratch.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Every "\r\n" of |text| as "\n".
std::string WithLineFeeds(const std::string& text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
      result += text[i];
  }
  return result;
}

}  // namespace

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

ScratchDir::ScratchDir() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = fs::temp_directory_path() /
                         ("zone2las-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) {
      path_ = fs::canonical(candidate);
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch directory");
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void ScratchDir::Write(const std::string& name,
                       const std::string& content) const {
  const fs::path target = path_ / name;
  fs::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string ScratchDir::Read(const std::string& name) const {
  return ReadWhole(path_ / name);
}

bool ScratchDir::Exists(const std::string& name) const {
  return fs::exists(path_ / name);
}

std::vector<std::string> ScratchDir::List() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ProgramCommand() {
  if (const char* command = std::getenv("ZONE2LAS_COMMAND")) return command;
  return ShellQuote(ZONE2LAS_BINARY);
}

bool ProgramIsWindows() {
#ifdef _WIN32
  return true;
#else
  const char* target = std::getenv("ZONE2LAS_TARGET");
  return target != nullptr && std::string(target) == "windows";
#endif
}

ProgramResult RunProgram(const ScratchDir& dir,
                         const std::vector<std::string>& args,
                         const std::string& limits) {
  // The captured streams live beside the directory, not in it, so that the
  // directory holds only what the program wrote.
  const std::string out_path = dir.path().string() + ".stdout";
  const std::string err_path = dir.path().string() + ".stderr";
  std::string command = "cd " + ShellQuote(dir.path().string()) + " && ";
  if (!limits.empty())
    command += "bash -c " + ShellQuote(limits + "; exec \"$@\"") + " bash ";
  command += ProgramCommand();
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command +=
      " </dev/null >" + ShellQuote(out_path) + " 2>" + ShellQuote(err_path);
  const int raw = std::system(command.c_str());
  ProgramResult result;
#ifdef _WIN32
  result.status = raw;
#else
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
#endif
  result.out = ReadWhole(out_path);
  result.err = ReadWhole(err_path);
  if (ProgramIsWindows()) {
    result.out = WithLineFeeds(result.out);
    result.err = WithLineFeeds(result.err);
  }
  std::remove(out_path.c_str());
  std::remove(err_path.c_str());
  return result;
}

std::string WithoutCarriageReturns(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c != '\r') result += c;
  }
  return result;
}

std::string ReadTestData(const std::string& relative_path) {
  return ReadWhole(fs::path(ZONE2LAS_TEST_DATA) / relative_path);
}

Conversion ConvertTable(const std::string& name, const std::string& table,
                        const std::vector<std::string>& args,
                        const std::vector<std::string>& folders,
                        const std::string& limits) {
  ScratchDir dir;
  for (const std::string& folder : folders) fs::create_directory(dir / folder);
  dir.Write(name, table);
  Conversion run;
  run.result = RunProgram(dir, args, limits);
  for (const std::string& entry : dir.List()) {
    if (entry == name || entry == "pipe") continue;
    run.names.push_back(entry);
    run.files.push_back(fs::is_directory(dir / entry) ? "<folder>"
                                                      : dir.Read(entry));
  }
  return run;
}
