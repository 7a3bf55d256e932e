// File handles: creation dispositions and their error codes, sharing within the
// process, positions past 4 GB, file times, and the operations by name.
#include "platform/files/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/base/error.h"
#include "platform/base/handles.h"
#include "platform/base/text.h"
#include "platform/files/paths.h"
#include "tests/support/temp_root.h"

namespace {

std::string ReadNative(const std::string& native) {
  std::ifstream in(native, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteNative(const std::string& native, const std::string& bytes) {
  std::ofstream(native, std::ios::binary) << bytes;
}

// A folder of its own for each test, named by namespace path ("C:\<name>").
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = u"C:\\FilesTest\\" +
              platform::Utf8ToWide(::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(platform::NativePath(folder_));
  }
  std::u16string Path(const char16_t* name) const { return folder_ + u"\\" + name; }
  std::string Native(const char16_t* name) const { return platform::NativePath(Path(name)); }
  HANDLE Open(const char16_t* name, DWORD access, DWORD share, DWORD disposition) const {
    return CreateFileW(Path(name).c_str(), access, share, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }

  std::u16string folder_;
};

struct DispositionCase {
  const char* name;
  DWORD disposition;
  bool exists;
  bool opens;
  DWORD error;
  std::string contentAfter;  // of the file "hello" when it existed, else of a new one
};

TEST_F(FilesTest, DispositionsAndTheirErrors) {
  // clang-format off
  const DispositionCase cases[] = {
      {"create new, missing",        CREATE_NEW,        false, true,  ERROR_SUCCESS,        ""},
      {"create new, there",          CREATE_NEW,        true,  false, ERROR_FILE_EXISTS,    "hello"},
      {"create always, missing",     CREATE_ALWAYS,     false, true,  ERROR_SUCCESS,        ""},
      {"create always, there",       CREATE_ALWAYS,     true,  true,  ERROR_ALREADY_EXISTS, ""},
      {"open existing, missing",     OPEN_EXISTING,     false, false, ERROR_FILE_NOT_FOUND, ""},
      {"open existing, there",       OPEN_EXISTING,     true,  true,  ERROR_SUCCESS,        "hello"},
      {"open always, missing",       OPEN_ALWAYS,       false, true,  ERROR_SUCCESS,        ""},
      {"open always, there",         OPEN_ALWAYS,       true,  true,  ERROR_ALREADY_EXISTS, "hello"},
      {"truncate existing, missing", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, ""},
      {"truncate existing, there",   TRUNCATE_EXISTING, true,  true,  ERROR_SUCCESS,        ""},
  };
  // clang-format on
  for (const DispositionCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(Native(u"d.bin"));
    if (c.exists) WriteNative(Native(u"d.bin"), "hello");
    SetLastError(12345);
    HANDLE h = Open(u"d.bin", GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(h));
    }
    EXPECT_EQ(std::filesystem::exists(Native(u"d.bin")), c.exists || c.opens);
    if (c.exists || c.opens) {
      EXPECT_EQ(ReadNative(Native(u"d.bin")), c.contentAfter);
    }
  }
}

TEST_F(FilesTest, MissingFolderIsPathNotFound) {
  for (DWORD disposition : {CREATE_NEW, OPEN_EXISTING, OPEN_ALWAYS}) {
    HANDLE h = Open(u"nofolder\\x.bin", GENERIC_WRITE, 0, disposition);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  }
  EXPECT_EQ(Open(u"", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(u"x", GENERIC_READ, 0, 9), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // A folder is no file to open.
  EXPECT_EQ(CreateFileW(folder_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FilesTest, SharingModesAgainstOtherHandles) {
  WriteNative(Native(u"s.bin"), "data");
  HANDLE reader = Open(u"s.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  // The reader shares only reading: a writer is refused, another reader is not.
  EXPECT_EQ(Open(u"s.bin", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  HANDLE second = Open(u"S.BIN", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  // A new reader that does not share reading conflicts with the open readers.
  EXPECT_EQ(Open(u"s.bin", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  // Truncating counts as writing.
  EXPECT_EQ(Open(u"s.bin", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ReadNative(Native(u"s.bin")), "data");
  // Without FILE_SHARE_DELETE the file cannot be deleted or renamed.
  EXPECT_FALSE(DeleteFileW(Path(u"s.bin").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(MoveFileExW(Path(u"s.bin").c_str(), Path(u"t.bin").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(CloseHandle(reader));
  EXPECT_TRUE(CloseHandle(second));
  HANDLE writer = Open(u"s.bin", GENERIC_WRITE, FILE_SHARE_DELETE, OPEN_EXISTING);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(DeleteFileW(Path(u"s.bin").c_str()));
  EXPECT_TRUE(CloseHandle(writer));
}

TEST_F(FilesTest, ReadWriteAndPositionsPastFourGigabytes) {
  HANDLE h = Open(u"p.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &done, nullptr));
  EXPECT_EQ(done, 10u);
  EXPECT_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 7u);
  char buffer[8] = {};
  ASSERT_TRUE(ReadFile(h, buffer, 8, &done, nullptr));
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
  ASSERT_TRUE(ReadFile(h, buffer, 8, &done, nullptr));  // at the end: success, nothing read
  EXPECT_EQ(done, 0u);

  EXPECT_EQ(SetFilePointer(h, -11, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  // 4 GB + 4: the low half comes back, the high half lands in *high.
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(h, 4, &high, FILE_BEGIN), 4u);
  EXPECT_EQ(high, 1);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  ASSERT_TRUE(SetEndOfFile(h));
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), 4u);
  EXPECT_EQ(sizeHigh, 1u);
  // Without the high half the position must fit in 32 bits.
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  high = -1;  // back by 4 GB - 2 from the end
  EXPECT_EQ(SetFilePointer(h, 2, &high, FILE_END), 6u);
  EXPECT_EQ(high, 0);
  EXPECT_TRUE(CloseHandle(h));
}

TEST_F(FilesTest, AccessIsChecked) {
  HANDLE h = Open(u"a.bin", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[4];
  DWORD done = 7;
  EXPECT_FALSE(ReadFile(h, buffer, 4, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(done, 0u);
  EXPECT_TRUE(CloseHandle(h));
  h = Open(u"a.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(WriteFile(h, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(SetEndOfFile(h));
  EXPECT_TRUE(CloseHandle(h));
  // A handle works once.
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(WriteFile(h, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// 2001-01-01 00:00:00 UTC: 12,622,780,800 s after 1601-01-01, in 100 ns ticks.
constexpr std::uint64_t kTicks2001 = 126227808000000000ull;
constexpr std::int64_t kUnix2001 = 978307200;

TEST_F(FilesTest, FileTimesFollowTheOverrideAndSetFileTime) {
  FILETIME fixed{static_cast<DWORD>(kTicks2001 & 0xFFFFFFFF), static_cast<DWORD>(kTicks2001 >> 32)};
  platform::test::SetFileTimeOverride(&fixed);
  HANDLE h = Open(u"t.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  DWORD done;
  ASSERT_TRUE(WriteFile(h, "x", 1, &done, nullptr));
  FILETIME creation, access, write;
  ASSERT_TRUE(GetFileTime(h, &creation, &access, &write));
  EXPECT_EQ(write.dwLowDateTime, fixed.dwLowDateTime);
  EXPECT_EQ(write.dwHighDateTime, fixed.dwHighDateTime);
  EXPECT_LE(creation.dwHighDateTime, fixed.dwHighDateTime);
  CloseHandle(h);
  struct stat st;
  ASSERT_EQ(stat(Native(u"t.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, kUnix2001);  // the native file carries the time too

  platform::test::SetFileTimeOverride(nullptr);
  h = Open(u"u.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &write));
  EXPECT_GT(write.dwHighDateTime, fixed.dwHighDateTime);   // now, long after 2001
  constexpr std::uint64_t kLater = kTicks2001 + 12345600;  // plus 1.23456 s
  FILETIME later{static_cast<DWORD>(kLater & 0xFFFFFFFF), static_cast<DWORD>(kLater >> 32)};
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &later));
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &write));
  EXPECT_EQ(write.dwLowDateTime, later.dwLowDateTime);
  EXPECT_EQ(write.dwHighDateTime, later.dwHighDateTime);
  CloseHandle(h);
}

TEST_F(FilesTest, AttributesTimesAndSizeByName) {
  HANDLE h = Open(u"a.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  DWORD done;
  ASSERT_TRUE(WriteFile(h, "abcde", 5, &done, nullptr));
  constexpr std::uint64_t kLater = kTicks2001 + 12345600;
  FILETIME later{static_cast<DWORD>(kLater & 0xFFFFFFFF), static_cast<DWORD>(kLater >> 32)};
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &later));
  FILETIME creation, access, write;
  ASSERT_TRUE(GetFileTime(h, &creation, &access, &write));
  CloseHandle(h);

  // The same times as the open file gives, the size, and the name matched
  // without regard to case.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExW(Path(u"A.BIN").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, later.dwLowDateTime);
  EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, later.dwHighDateTime);
  EXPECT_EQ(data.ftCreationTime.dwLowDateTime, creation.dwLowDateTime);
  EXPECT_EQ(data.ftCreationTime.dwHighDateTime, creation.dwHighDateTime);

  ASSERT_TRUE(CreateDirectoryW(Path(u"d").c_str(), nullptr));
  ASSERT_TRUE(GetFileAttributesExW(Path(u"d").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(data.nFileSizeLow, 0u);

  EXPECT_FALSE(GetFileAttributesExW(Path(u"none.bin").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(GetFileAttributesExW(Path(u"a.bin").c_str(), GetFileExInfoStandard, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(
      GetFileAttributesExW(Path(u"a.bin").c_str(), static_cast<GET_FILEEX_INFO_LEVELS>(1), &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(FilesTest, CopyMoveAndDelete) {
  WriteNative(Native(u"src.txt"), "source");
  WriteNative(Native(u"dst.txt"), "old");
  EXPECT_FALSE(CopyFileW(Path(u"src.txt").c_str(), Path(u"dst.txt").c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_TRUE(CopyFileW(Path(u"SRC.TXT").c_str(), Path(u"dst.txt").c_str(), FALSE));
  EXPECT_EQ(ReadNative(Native(u"dst.txt")), "source");
  EXPECT_FALSE(CopyFileW(Path(u"none.txt").c_str(), Path(u"x.txt").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  WriteNative(Native(u"new.txt"), "new");
  EXPECT_FALSE(MoveFileExW(Path(u"new.txt").c_str(), Path(u"dst.txt").c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  // Replacing renames the file itself over the target: one step, same inode.
  struct stat before, after;
  ASSERT_EQ(stat(Native(u"new.txt").c_str(), &before), 0);
  EXPECT_TRUE(
      MoveFileExW(Path(u"new.txt").c_str(), Path(u"dst.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
  ASSERT_EQ(stat(Native(u"dst.txt").c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
  EXPECT_EQ(ReadNative(Native(u"dst.txt")), "new");
  EXPECT_FALSE(std::filesystem::exists(Native(u"new.txt")));
  // A rename that only changes case takes the new spelling.
  EXPECT_TRUE(MoveFileExW(Path(u"dst.txt").c_str(), Path(u"Dst.TXT").c_str(), 0));
  EXPECT_TRUE(std::filesystem::exists(platform::NativePath(folder_) + "/Dst.TXT"));

  EXPECT_TRUE(DeleteFileW(Path(u"dst.txt").c_str()));
  EXPECT_FALSE(DeleteFileW(Path(u"dst.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(DeleteFileW(Path(u"nofolder\\dst.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FilesTest, FoldersAndAttributes) {
  EXPECT_TRUE(CreateDirectoryW(Path(u"sub").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryW(Path(u"SUB").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryW(Path(u"none\\sub").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(Path(u"sub").c_str()), FILE_ATTRIBUTE_DIRECTORY);
  WriteNative(Native(u"sub\\f.txt"), "x");
  EXPECT_FALSE(RemoveDirectoryW(Path(u"sub").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);

  EXPECT_EQ(GetFileAttributesW(Path(u"sub\\f.txt").c_str()), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(SetFileAttributesW(Path(u"sub\\f.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesW(Path(u"sub\\f.txt").c_str()), FILE_ATTRIBUTE_READONLY);
  // Read-only holds for every user, as on the platform (also when tests run as root).
  EXPECT_EQ(Open(u"sub\\f.txt", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(DeleteFileW(Path(u"sub\\f.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(SetFileAttributesW(Path(u"sub\\f.txt").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileW(Path(u"sub\\f.txt").c_str()));
  EXPECT_TRUE(RemoveDirectoryW(Path(u"sub").c_str()));
  EXPECT_EQ(GetFileAttributesW(Path(u"sub").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FilesTest, NullAccessListLetsEveryoneWrite) {
  SECURITY_DESCRIPTOR sd;
  ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE));
  HANDLE h = Open(u"open.ini", GENERIC_WRITE, 0, CREATE_ALWAYS);
  CloseHandle(h);
  ASSERT_EQ(chmod(Native(u"open.ini").c_str(), 0600), 0);
  EXPECT_TRUE(SetFileSecurityW(Path(u"open.ini").c_str(), DACL_SECURITY_INFORMATION, &sd));
  struct stat st;
  ASSERT_EQ(stat(Native(u"open.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666u);

  SECURITY_ATTRIBUTES sa{sizeof sa, &sd, FALSE};
  ASSERT_TRUE(CreateDirectoryW(Path(u"QBX-W").c_str(), &sa));
  ASSERT_EQ(stat(Native(u"QBX-W").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0777u);

  EXPECT_FALSE(SetFileSecurityW(Path(u"none.ini").c_str(), DACL_SECURITY_INFORMATION, &sd));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(InitializeSecurityDescriptor(&sd, 2));
  EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_REVISION);
}

TEST_F(FilesTest, ReadWholeFileIsBounded) {
  WriteNative(Native(u"whole.bin"), std::string("ab\0cd", 5));
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(platform::ReadWholeFile(Path(u"WHOLE.bin").c_str(), bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string("ab\0cd", 5));
  EXPECT_FALSE(platform::ReadWholeNativeFile(Native(u"whole.bin"), bytes, 4));
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
  EXPECT_TRUE(bytes.empty());
  EXPECT_TRUE(platform::ReadWholeNativeFile(Native(u"whole.bin"), bytes, 5));
  EXPECT_FALSE(platform::ReadWholeFile(Path(u"none.bin").c_str(), bytes));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  // A file held open without read sharing cannot be read whole either.
  HANDLE h = Open(u"whole.bin", GENERIC_READ, 0, OPEN_EXISTING);
  EXPECT_FALSE(platform::ReadWholeFile(Path(u"whole.bin").c_str(), bytes));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(h);
}

// The 16-bit functions take their paths in the ANSI code page (932 here).
TEST_F(FilesTest, SixteenBitFunctionsWithAnsiPaths) {
  std::string folder = platform::WideToUtf8(folder_);
  std::string path = folder + "\\\x83\x65\x83\x58\x83\x67.txt";  // テスト.txt in Shift-JIS
  HFILE f = _lcreat(path.c_str(), 0);
  ASSERT_NE(f, HFILE_ERROR);
  EXPECT_EQ(_lwrite(f, "hello world", 11), 11u);
  EXPECT_EQ(_llseek(f, 6, 0), 6);
  char buffer[16] = {};
  EXPECT_EQ(_lread(f, buffer, sizeof buffer), 5u);
  EXPECT_EQ(std::string(buffer, 5), "world");
  EXPECT_EQ(_lclose(f), 0);
  EXPECT_EQ(ReadNative(Native(u"テスト.txt")), "hello world");

  f = _lopen(path.c_str(), OF_READ | OF_SHARE_DENY_WRITE);
  ASSERT_NE(f, HFILE_ERROR);
  EXPECT_EQ(_lopen(path.c_str(), OF_WRITE), HFILE_ERROR);  // denied by the first
  EXPECT_EQ(_llseek(f, 0, 2), 11);
  EXPECT_EQ(_lclose(f), 0);
  EXPECT_EQ(_lclose(f), HFILE_ERROR);
  EXPECT_EQ(_lopen((folder + "\\none.txt").c_str(), OF_READ), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(Handles, KindsAreKeptApartAndClosedOnce) {
  struct Thing : platform::HandleObject {
    explicit Thing(bool* gone) : gone_(gone) {}
    ~Thing() override { *gone_ = true; }
    bool* gone_;
  };
  std::size_t before = platform::test::OpenHandleCount();
  bool gone = false;
  HANDLE h = platform::CreateHandle(platform::HandleKind::kOther, std::make_shared<Thing>(&gone));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(h) % 4, 0u);
  EXPECT_EQ(platform::LookupHandleObject(h, platform::HandleKind::kFile), nullptr);
  std::shared_ptr<Thing> held = platform::LookupHandle<Thing>(h, platform::HandleKind::kOther);
  ASSERT_NE(held, nullptr);
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_FALSE(gone);  // still held by a caller
  held.reset();
  EXPECT_TRUE(gone);
  EXPECT_FALSE(CloseHandle(h));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(platform::test::OpenHandleCount(), before);
  EXPECT_TRUE(CloseHandle(INVALID_HANDLE_VALUE));  // the current process
}

}  // namespace
