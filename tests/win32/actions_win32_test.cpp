// The four actions through the Windows DLL's real exports, under Windows' own file
// rules: FILE_ATTRIBUTE_READONLY, share mode 0, names in the ANSI code page. The program
// runs from a folder without sqlite3.dll and loads the plug-in from another folder
// (KIV_MODULE), as a host with a plug-in folder does. Kept small: the emulated process
// is slow, and large data stays in the native suite.
#include <windows.h>

#include <gtest/gtest.h>

#include "blob/blob_actions.h"
#include "support/module_host.h"
#include "support/os_call_faults.h"
#include "support/sqlite_probe.h"
#include "support/test_folder.h"

namespace kiv {
namespace {

constexpr char kOk[] = "Ok";

// `wide` in the ANSI code page, as a host sends a name.
std::string Ansi(const std::wstring &wide) {
  char bytes[MAX_PATH * 2];
  const int n =
      WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
  return std::string(bytes, n > 0 ? static_cast<std::size_t>(n - 1) : 0);
}

// `wide` in UTF-8, as SQLite reads a file name.
std::string Utf8(const std::wstring &wide) {
  char bytes[MAX_PATH * 3];
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
  return std::string(bytes, n > 0 ? static_cast<std::size_t>(n - 1) : 0);
}

bool ExistsW(const std::wstring &name) {
  return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class Win32Actions : public test::TestFolder {
 protected:
  void SetUp() override {
    TestFolder::SetUp();
    db_ = Path("w.db");
  }
  std::string Blob(int action, const std::string &rowId, const std::string &file) {
    return test::Answer(action, db_ + "|pics|img|" + rowId + "|" + file + "|res");
  }
  // Table pics with row 1 holding `img` (SQL).
  void MakePics(const std::string &img) {
    test::RunSql(
        db_, "CREATE TABLE pics(id INTEGER PRIMARY KEY, img BLOB); INSERT INTO pics VALUES(1, " +
                 img + ")");
  }
  // The file `name` with `content`, then held open by this program without any sharing.
  HANDLE Hold(const std::string &name, const std::string &content) {
    test::WriteBytes(Path(name), content);
    return CreateFileA(Path(name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  std::string db_;
};

TEST_F(Win32Actions, CommandAndQueryEndToEnd) {
  EXPECT_EQ(test::Answer(1, db_ + "|CREATE TABLE t(id INTEGER, name TEXT, note TEXT)|res"), kOk);
  EXPECT_EQ(test::Answer(
                1, db_ + "|INSERT INTO t VALUES(1, 'ab', NULL); INSERT INTO t VALUES(2, 'p', '');"
                         "INSERT INTO t VALUES(3, NULL, 'x')|res"),
            kOk);
  EXPECT_EQ(test::Answer(2, db_ + "|SELECT id, name, note FROM t ORDER BY id|res"),
            "1|ab|\r2|p|\r3||x\r");
  EXPECT_EQ(test::Answer(2, db_ + "|SELECT * FROM nosuch|res"), "Error: no such table: nosuch");
  EXPECT_EQ(test::Answer(1, db_ + "|BEGIN; DELETE FROM t; INSERT INTO nosuch VALUES(1)|res"),
            "Error: unable to execute Querry");
  EXPECT_EQ(test::Answer(2, db_ + "|SELECT count(*) FROM t|res"), "3\r");
  EXPECT_EQ(test::Answer(1, Path("missing\\x.db") + "|SELECT 1|res"),
            "Error: unable to open database");
}

TEST_F(Win32Actions, BlobRoundTripOfAFewMebibytes) {
  MakePics("NULL");
  for (std::size_t n : {0u, 1u, 3u << 20}) {
    const std::string data = test::RandomBytes(n, static_cast<unsigned>(n) + 3);
    test::WriteBytes(Path("in.bin"), data);
    ASSERT_EQ(Blob(4, "1", Path("in.bin")), kOk) << n;
    ASSERT_EQ(Blob(3, "1", Path("out.bin")), kOk) << n;
    EXPECT_TRUE(test::ReadBytes(Path("out.bin")) == data) << n;
  }
  // A name relative to the current folder, made and then replaced.
  char here[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, here);
  ASSERT_TRUE(SetCurrentDirectoryA(folder_.string().c_str()));
  const std::string twice = Blob(3, "1", "relative.bin") + Blob(3, "1", "relative.bin");
  SetCurrentDirectoryA(here);
  EXPECT_EQ(twice, std::string(kOk) + kOk);
}

TEST_F(Win32Actions, BeyondTheLimitsOfThe32BitHostActionsAnswerAndGoOn) {
  MakePics("NULL");
  // A file whose UPDATE would be longer than SQLite accepts is refused before it is read
  // (a file of 512 MiB that is only extended, not written).
  const HANDLE huge = CreateFileA(Path("huge.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = 512LL << 20;
  ASSERT_TRUE(SetFilePointerEx(huge, size, nullptr, FILE_BEGIN) && SetEndOfFile(huge));
  CloseHandle(huge);
  EXPECT_EQ(Blob(4, "1", Path("huge.bin")), "BLOB Update Error");
  // A value larger than the 2 GB of address space can carry back (README's Limits).
  ASSERT_EQ(test::Answer(1, db_ + "|UPDATE pics SET img = zeroblob(320 * 1048576) WHERE id = 1|r"),
            kOk);
  EXPECT_EQ(Blob(3, "1", Path("out.bin")), "BLOB SELECT Error");
  EXPECT_FALSE(test::Exists(Path("out.bin")));
  EXPECT_EQ(test::Answer(2, db_ + "|SELECT length(img) FROM pics|r"), "335544320\r");  // goes on
}

TEST_F(Win32Actions, ReadOnlyAttributeKeepsTargetAndStillLetsASourceBeRead) {
  MakePics("x'CAFE'");
  test::WriteBytes(Path("ro.bin"), "read-only");
  ASSERT_TRUE(SetFileAttributesA(Path("ro.bin").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(Blob(3, "1", Path("ro.bin")), "Error: unable to write file");
  EXPECT_EQ(test::ReadBytes(Path("ro.bin")), "read-only");
  EXPECT_EQ(Blob(4, "1", Path("ro.bin")), kOk);
  EXPECT_EQ(test::Scalar(db_, "SELECT img FROM pics WHERE id = 1"), "read-only");
  SetFileAttributesA(Path("ro.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32Actions, EngineBesideThePlugInIsThePinnedSqliteWithItsFeatures) {
  EXPECT_EQ(test::Answer(2, ":memory:|SELECT sqrt(16), sqlite_version()|r"),
            "4.0|" SQLITE_VERSION "\r");
  const std::string options = test::Answer(
      2, ":memory:|SELECT group_concat(compile_options, ' ') FROM pragma_compile_options|r");
  EXPECT_EQ(test::MissingFeatureOptions(options), std::vector<std::string>()) << options;
}

TEST_F(Win32Actions, AnsiNamedFoldersAndFilesAreTheFilesOfThoseNames) {
  ASSERT_NE(GetACP(), static_cast<UINT>(CP_UTF8))
      << "the test needs an ANSI code page other than UTF-8";
  const std::wstring folder = std::wstring(folder_.wstring()) + L"\\J\u00fcrgen";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::string base = folder_.string() + "\\" + Ansi(L"J\u00fcrgen") + "\\";
  const std::string db = base + Ansi(L"M\u00fcller.db");
  ASSERT_NE(db.find('\xFC'), std::string::npos);  // the bytes a host sends, not UTF-8
  EXPECT_EQ(test::Answer(1, db + "|CREATE TABLE pics(id INTEGER PRIMARY KEY, img BLOB); "
                                 "INSERT INTO pics VALUES(1, NULL)|r"),
            kOk);
  EXPECT_TRUE(ExistsW(folder + L"\\M\u00fcller.db"));
  EXPECT_FALSE(ExistsW(folder + L"\\M\ufffdller.db"));
  // BLOB files in the same folder, named the same way.
  test::WriteBytes(base + Ansi(L"Fot\u00f6.bin"), "photo bytes");
  EXPECT_EQ(test::Answer(4, db + "|pics|img|1|" + base + Ansi(L"Fot\u00f6.bin") + "|r"), kOk);
  EXPECT_EQ(test::Answer(3, db + "|pics|img|1|" + base + Ansi(L"K\u00f6pie.bin") + "|r"), kOk);
  EXPECT_EQ(test::ReadBytes(base + Ansi(L"K\u00f6pie.bin")), "photo bytes");

  // A database that SQLite made from the raw bytes, Windows reading each invalid byte as
  // U+FFFD (so only in a folder whose name SQLite could read), is reached until a file of
  // the meant name exists.
  const std::wstring here = folder_.wstring();
  test::RunSql(Utf8(here + L"\\L\ufffdffler.db"), "CREATE TABLE t(a); INSERT INTO t VALUES('old')");
  const std::string legacy = folder_.string() + "\\" + Ansi(L"L\u00f6ffler.db");
  EXPECT_EQ(test::Answer(2, legacy + "|SELECT a FROM t|r"), "old\r");
  EXPECT_FALSE(ExistsW(here + L"\\L\u00f6ffler.db"));
  test::RunSql(Utf8(here + L"\\L\u00f6ffler.db"), "CREATE TABLE t(a); INSERT INTO t VALUES('new')");
  EXPECT_EQ(test::Answer(2, legacy + "|SELECT a FROM t|r"), "new\r");
}

TEST_F(Win32Actions, TargetHeldIsWaitedForAndWrittenOnceTheHolderLetsGo) {
  // A virus scanner or an image preview holds the target: the get tries again, nine times
  // in 0.9 s, while Windows answers that it is held. The holder that lets go at the first
  // wait is the first ReplaceFileA answering as Windows does then, not a thread closing a
  // real holder: this program runs on one thread (test_main.cpp).
  MakePics("x'CAFE'");
  const HANDLE holder = Hold("preview.bin", "old");
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  test::os_faults::Install();
  test::os_faults::Arm("", 0, 0);
  const std::string held = blob::RunBlobGet(db_, "pics", "img", "1", Path("preview.bin")).c_str();
  const int heldOpens = test::os_faults::Counts().at("CreateFileA");
  CloseHandle(holder);
  test::os_faults::Arm("ReplaceFileA", 1, ERROR_SHARING_VIOLATION);
  const std::string letGo = blob::RunBlobGet(db_, "pics", "img", "1", Path("preview.bin")).c_str();
  const int replaces = test::os_faults::Counts().at("ReplaceFileA");
  test::os_faults::Uninstall();
  EXPECT_EQ(held, "Error: unable to write file");
  EXPECT_GE(heldOpens, 9);
  EXPECT_EQ(letGo, kOk);
  EXPECT_EQ(replaces, 2);
  EXPECT_EQ(test::ReadBytes(Path("preview.bin")), "\xCA\xFE");
}

TEST_F(Win32Actions, FileHeldWithoutSharingIsRefusedBothWays) {
  MakePics("x'CAFE'");
  const HANDLE holder = Hold("held.bin", "held");
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Blob(3, "1", Path("held.bin")), "Error: unable to write file");
  EXPECT_EQ(Blob(4, "1", Path("held.bin")), "Error: unable to read file");
  CloseHandle(holder);
  EXPECT_EQ(test::ReadBytes(Path("held.bin")), "held");
  // The database itself, which SQLite holds open while the action runs, and its journal,
  // which is not there yet: by the name where SQLite would make it.
  // Also through the folder's short name, in another case, or as the file's main stream.
  char shortFolder[MAX_PATH];
  const DWORD length = GetShortPathNameA(folder_.string().c_str(), shortFolder, MAX_PATH);
  const std::string other = std::string(shortFolder, length < MAX_PATH ? length : 0) + "\\W.DB";
  for (const std::string &own :
       {db_, db_ + "-journal", other + "-JOURNAL", db_ + "-journal::$DATA"}) {
    EXPECT_EQ(Blob(3, "1", own), "Error: unable to write file") << own;
    EXPECT_EQ(Blob(4, "1", own), "Error: unable to read file") << own;
  }
  EXPECT_FALSE(test::Exists(db_ + "-journal"));
  EXPECT_EQ(test::Scalar(db_, "SELECT hex(img) FROM pics WHERE id = 1"), "CAFE");
}

TEST_F(Win32Actions, DevicesAreRefusedWithoutBeingOpened) {
  MakePics("x'CAFE'");
  // Reserved in any folder, with any extension, trailing dots or blanks, the superscript
  // digits as code page 1252 writes them (not through Path(), which would make them
  // UTF-8); and paths into the device space.
  // clang-format off
  const std::string devices[] = {
      "COM1", "nul", Path("aux.jpg"), Path("Con .txt"), "NUL. .", "COM0", Path("LPT0.txt"),
      folder_.string() + "\\COM\xB9.jpg", "lpt\xB3", "\\\\.\\NUL", "\\\\?\\PhysicalDrive0",
      "\\\\?\\pipe\\x", "\\\\?\\C:", "\\??\\PhysicalDrive0", "\\??\\C:",
      "\\\\host\\pipe\\x", "//host/PIPE",
      "\\\\?\\UNC\\host\\pipe\\x", "\\\\.\\pipe\\x", "\\\\host\\mailslot\\x"};
  // clang-format on
  // The same code linked in, its system calls counted: nothing is opened.
  test::os_faults::Install();
  for (const std::string &device : devices) {
    EXPECT_EQ(Blob(3, "1", device), "Error: unable to write file") << device;
    EXPECT_EQ(Blob(4, "1", device), "Error: unable to read file") << device;
    test::os_faults::Arm("", 0, 0);
    EXPECT_STREQ(blob::RunBlobGet(db_, "pics", "img", "1", device).c_str(),
                 "Error: unable to write file");
    EXPECT_STREQ(blob::RunBlobPut(db_, "pics", "img", "1", device).c_str(),
                 "Error: unable to read file");
    EXPECT_EQ(test::os_faults::Counts().count("CreateFileA"), 0u) << device;
    EXPECT_EQ(test::os_faults::Counts().count("CreateFileW"), 0u) << device;
  }
  test::os_faults::Uninstall();
  EXPECT_EQ(test::Scalar(db_, "SELECT hex(img) FROM pics WHERE id = 1"), "CAFE");
  EXPECT_EQ(Blob(3, "1", "\\\\?\\" + Path("long.bin")), kOk);  // a file's own \\?\ path
  EXPECT_EQ(test::ReadBytes(Path("long.bin")), "\xCA\xFE");
}

}  // namespace
}  // namespace kiv
