// The POSIX platform: the file stand-in keeps Windows' rules (no sharing, a file held by
// another opener tried again for about a second, read-only files, one read, one write,
// exact length), and libraries load from the module's own folder.
#include "platform/blob_file.h"
#include "platform/database_files.h"
#include "platform/libraries.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/test_folder.h"

namespace kiv::platform {
namespace {

class FileIo : public test::TestFolder {
 protected:
  const char *PathText(const std::string &name) {
    kept_ = Path(name);
    return kept_.c_str();
  }
  std::string kept_;
  bool missing_ = false;
};

TEST_F(FileIo, SecondOpenerIsRefusedWhileTheFirstHoldsTheFile) {
  test::WriteBytes(Path("f"), "abc");
  File first = OpenUnshared(PathText("f"), missing_);
  ASSERT_TRUE(first.IsOpen());
  EXPECT_FALSE(OpenUnshared(PathText("f"), missing_).IsOpen());
  first = File();
  EXPECT_TRUE(OpenUnshared(PathText("f"), missing_).IsOpen());
}

TEST_F(FileIo, FileHeldForAMomentIsOpenedOnceTheHolderLetsGo) {
  test::WriteBytes(Path("f"), "abc");
  const int holder = open(Path("f").c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  std::thread release([holder] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    close(holder);
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(OpenUnshared(PathText("f"), missing_).IsOpen());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
  release.join();
}

TEST(Libraries, OnlyTrustedFoldersAreSearchedByFullPath) {
  // The module's code is linked into this test program: both folders are its own.
  for (const LibraryFolder folder : {LibraryFolder::kModule, LibraryFolder::kHostProgram}) {
    void *library = OpenLibraryIn(folder, "libsqlite3.so");
    ASSERT_NE(library, nullptr);
    EXPECT_NE(FindSymbol(library, "sqlite3_open"), nullptr);
    EXPECT_EQ(FindSymbol(library, "no_such_function"), nullptr);
    CloseLibrary(library);
  }
  EXPECT_EQ(OpenLibraryIn(LibraryFolder::kModule, "libno-such-library.so"), nullptr);
  // The system's search (which a bare name would start) is never asked.
  EXPECT_EQ(OpenLibraryIn(LibraryFolder::kSystem, "libc.so.6"), nullptr);
}

TEST_F(FileIo, AFileRenamedIntoACompanionsPlaceIsKnownByItsIdentityOnceOpen) {
  test::WriteBytes(Path("a.db"), "");
  test::WriteBytes(Path("x"), "x");
  const File file = OpenUnshared(PathText("x"), missing_);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_FALSE(IsDatabaseFile(file, Path("a.db").c_str()));
  std::filesystem::rename(Path("x"), Path("a.db-journal"));  // after the check, before the write
  EXPECT_TRUE(IsDatabaseFile(file, Path("a.db").c_str()));
}

TEST_F(FileIo, OnlyANameThatNothingHasIsMissing) {
  std::filesystem::create_symlink(Path("none"), Path("dangling"));
  for (const auto &[name, missing] : {std::pair{"none", true}, {"dangling", false}, {"", false}}) {
    EXPECT_FALSE(OpenUnshared(PathText(name), missing_).IsOpen()) << name;
    EXPECT_EQ(missing_, missing) << name;
  }
  EXPECT_FALSE(test::Exists(Path("none")));
}

TEST_F(FileIo, ReadOnlyFileIsReadButNeverWritten) {
  test::WriteBytes(Path("ro"), "keep");
  chmod(Path("ro").c_str(), 0444);
  for (const std::string_view bytes : {"new", ""}) {
    File file = OpenUnshared(PathText("ro"), missing_);
    ASSERT_TRUE(file.IsOpen());
    char buffer[8];
    std::size_t got = 0;
    ASSERT_TRUE(ReadFromStart(file, buffer, sizeof buffer, got));
    EXPECT_EQ(std::string(buffer, got), "keep");
    EXPECT_EQ(ReplaceWhole(std::move(file), PathText("ro"), bytes), Replaced::kNo);
  }
  EXPECT_EQ(test::ReadBytes(Path("ro")), "keep");
}

// A target keeps what it is: its mode and owner, a symbolic link stays one (the file it leads to
// is replaced), a file with a second name is written in place (both names see the
// value); a missing one is made. Nothing is left beside it.
TEST_F(FileIo, ReplaceWholeKeepsWhatTheTargetIs) {
  test::WriteBytes(Path("plain"), "a longer old content");
  chmod(Path("plain").c_str(), 0640);
  const bool root = geteuid() == 0;  // then the target can belong to another user
  ASSERT_TRUE(!root || chown(Path("plain").c_str(), 4321, 4321) == 0);
  test::WriteBytes(Path("end"), "old");
  std::filesystem::create_symlink(Path("end"), Path("link"));
  test::WriteBytes(Path("one"), "old");
  std::filesystem::create_hard_link(Path("one"), Path("two"));
  for (const char *name : {"plain", "link", "one", "new"}) {
    File file = OpenUnshared(PathText(name), missing_);
    ASSERT_EQ(ReplaceWhole(std::move(file), PathText(name), "new"), Replaced::kYes) << name;
    EXPECT_EQ(test::ReadBytes(Path(name)), "new") << name;
  }
  struct stat info {};
  ASSERT_EQ(stat(Path("plain").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_TRUE(!root || (info.st_uid == 4321 && info.st_gid == 4321));
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link")));
  EXPECT_EQ(test::ReadBytes(Path("end")), "new");
  EXPECT_EQ(test::ReadBytes(Path("two")), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 6);
}

}  // namespace
}  // namespace kiv::platform
