// File names: the file part of a path, renaming without losing a file, the current directory at a
// root and deeper than MAX_PATH, and the plain-name test.
#include <gtest/gtest.h>

#include "support/buffer_result.h"
#include "system/file_names.h"
#include "system/scratch_folder.h"

#include <string>

namespace {

using namespace rt;
using test_support::read_file;
using test_support::written_by;

TEST(FilePartTest, AfterTheLastSeparatorUpToAQuote) {
    const std::string folder = "C:\\" + std::string(197, 'f') + "\\", name = std::string(54, 'n') + ".avi";
    const struct {
        std::string path, file_part;
    } rows[] = {
        {"D:/films/a.b.mpg", "a.b.mpg"}, {"clip.avi", "clip.avi"},    {"C:\\Video\\", ""},
        {"\"C:\\a\\b.avi\" -x", "b.avi"}, {"\"clip.avi\"", "clip.avi"}, {"\"", ""},
        {"C:\\My Videos\\my clip.avi", "my clip.avi"}, {"C:\\mixed/sep\\arators/last.x", "last.x"},
        {"Z:\\\xc2\xe8\xe4\xe5\xee\\..\xea\xeb\xe8\xef_-x.avi.", "..\xea\xeb\xe8\xef_-x.avi."},
        {folder + folder + name, name},  // 518 characters
    };
    for (const auto& row : rows) EXPECT_EQ(written_by([&](int at) { get_file_part(row.path.c_str(), at); }), row.file_part) << row.path;
    EXPECT_EQ(written_by([](int at) { get_file_part(nullptr, at); }), "");
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position, result = buffer.capacity;  // a reservation there grows the buffer
    append_to_buffer("C:\\a\\b.avi");
    get_file_part(buffer.base + saved, result);
    EXPECT_STREQ(buffer.base + result, "b.avi");
    get_file_part(buffer.base + saved, saved);  // over its own argument
    EXPECT_STREQ(buffer.base + saved, "b.avi");
    set_buffer_position(saved);
}

TEST(ValidFileNameTest, PlainNamesOnly) {
    for (const char* name : {"clip one.avi", "...", " ", "\xc2\xe8\xe4\xe5\xee.avi"}) EXPECT_EQ(is_valid_file_name(name), 1) << name;
    for (const char* name : {"C:\\clip.avi", "a/b", "a:b", "a*b", "a?b", "a<b", "a>b", "a|b", "a\"b", "tab\there", "\x1f", ""})
        EXPECT_EQ(is_valid_file_name(name), 0) << name;
    EXPECT_EQ(is_valid_file_name(nullptr), 0);
}

// A file is moved under its new name whole, or stays under its own; no other file is ever replaced.
TEST(RenameFileTest, RenamesWithoutEverLosingAFile) {
    test_support::ScratchFolder folder("rename");
    const std::string spaced = folder.file("my clip.avi"), plain = folder.file("my_clip.avi"), other = folder.file("other.avi");
    test_support::write_file(spaced, "video bytes");
    test_support::write_file(other, "other bytes");
    EXPECT_EQ(rename_file(spaced.c_str(), plain.c_str()), 1);
    const std::string too_long = folder.file(std::string(MAX_PATH + 40, 'x'));
    for (const std::string& refused : {other, folder.file("no such folder\\clip.avi"), too_long})
        EXPECT_EQ(rename_file(plain.c_str(), refused.c_str()), 0) << refused;
    EXPECT_EQ(rename_file(nullptr, plain.c_str()) + rename_file(plain.c_str(), nullptr), 0);
    EXPECT_EQ(read_file(plain) + read_file(other), "video bytesother bytes");
    EXPECT_FALSE(test_support::file_exists(spaced));
}

class CurrentDirectoryTest : public testing::Test {
protected:
    void SetUp() override { GetCurrentDirectoryW(MAX_PATH, previous); }
    void TearDown() override { SetCurrentDirectoryW(previous); }
    wchar_t previous[MAX_PATH];
};

TEST_F(CurrentDirectoryTest, EndsInOneBackslashAtARootAndDeeperThanMaxPath) {
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(written_by([](int at) { get_current_directory(at); }), "C:\\") << "a root already ends in a backslash";
    test_support::ScratchFolder folder("deep");
    std::string expected = folder.path();
    std::wstring deep = L"\\\\?\\" + std::wstring(expected.begin(), expected.end());
    const std::string level = "level-of-a-deep-directory-tree-0123456789";
    for (int levels = 0; levels < 8; ++levels) {
        deep += L"\\" + std::wstring(level.begin(), level.end());
        expected += "\\" + level;
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str() + 4)) << "a deep current directory can be set";
    EXPECT_EQ(written_by([](int at) { get_current_directory(at); }), expected + "\\");
    SetCurrentDirectoryW(previous);  // so that the levels can be removed, deepest first
    for (int levels = 0; levels < 8; ++levels, deep.erase(deep.rfind(L'\\'))) RemoveDirectoryW(deep.c_str());
}

} // namespace
