#include "platform/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#endif

#include "tests/scratch.h"

namespace {

namespace fs = std::filesystem;

const char kPrefix[] = "zone2las-partial-";

std::string Reason(int code) { return std::strerror(code); }

// Writes |bytes| at the end of the file open on |descriptor| and closes it.
void AppendAndClose(int descriptor, const std::string& bytes) {
  ASSERT_GE(descriptor, 0);
  std::string err;
  std::FILE* stream = platform::OpenStream(descriptor, "r+b", &err);
  ASSERT_NE(stream, nullptr) << err;
  std::fseek(stream, 0, SEEK_END);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  EXPECT_EQ(std::fclose(stream), 0);
}

platform::FileIdentity IdentityOf(const fs::path& path) {
  platform::FileIdentity identity;
  std::string err;
  EXPECT_TRUE(platform::IdentifyPath(path.string().c_str(), &identity, &err))
      << path << ": " << err;
  return identity;
}

TEST(Files, OpenHoldsTheResolvedDirectoryAndItsIdentity) {
  ScratchDir dir;
  dir.Write("logs/W1.las", "rows");
  dir.Write("table.txt", "WELL TOP BOTTOM ZONE\n");
  platform::Directory work;
  std::string err;
  ASSERT_TRUE(work.Open(dir.path().string().c_str(), &err)) << err;
  EXPECT_EQ(work.path(), dir.path().string());
  EXPECT_EQ(work.identity(), IdentityOf(dir.path()));
  EXPECT_EQ(work.name(), "");

  platform::Directory logs;
  ASSERT_TRUE(logs.Open(work, "logs/../logs", &err)) << err;
  EXPECT_EQ(fs::path(logs.path()), dir / "logs");
  EXPECT_EQ(logs.identity(), IdentityOf(dir / "logs"));
  EXPECT_NE(logs.identity(), work.identity());

  struct Case {
    const char* path;
    int error;
  } cases[] = {
      {"missing", ENOENT},
      {"table.txt", ENOTDIR},
      {"", ENOENT},
  };
  for (const Case& c : cases) {
    platform::Directory other;
    EXPECT_FALSE(other.Open(work, c.path, &err)) << c.path;
    EXPECT_EQ(err, Reason(c.error)) << c.path;
    EXPECT_FALSE(other.IsOpen()) << c.path;
  }
}

TEST(Files, IdentitiesFollowLinksToTheFileTheyReach) {
  ScratchDir dir;
  dir.Write("zones.txt", "table");
  dir.Write("other.txt", "table");
  fs::create_hard_link(dir / "zones.txt", dir / "hard.txt");
  platform::FileIdentity zones = IdentityOf(dir / "zones.txt");
  EXPECT_EQ(IdentityOf(dir / "hard.txt"), zones);
  EXPECT_NE(IdentityOf(dir / "other.txt"), zones);
  EXPECT_TRUE(IdentityOf(dir / "other.txt") < zones ||
              zones < IdentityOf(dir / "other.txt"));

  platform::Directory work;
  std::string err;
  ASSERT_TRUE(work.Open(dir.path().string().c_str(), &err)) << err;
  platform::FileIdentity in_directory;
  ASSERT_TRUE(work.IdentifyFile("hard.txt", &in_directory, &err)) << err;
  EXPECT_EQ(in_directory, zones);
  EXPECT_FALSE(work.IdentifyFile("missing.las", &in_directory, &err));
  EXPECT_EQ(err, Reason(ENOENT));
  EXPECT_FALSE(platform::IdentifyPath((dir / "missing").string().c_str(),
                                      nullptr, &err));
  EXPECT_EQ(err, Reason(ENOENT));

#ifndef _WIN32
  // The table given through a link is the file the link reaches; the entry
  // that a rename would replace is the link itself.
  fs::create_symlink("zones.txt", dir / "W1.las");
  EXPECT_EQ(IdentityOf(dir / "W1.las"), zones);
  ASSERT_TRUE(work.IdentifyFile("W1.las", &in_directory, &err)) << err;
  EXPECT_NE(in_directory, zones);
#endif
}

TEST(Files, FileNameKeysFoldAsTheFileSystemDoes) {
  struct Case {
    const char* a;
    const char* b;
    bool one_file_on_posix;
    bool one_file_on_windows;
  } cases[] = {
      {"W1.las", "w1.LAS", true, true},
      {"W1.las", "W2.las", false, false},
      {"W-1.las", "W_1.las", false, false},
      // Both ends of the letters, and the bytes just outside them: "@" and
      // "[" stand either side of "A" to "Z", "`" and "{" of "a" to "z".
      {"A.las", "a.las", true, true},
      {"Z.las", "z.las", true, true},
      {"WZ.las", "wz.las", true, true},
      {"@.las", "`.las", false, false},
      {"@.las", "A.las", false, false},
      {"@.las", "a.las", false, false},
      {"`.las", "A.las", false, false},
      {"`.las", "a.las", false, false},
      {"[.las", "{.las", false, false},
      {"[.las", "Z.las", false, false},
      {"[.las", "z.las", false, false},
      {"{.las", "Z.las", false, false},
      {"{.las", "z.las", false, false},
      // Latin-1 E acute, upper and lower case.
      {"\xC9"
       "1.las",
       "\xE9"
       "1.las",
       false, true},
      {"\xC9"
       "1.las",
       "E1.las", false, false},
  };
#ifdef _WIN32
  const bool windows = true;
#else
  const bool windows = false;
#endif
  for (const Case& c : cases) {
    bool one_file = platform::FileNameKey(c.a) == platform::FileNameKey(c.b);
    EXPECT_EQ(one_file, windows ? c.one_file_on_windows : c.one_file_on_posix)
        << c.a << " / " << c.b;
  }
}

TEST(Files, PrivateDirectoriesAreNewOwnedAndRemovedWhenEmpty) {
  ScratchDir dir;
  platform::Directory work;
  std::string err;
  ASSERT_TRUE(work.Open(dir.path().string().c_str(), &err)) << err;

  platform::Directory first;
  platform::Directory second;
  ASSERT_TRUE(first.MakePrivate(work, kPrefix, &err)) << err;
  ASSERT_TRUE(second.MakePrivate(work, kPrefix, &err)) << err;
  EXPECT_NE(first.name(), second.name());
  for (const platform::Directory* made : {&first, &second}) {
    const std::string& name = made->name();
    ASSERT_EQ(name.size(), sizeof(kPrefix) - 1 + 8) << name;
    EXPECT_EQ(name.rfind(kPrefix, 0), 0u) << name;
    EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789",
                                     sizeof(kPrefix) - 1),
              std::string::npos)
        << name;
    EXPECT_TRUE(fs::is_directory(dir / name)) << name;
    EXPECT_EQ(fs::path(made->path()), dir / name);
    EXPECT_EQ(made->identity(), IdentityOf(dir / name));
    EXPECT_TRUE(platform::IsInside(*made, work));
#ifndef _WIN32
    struct stat status;
    ASSERT_EQ(::stat((dir / name).c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u) << name;
#endif
  }

  // A directory that still holds a file stays, and so does the file.
  const std::string first_name = first.name();
  AppendAndClose(first.CreateNewFile("W1.las", &err), "rows");
  EXPECT_FALSE(first.RemoveSelf(&err));
  EXPECT_EQ(err, Reason(ENOTEMPTY));
  EXPECT_EQ(dir.Read(first_name + "/W1.las"), "rows");
  ASSERT_TRUE(first.RemoveFile("W1.las", &err)) << err;
  ASSERT_TRUE(first.RemoveSelf(&err)) << err;
  EXPECT_FALSE(fs::exists(dir / first_name));
  EXPECT_FALSE(first.IsOpen());

  // Letting go of an empty one removes it; one with a file in it stays.
  const std::string second_name = second.name();
  {
    platform::Directory kept;
    ASSERT_TRUE(kept.MakePrivate(work, kPrefix, &err)) << err;
    AppendAndClose(kept.CreateNewFile("W2.las", &err), "rows");
    second = std::move(kept);
  }
  EXPECT_FALSE(fs::exists(dir / second_name));
  const std::string kept_name = second.name();
  second = platform::Directory();
  EXPECT_EQ(dir.Read(kept_name + "/W2.las"), "rows");

  platform::Directory missing;
  platform::Directory in_missing;
  EXPECT_FALSE(in_missing.MakePrivate(missing, kPrefix, &err));
  EXPECT_FALSE(in_missing.IsOpen());
}

TEST(Files, NewFilesNeverOpenWhatAlreadyStandsUnderTheirName) {
  ScratchDir dir;
  dir.Write("secret.txt", "secret");
  dir.Write("W1.las", "earlier rows");
  fs::create_directory(dir / "W2.las");
#ifndef _WIN32
  fs::create_symlink("secret.txt", dir / "W3.las");
  fs::create_symlink("nowhere.txt", dir / "W4.las");
#endif
  platform::Directory work;
  std::string err;
  ASSERT_TRUE(work.Open(dir.path().string().c_str(), &err)) << err;

  struct Case {
    const char* name;
    int error;  // 0: created
  } cases[] = {
      {"W0.las", 0},          {"W1.las", EEXIST}, {"W2.las", EEXIST},
#ifndef _WIN32
      {"W3.las", EEXIST},  // a link to a file
      {"W4.las", EEXIST},  // a link to nothing
#endif
      {"sub/W5.las", EINVAL}, {"..", EINVAL},     {"", EINVAL},
  };
  for (const Case& c : cases) {
    err.clear();
    int descriptor = work.CreateNewFile(c.name, &err);
    if (c.error == 0) {
      AppendAndClose(descriptor, "new rows");
    } else {
      EXPECT_EQ(descriptor, -1) << c.name;
      EXPECT_EQ(err, Reason(c.error)) << c.name;
    }
  }
  EXPECT_EQ(dir.Read("W0.las"), "new rows");
  EXPECT_EQ(dir.Read("W1.las"), "earlier rows");
  EXPECT_EQ(dir.Read("secret.txt"), "secret");
  EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));
}

TEST(Files, ReopenedFilesContinueInPlace) {
  ScratchDir dir;
  fs::create_directory(dir / "W2.las");
  platform::Directory work;
  std::string err;
  ASSERT_TRUE(work.Open(dir.path().string().c_str(), &err)) << err;
  AppendAndClose(work.CreateNewFile("W1.las", &err), "~Version\n");
  AppendAndClose(work.ReopenFile("W1.las", &err), "~Well\n");
  EXPECT_EQ(dir.Read("W1.las"), "~Version\n~Well\n");

  // The reopened file can be read back and written anywhere.
  int descriptor = work.ReopenFile("W1.las", &err);
  ASSERT_GE(descriptor, 0) << err;
  std::FILE* stream = platform::OpenStream(descriptor, "r+b", &err);
  ASSERT_NE(stream, nullptr) << err;
  char head[4] = "";
  ASSERT_EQ(std::fread(head, 1, 3, stream), 3u);
  EXPECT_STREQ(head, "~Ve");
  std::fseek(stream, 0, SEEK_SET);
  std::fputc('#', stream);
  EXPECT_EQ(std::fclose(stream), 0);
  EXPECT_EQ(dir.Read("W1.las"), "#Version\n~Well\n");

#ifndef _WIN32
  fs::create_symlink("W1.las", dir / "W3.las");
  ASSERT_EQ(::mkfifo((dir / "W4.las").c_str(), 0600), 0);
  dir.Write("secret.txt", "secret");
  fs::create_hard_link(dir / "secret.txt", dir / "W5.las");
#endif
  struct Case {
    const char* name;
    int error;
  } cases[] = {
      {"missing.las", ENOENT}, {"W2.las", EISDIR},
#ifndef _WIN32
      {"W3.las", ELOOP},   // a link is never followed
      {"W4.las", EINVAL},  // nor is a FIFO waited on
      {"W5.las", EMLINK},  // nor a file brought in by a hard link
#endif
      {"../W1.las", EINVAL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(work.ReopenFile(c.name, &err), -1) << c.name;
    EXPECT_EQ(err, Reason(c.error)) << c.name;
  }
  EXPECT_EQ(dir.Read("W1.las"), "#Version\n~Well\n");
}

TEST(Files, MovingOutReplacesTheTargetEntryItself) {
  ScratchDir dir;
  dir.Write("W1.las", "old rows");
  dir.Write("secret.txt", "secret");
#ifndef _WIN32
  fs::create_symlink("secret.txt", dir / "W2.las");
#endif
  platform::Directory work;
  platform::Directory run;
  std::string err;
  ASSERT_TRUE(work.Open(dir.path().string().c_str(), &err)) << err;
  ASSERT_TRUE(run.MakePrivate(work, kPrefix, &err)) << err;
  const std::string run_name = run.name();
  AppendAndClose(run.CreateNewFile("W1.las", &err), "new rows");
  AppendAndClose(run.CreateNewFile("W2.las", &err), "W2 rows");

  ASSERT_TRUE(run.MoveOut("W1.las", work, "W1.las", &err)) << err;
  ASSERT_TRUE(run.MoveOut("W2.las", work, "W2.las", &err)) << err;
  EXPECT_EQ(dir.Read("W1.las"), "new rows");
  EXPECT_EQ(dir.Read("W2.las"), "W2 rows");
  EXPECT_FALSE(fs::is_symlink(dir / "W2.las"));
  EXPECT_EQ(dir.Read("secret.txt"), "secret");
  EXPECT_FALSE(run.MoveOut("W1.las", work, "W1.las", &err));
  EXPECT_EQ(err, Reason(ENOENT));
  EXPECT_FALSE(run.RemoveFile("W1.las", &err));
  EXPECT_EQ(err, Reason(ENOENT));

  ASSERT_TRUE(run.RemoveSelf(&err)) << err;
  EXPECT_FALSE(fs::exists(dir / run_name));
}

#ifndef _WIN32
// Another user who may write in the folder renames the run's directory away
// between two wells and puts one of the same name in its place, holding a
// link where the next well's file will be created.
TEST(Files, ASwappedPrivateDirectoryCannotRedirectTheRunsFiles) {
  ScratchDir dir;
  dir.Write("secret.txt", "secret");
  platform::Directory work;
  platform::Directory run;
  std::string err;
  ASSERT_TRUE(work.Open(dir.path().string().c_str(), &err)) << err;
  ASSERT_TRUE(run.MakePrivate(work, kPrefix, &err)) << err;
  const std::string name = run.name();
  AppendAndClose(run.CreateNewFile("W1.las", &err), "W1 rows");

  fs::rename(dir / name, dir / "moved-away");
  fs::create_directory(dir / name);
  fs::create_symlink("../secret.txt", dir / name / "W3.las");
  fs::create_symlink("../secret.txt", dir / name / "W1.las");

  AppendAndClose(run.CreateNewFile("W3.las", &err), "W3 rows");
  AppendAndClose(run.ReopenFile("W1.las", &err), " continued");
  EXPECT_EQ(dir.Read("secret.txt"), "secret");
  EXPECT_EQ(dir.Read("moved-away/W3.las"), "W3 rows");
  EXPECT_EQ(dir.Read("moved-away/W1.las"), "W1 rows continued");
  EXPECT_TRUE(fs::is_symlink(dir / name / "W3.las"));

  // What the run publishes comes from its own directory, wherever it went.
  ASSERT_TRUE(run.MoveOut("W3.las", work, "W3.las", &err)) << err;
  ASSERT_TRUE(run.RemoveFile("W1.las", &err)) << err;
  EXPECT_EQ(dir.Read("W3.las"), "W3 rows");
  EXPECT_TRUE(fs::is_symlink(dir / name / "W3.las"));

  // The directory in its place is not the run's to remove.
  fs::remove(dir / name / "W3.las");
  fs::remove(dir / name / "W1.las");
  EXPECT_FALSE(run.RemoveSelf(&err));
  EXPECT_EQ(err, "the directory was moved away");
  EXPECT_TRUE(fs::is_directory(dir / name));
  EXPECT_TRUE(fs::is_directory(dir / "moved-away"));
}
#else
// On Windows a held directory cannot be renamed away at all.
TEST(Files, AHeldPrivateDirectoryCannotBeRenamedAway) {
  ScratchDir dir;
  platform::Directory work;
  platform::Directory run;
  std::string err;
  ASSERT_TRUE(work.Open(dir.path().string().c_str(), &err)) << err;
  ASSERT_TRUE(run.MakePrivate(work, kPrefix, &err)) << err;
  std::error_code rename_error;
  fs::rename(dir / run.name(), dir / "moved-away", rename_error);
  EXPECT_TRUE(rename_error);
  AppendAndClose(run.CreateNewFile("W3.las", &err), "W3 rows");
  EXPECT_EQ(dir.Read(run.name() + "/W3.las"), "W3 rows");
  ASSERT_TRUE(run.RemoveFile("W3.las", &err)) << err;
}
#endif

#ifndef _WIN32
// The run's lock goes with the directory that took it: another opening of
// the directory finds it taken while it is held, and free once it is closed,
// so that a caller running conversion after conversion keeps no descriptor.
// (On Windows the mutex that stands for it is the thread's own either way.)
TEST(Files, ALockGoesWithItsDirectory) {
  ScratchDir dir;
  platform::Directory first;
  platform::Directory second;
  std::string err;
  bool busy = false;
  ASSERT_TRUE(first.Open(dir.path().string().c_str(), &err)) << err;
  ASSERT_TRUE(second.Open(dir.path().string().c_str(), &err)) << err;
  ASSERT_TRUE(first.Lock(false, &busy, &err)) << err;
  EXPECT_TRUE(first.Lock(false, &busy, &err)) << err;
  EXPECT_FALSE(second.Lock(false, &busy, &err));
  EXPECT_TRUE(busy);
  first.Close();
  EXPECT_TRUE(second.Lock(false, &busy, &err)) << err;
  EXPECT_FALSE(busy);
}

// A directory let go of is reopened only as the directory first found:
// never through a link, nor when another one stands under its name. (A run
// on Windows holds every folder.)
TEST(Files, ReopeningFindsOnlyTheDirectoryFirstFound) {
  ScratchDir dir;
  dir.Write("field/a/W1.las", "rows");
  platform::Directory work;
  platform::Directory field;
  platform::Directory run;
  std::string err;
  ASSERT_TRUE(work.Open(dir.path().string().c_str(), &err)) << err;
  ASSERT_TRUE(field.Open(work, "field/a", &err)) << err;
  const platform::FileIdentity identity = field.identity();
  ASSERT_TRUE(run.MakePrivate(field, kPrefix, &err)) << err;
  const std::string name = run.name();
  const platform::FileIdentity run_identity = run.identity();
  run.Close();
  field.Close();

  ASSERT_TRUE(field.Reopen(work, "field/a", identity, &err)) << err;
  EXPECT_EQ(field.path(), (dir / "field" / "a").string());
  ASSERT_TRUE(run.ReopenPrivate(field, name, run_identity, &err)) << err;
  AppendAndClose(run.CreateNewFile("W2.las", &err), "W2 rows");
  EXPECT_EQ(dir.Read("field/a/" + name + "/W2.las"), "W2 rows");
  ASSERT_TRUE(run.RemoveFile("W2.las", &err)) << err;
  run.Close();

  // A link where a folder stood is not followed, even to that folder.
  fs::rename(dir / "field", dir / "moved");
  fs::create_directory_symlink("moved", dir / "field");
  EXPECT_FALSE(field.Reopen(work, "field/a", identity, &err));
  EXPECT_EQ(err, "the directory was replaced");
  EXPECT_FALSE(field.IsOpen());
  fs::remove(dir / "field");
  fs::create_directories(dir / "field" / "a");
  EXPECT_FALSE(field.Reopen(work, "field/a", identity, &err));
  EXPECT_EQ(err, "the directory was replaced");
  EXPECT_FALSE(field.Reopen(work, "gone/a", identity, &err));
  EXPECT_EQ(err, Reason(ENOENT));

  // The same for the private directory.
  ASSERT_TRUE(field.Reopen(work, "moved/a", identity, &err)) << err;
  const fs::path moved = dir / "moved" / "a";
  fs::rename(moved / name, moved / "away");
  fs::create_directory(moved / name);
  EXPECT_FALSE(run.ReopenPrivate(field, name, run_identity, &err));
  EXPECT_EQ(err, "the directory was replaced");
  fs::remove(moved / name);
  fs::create_directory_symlink("away", moved / name);
  EXPECT_FALSE(run.ReopenPrivate(field, name, run_identity, &err));
  EXPECT_EQ(err, "the directory was replaced");
  ASSERT_TRUE(run.ReopenPrivate(field, "away", run_identity, &err)) << err;
  EXPECT_TRUE(run.RemoveSelf(&err)) << err;
  EXPECT_FALSE(fs::exists(moved / "away"));
}
#endif

TEST(Files, InsideIsJudgedOnTheDirectoriesNotOnTheirNames) {
  ScratchDir dir;
  fs::create_directories(dir / "work/logs/2024");
  fs::create_directories(dir / "work-2");
  fs::create_directories(dir / "outside");
  platform::Directory root;
  std::string err;
  ASSERT_TRUE(root.Open((dir / "work").string().c_str(), &err)) << err;
#ifndef _WIN32
  fs::create_directory_symlink("../outside", dir / "work/field");
  fs::create_directory_symlink("logs/2024", dir / "work/current");
  fs::create_directory_symlink("..", dir / "work/logs/up");
#endif
  struct Case {
    const char* path;
    bool inside;
  } cases[] = {
      {".", true},           {"logs", true},
      {"logs/2024", true},   {"logs/2024/..", true},
      {"..", false},         {"../work-2", false},
      {"../outside", false}, {"logs/../..", false},
#ifndef _WIN32
      {"field", false},      {"current", true},
      {"logs/up", true},     {"logs/up/..", false},
#endif
  };
  for (const Case& c : cases) {
    platform::Directory dir_of_well;
    ASSERT_TRUE(dir_of_well.Open(root, c.path, &err)) << c.path << ": " << err;
    EXPECT_EQ(platform::IsInside(dir_of_well, root), c.inside) << c.path;
  }
  platform::Directory closed;
  EXPECT_FALSE(platform::IsInside(closed, root));
}

TEST(Files, FullPathReachesTheSystemsLimit) {
#ifdef _WIN32
  const std::size_t kLimit = 260;
#else
  const std::size_t kLimit = PATH_MAX;
#endif
  const std::string cwd = fs::current_path().string();
  const std::size_t room = kLimit - 1 - cwd.size() - 1;
  std::string longest(room, 'n');
  // Components of at most 200 bytes, which every file system allows.
  for (std::size_t at = 200; at < longest.size(); at += 201) longest[at] = '/';
  std::string full;
  std::string err;
  ASSERT_TRUE(platform::FullPath(longest.c_str(), &full, &err)) << err;
  EXPECT_EQ(full.size(), kLimit - 1);
  EXPECT_EQ(fs::path(full), fs::path(cwd) / longest);
  // Folding happens before the limit is applied.
  ASSERT_TRUE(platform::FullPath(("x/../" + longest).c_str(), &full, &err))
      << err;
  EXPECT_EQ(full.size(), kLimit - 1);

  full = "untouched";
  EXPECT_FALSE(platform::FullPath((longest + "n").c_str(), &full, &err));
  EXPECT_EQ(err, Reason(ENAMETOOLONG));
  EXPECT_EQ(full, "untouched");
  EXPECT_FALSE(platform::FullPath(" \t", &full, &err));
  EXPECT_EQ(err, "the name is blank");
  EXPECT_EQ(full, "untouched");
}

#ifndef _WIN32
TEST(Files, FullPathTellsARemovedWorkingDirectoryFromALongName) {
  ScratchDir dir;
  fs::create_directory(dir / "gone");
  const fs::path saved = fs::current_path();
  fs::current_path(dir / "gone");
  fs::remove(dir / "gone");
  std::string full;
  std::string relative_err;
  std::string absolute_err;
  bool relative = platform::FullPath("W1.las", &full, &relative_err);
  bool absolute = platform::FullPath("/tmp/W1.las", &full, &absolute_err);
  fs::current_path(saved);
  EXPECT_FALSE(relative);
  EXPECT_EQ(relative_err, "the working directory no longer exists");
  EXPECT_TRUE(absolute) << absolute_err;
  EXPECT_EQ(full, "/tmp/W1.las");
}
#endif

}  // namespace
