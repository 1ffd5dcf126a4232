// File names: the file part of a path, renaming without losing a file, the current directory at a
// root and deeper than MAX_PATH, and the plain-name test.
#include <gtest/gtest.h>

#include "core/strings.h"
#include "support/buffer_result.h"
#include "system/file_names.h"
#include "system/scratch_folder.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace rt;
using test_support::file_exists;
using test_support::read_file;
using test_support::ScratchFolder;
using test_support::write_file;
using test_support::written_by;

std::string file_part(const char* path) {
    return written_by([&](int at) { get_file_part(path, at); });
}

std::string current_directory() {
    return written_by([](int at) { get_current_directory(at); });
}

TEST(FilePartTest, AfterTheLastSeparatorUpToAQuote) {
    struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"C:\\Video\\my_clip.avi", "my_clip.avi"},
        {"D:/films/a.b.mpg", "a.b.mpg"},
        {"clip.avi", "clip.avi"},
        {"C:\\Video\\", ""},
        {"C:/Video/", ""},
        {"\"C:\\a\\b.avi\" -x", "b.avi"},
        {"\"C:\\a\\b.avi\" -o\\out.flv", "out.flv"},
        {"\"clip.avi\"", "clip.avi"},
        {"\"", ""},
        {"C:\\My Videos\\my clip one.avi", "my clip one.avi"},
        {"C:\\mixed/sep\\arators/last.x", "last.x"},
        {"", ""},
        {nullptr, ""},
        {"Z:\\\xc2\xe8\xe4\xe5\xee\\\xea\xeb\xe8\xef_\xee\xe4\xe8\xed.avi", "\xea\xeb\xe8\xef_\xee\xe4\xe8\xed.avi"},
        {"C:\\films\\--x_-y.avi", "--x_-y.avi"},
        {"C:\\films\\..avi.", "..avi."},
        {"C:\\films\\..", ".."},
    };
    for (const auto& c : cases) EXPECT_EQ(file_part(c.path), c.expected) << (c.path ? c.path : "(null)");

    std::string folder = "C:\\" + std::string(197, 'f') + "\\", name = std::string(54, 'n') + ".avi";
    EXPECT_EQ(file_part((folder + name).c_str()), name) << "a path of 259 characters";
    EXPECT_EQ(file_part((folder + folder + name).c_str()), name) << "and one of twice that";
}

TEST(FilePartTest, APathInTheBufferIsReaddressedAfterTheMove) {
    std::thread([] {
        StringBuffer& buffer = current_string_buffer();  // a new thread's buffer: 16 bytes
        char* neighbour = nullptr;  // behind the buffer, so that growth must move it
        assign_string(&neighbour, "neighbour");
        append_to_buffer("C:\\a\\b.avi");
        int result = ++buffer.position;
        char* old_base = buffer.base;
        get_file_part(buffer.base, result);
        EXPECT_NE(buffer.base, old_base) << "the reservation moved the buffer";
        EXPECT_STREQ(buffer.base + result, "b.avi");
        get_file_part(buffer.base, 0);  // over its own argument
        EXPECT_STREQ(buffer.base, "b.avi");
        EXPECT_EQ(buffer.position, 5);
        free_string(neighbour);
        release_string_buffer();
    }).join();
}

TEST(RenameFileTest, RenamesWithoutEverLosingAFile) {
    ScratchFolder folder("rename");
    const std::string spaced = folder.file("my clip.avi"), plain = folder.file("my_clip.avi");
    write_file(spaced, "video bytes");
    EXPECT_NE(rename_file(spaced.c_str(), plain.c_str()), 0);
    EXPECT_FALSE(file_exists(spaced));
    EXPECT_EQ(read_file(plain), "video bytes");

    rename_file(plain.c_str(), plain.c_str());
    EXPECT_EQ(read_file(plain), "video bytes") << "renaming onto the same name leaves the file unchanged";

    const std::string nowhere = folder.file("no such folder\\clip.avi");
    EXPECT_EQ(rename_file(plain.c_str(), nowhere.c_str()), 0) << "a folder that does not exist";
    EXPECT_EQ(read_file(plain), "video bytes");

    const std::string other = folder.file("other.avi");
    write_file(other, "other bytes");
    EXPECT_EQ(rename_file(plain.c_str(), other.c_str()), 0) << "an existing file is never replaced";
    EXPECT_EQ(read_file(plain), "video bytes");
    EXPECT_EQ(read_file(other), "other bytes");

    EXPECT_EQ(rename_file(nullptr, plain.c_str()), 0);
    EXPECT_EQ(rename_file(plain.c_str(), nullptr), 0);
    EXPECT_EQ(read_file(plain), "video bytes");
}

// The names in a folder, for checking that no file appeared under a name cut short.
std::vector<std::string> names_in(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, "..")) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// A name of `length` characters in the folder: the stem, spaces every tenth character, then ".avi".
std::string long_name(const ScratchFolder& folder, std::size_t length, const std::string& stem) {
    std::string path = folder.file(stem);
    for (std::size_t i = 0; path.size() + 4 < length; ++i) path += i % 10 == 9 ? ' ' : 'x';
    return path + ".avi";
}

TEST(RenameFileTest, LongAndOddNamesAreRenamedWholeOrNotAtAll) {
    ScratchFolder folder("rename-long");
    for (std::size_t length : {250, 255, 259}) {
        const std::string spaced = long_name(folder, length, "\xc2\xe8\xe4\xe5\xee -- ..clip "), clean = [&] {
            std::string underscored = spaced;
            std::replace(underscored.begin(), underscored.end(), ' ', '_');
            return underscored;
        }();
        ASSERT_EQ(spaced.size(), length);
        write_file(spaced, "video bytes");
        ASSERT_EQ(read_file(spaced), "video bytes") << length << " characters: the file can be made";
        EXPECT_NE(rename_file(spaced.c_str(), clean.c_str()), 0) << length << " characters";
        EXPECT_EQ(read_file(clean), "video bytes") << length << " characters";
        EXPECT_EQ(names_in(folder.path()).size(), 1u) << "only the renamed file";
        DeleteFileA(clean.c_str());
    }

    // A new name past MAX_PATH: the file either has that whole name or keeps its own, and no file
    // appears under the name cut to fit.
    const std::string source = long_name(folder, 200, "source ");
    write_file(source, "video bytes");
    const std::string too_long = long_name(folder, MAX_PATH + 40, "renamed_");
    bool renamed = rename_file(source.c_str(), too_long.c_str()) != 0;
    EXPECT_EQ(read_file(renamed ? too_long : source), "video bytes") << (renamed ? "renamed whole" : "kept its name");
    EXPECT_EQ(file_exists(source), !renamed);
    std::vector<std::string> names = names_in(folder.path());
    ASSERT_EQ(names.size(), 1u) << "one file, under one of the two names";
    EXPECT_EQ(folder.file(names[0]), renamed ? too_long : source);
}

class CurrentDirectoryTest : public testing::Test {
protected:
    void SetUp() override { GetCurrentDirectoryW(MAX_PATH, previous); }
    void TearDown() override { SetCurrentDirectoryW(previous); }
    wchar_t previous[MAX_PATH];
};

TEST_F(CurrentDirectoryTest, EndsInOneBackslash) {
    ScratchFolder folder("current");
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    EXPECT_EQ(current_directory(), folder.path() + "\\");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(current_directory(), "C:\\") << "a root already ends in a backslash";
}

TEST_F(CurrentDirectoryTest, ADirectoryDeeperThanMaxPathIsReturnedWhole) {
    ScratchFolder folder("deep");
    std::wstring deep = L"\\\\?\\" + std::wstring(folder.path().begin(), folder.path().end());
    std::string expected = folder.path();
    const std::string level = "level-of-a-deep-directory-tree-0123456789";  // 41 characters
    while (expected.size() <= 300) {
        deep += L"\\" + std::wstring(level.begin(), level.end());
        expected += "\\" + level;
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str() + 4)) << "a deep current directory can be set";

    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer("label ");
    get_current_directory(buffer.position);
    EXPECT_EQ(std::string(buffer.base + saved), "label " + expected + "\\");
    EXPECT_EQ(buffer.position, saved + 6 + static_cast<int>(expected.size()) + 1);
    set_buffer_position(saved);

    SetCurrentDirectoryW(previous);  // so that the levels can be removed, deepest first
    for (std::size_t levels = (expected.size() - folder.path().size()) / (level.size() + 1); levels; --levels) {
        RemoveDirectoryW(deep.c_str());
        deep.erase(deep.rfind(L'\\'));
    }
}

TEST(ValidFileNameTest, PlainNamesOnly) {
    struct {
        const char* text;
        int expected;
    } cases[] = {
        {"clip one.avi", 1}, {"a.b.c", 1},       {"...", 1},      {"\xc2\xe8\xe4\xe5\xee.avi", 1},
        {"C:\\clip.avi", 0}, {"a?b", 0},         {"", 0},         {nullptr, 0},
        {"a/b", 0},          {"a:b", 0},         {"a*b", 0},      {"a<b", 0},
        {"a>b", 0},          {"a|b", 0},         {"a\"b", 0},     {"tab\there", 0},
        {"\x1f", 0},         {" ", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(is_valid_file_name(c.text), c.expected) << (c.text ? c.text : "(null)");
}

} // namespace
