// Windows files and folders: names beyond the ANSI code page's reach, moves
// that never replace, replacement through a temporary, deletions, listing,
// file identity and the program's folders.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "base/encoding.h"
#include "platform/files.h"
#include "tests/win32/scratch.h"

using namespace kx;
using kx::test::WinScratch;

namespace {

bool has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TEST(Win32Files, NamesAreTheirUnicodeLetters) {
    WinScratch s;
    s.folders("Hélène\\"_cp);
    std::string file = s / "Hélène\\été € Œ.txt"_cp;
    ASSERT_TRUE(fs::writeFile(file, "contenu"));
    // The very letters, whatever the ANSI code page: € and Œ are cp1252's own.
    std::wstring unicode = win32::wide(s.root) + L"H\u00e9l\u00e8ne\\\u00e9t\u00e9 \u20ac \u0152.txt";
    EXPECT_NE(GetFileAttributesW(unicode.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(fs::readFile(file), "contenu");
    EXPECT_EQ(fs::fileSize(file), 7);
    EXPECT_EQ(fs::fileSize(s / "Hélène"_cp), -2);
    EXPECT_EQ(fs::fileSize(s / "absent"), -1);
    EXPECT_TRUE(fs::appendFile(file, "+"));
    EXPECT_EQ(fs::readFile(file), "contenu+");
    auto names = fs::listFolder(s / "Hélène\\"_cp);
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, std::vector<std::string>{std::string("été € Œ.txt"_cp)});

    // A name cp1252 cannot hold is listed with '?' in place of the letter.
    HANDLE h = CreateFileW((win32::wide(s.root) + L"\u0141\u00f3d\u017a.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(has(*fs::listFolder(s.root), std::string("?ód?.txt"_cp)));
    EXPECT_EQ(fs::listFolder(s / "absent\\"), std::nullopt);
    EXPECT_EQ(fs::listFolder(s / "Hélène\\été € Œ.txt"_cp), std::nullopt);
    EXPECT_FALSE(fs::readFile(s / "Hélène"_cp));  // a folder is no file
}

TEST(Win32Files, MovesNeverReplace) {
    WinScratch s;
    s.folders("Vidéos\\Films\\"_cp);
    ASSERT_TRUE(fs::writeFile(s / "été.mkv"_cp, "chosen"));
    ASSERT_TRUE(fs::writeFile(s / "ete.mkv", "other"));
    EXPECT_EQ(fs::moveNoReplace(s / "été.mkv"_cp, s / "ete.mkv"), fs::MoveResult::targetExists);
    EXPECT_EQ(fs::readFile(s / "été.mkv"_cp), "chosen");
    EXPECT_EQ(fs::readFile(s / "ete.mkv"), "other");

    // Folders, with or without their final separator.
    s.folders("Videos\\");
    EXPECT_EQ(fs::moveNoReplace(s / "Vidéos\\"_cp, s / "Videos\\"), fs::MoveResult::targetExists);
    EXPECT_TRUE(fs::isFolder(s / "Vidéos\\Films"_cp));
    EXPECT_TRUE(fs::removeTree(s / "Videos\\"));
    EXPECT_EQ(fs::moveNoReplace(s / "Vidéos\\"_cp, s / "Videos\\"), fs::MoveResult::moved);
    EXPECT_TRUE(fs::isFolder(s / "Videos\\Films"));

    EXPECT_EQ(fs::moveNoReplace(s / "été.mkv"_cp, s / "Videos\\ete.mkv"), fs::MoveResult::moved);
    EXPECT_EQ(fs::readFile(s / "Videos\\ete.mkv"), "chosen");
    EXPECT_EQ(fs::moveNoReplace(s / "absent.mkv", s / "x.mkv"), fs::MoveResult::failed);
}

TEST(Win32Files, ReplacementLeavesNoTemporaryAndKeepsTheOldFileOnFailure) {
    WinScratch s;
    std::string options = s / "options.txt";
    ASSERT_TRUE(fs::writeFile(options, "old"));
    EXPECT_TRUE(fs::replaceFile(options, "new"));
    EXPECT_EQ(fs::readFile(options), "new");
    EXPECT_EQ(*fs::listFolder(s.root), std::vector<std::string>{"options.txt"});

    // The file is held open without sharing: the rename fails, nothing is lost.
    HANDLE h = CreateFileW(win32::wide(options).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fs::replaceFile(options, "newer"));
    CloseHandle(h);
    EXPECT_EQ(fs::readFile(options), "new");
    EXPECT_EQ(*fs::listFolder(s.root), std::vector<std::string>{"options.txt"});
    EXPECT_FALSE(fs::replaceFile(s / "absent\\options.txt", "x"));
    EXPECT_FALSE(fs::writeFile(s / "absent\\options.txt", "x"));
}

TEST(Win32Files, DeletionsOfFilesAndTrees) {
    WinScratch s;
    s.folders("job1\\sub\\");
    ASSERT_TRUE(fs::writeFile(s / "job1\\mkvmerge.bat", "x"));
    ASSERT_TRUE(fs::writeFile(s / "job1\\sub\\locked.txt", "x"));
    SetFileAttributesW(win32::wide(s / "job1\\sub\\locked.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(fs::writeFile(s / "Film.DTS", "x"));

    EXPECT_FALSE(fs::removeFile(s / "job1"));  // a folder is not a file
    EXPECT_TRUE(fs::removeFile(s / "film.dts", true));
    EXPECT_FALSE(fs::exists(s / "Film.DTS"));
    EXPECT_FALSE(fs::removeFile(s / "film.dts"));
    EXPECT_TRUE(fs::removeTree(s / "job1\\"));
    EXPECT_FALSE(fs::exists(s / "job1"));
    EXPECT_FALSE(fs::removeTree(s / "job1\\"));
}

TEST(Win32Files, SameFileByIdentity) {
    WinScratch s;
    s.folders("films\\");
    ASSERT_TRUE(fs::writeFile(s / "films\\Film.mkv", "source"));
    ASSERT_TRUE(fs::writeFile(s / "films\\other.mkv", "other"));
    EXPECT_TRUE(fs::sameFile(s / "films\\Film.mkv", s / "FILMS\\film.MKV"));
    EXPECT_TRUE(fs::sameFile(s / "films\\Film.mkv", s / "films\\..\\films/Film.mkv"));
    EXPECT_FALSE(fs::sameFile(s / "films\\Film.mkv", s / "films\\other.mkv"));
    EXPECT_FALSE(fs::sameFile(s / "films\\Film.mkv", s / "films\\absent.mkv"));
    EXPECT_TRUE(fs::sameFile(s / "films\\", s / "films"));
}

TEST(Win32Files, ProgramAndCurrentFoldersAndFreeSpace) {
    std::string current = fs::currentFolder();
    ASSERT_FALSE(current.empty());
    EXPECT_EQ(current.back(), '\\');
    std::string program = fs::programFolder();
    EXPECT_EQ(program.back(), '\\');
    EXPECT_TRUE(fs::exists(program + "klarbrix_tests.exe"));
    WinScratch s;
    EXPECT_GT(fs::freeSpace(s.root), 0);
    EXPECT_EQ(fs::freeSpace(s / "absent\\"), 0);
    EXPECT_EQ(fs::separator(), '\\');
}
