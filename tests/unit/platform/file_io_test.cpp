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
};

TEST_F(FileIo, SecondOpenerIsRefusedWhileTheFirstHoldsTheFile) {
  test::WriteBytes(Path("f"), "abc");
  File first = OpenUnshared(PathText("f"), IfMissing::Fail);
  ASSERT_TRUE(first.IsOpen());
  EXPECT_FALSE(OpenUnshared(PathText("f"), IfMissing::Fail).IsOpen());
  first = File();
  EXPECT_TRUE(OpenUnshared(PathText("f"), IfMissing::Fail).IsOpen());
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
  EXPECT_TRUE(OpenUnshared(PathText("f"), IfMissing::Fail).IsOpen());
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
  const File file = OpenUnshared(PathText("x"), IfMissing::Fail);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_FALSE(IsDatabaseFile(file, Path("a.db").c_str()));
  std::filesystem::rename(Path("x"), Path("a.db-journal"));  // after the check, before the write
  EXPECT_TRUE(IsDatabaseFile(file, Path("a.db").c_str()));
}

TEST_F(FileIo, MissingFileFailsOrIsCreatedEmpty) {
  EXPECT_FALSE(OpenUnshared(PathText("none"), IfMissing::Fail).IsOpen());
  EXPECT_FALSE(test::Exists(Path("none")));
  EXPECT_TRUE(OpenUnshared(PathText("new"), IfMissing::Create).IsOpen());
  EXPECT_EQ(test::ReadBytes(Path("new")), "");
}

TEST_F(FileIo, FoldersAreNotFiles) {
  EXPECT_FALSE(OpenUnshared(PathText(""), IfMissing::Fail).IsOpen());
  EXPECT_FALSE(OpenUnshared(PathText(""), IfMissing::Create).IsOpen());
}

TEST_F(FileIo, ReadOnlyFileIsReadButNeverWritten) {
  test::WriteBytes(Path("ro"), "keep");
  chmod(Path("ro").c_str(), 0444);
  for (const std::string_view bytes : {"new", ""}) {
    File file = OpenUnshared(PathText("ro"), IfMissing::Fail);
    ASSERT_TRUE(file.IsOpen());
    char buffer[8];
    std::size_t got = 0;
    ASSERT_TRUE(ReadFromStart(file, buffer, sizeof buffer, &got));
    EXPECT_EQ(std::string(buffer, got), "keep");
    EXPECT_EQ(ReplaceContent(file, PathText("ro"), bytes), Replaced::kNo);
  }
  EXPECT_EQ(test::ReadBytes(Path("ro")), "keep");
}

TEST_F(FileIo, ReplaceContentCutsTheFileToTheNewLength) {
  test::WriteBytes(Path("f"), "a longer old content");
  File file = OpenUnshared(PathText("f"), IfMissing::Create);
  ASSERT_EQ(ReplaceContent(file, PathText("f"), "new"), Replaced::kYes);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(test::ReadBytes(Path("f")), "new");
}

}  // namespace
}  // namespace kiv::platform
