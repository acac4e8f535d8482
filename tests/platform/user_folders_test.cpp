// Where the program keeps its files: beside it when its folder is the user's,
// in the XDG folders otherwise, and what the first start makes there.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/scratch_folder.h"
#include "platform/user_folders.h"

using namespace kx;
using kx::test::ScratchFolder;

namespace {

const FolderEnvironment plainHome{"", "", "/home/ana"};

}  // namespace

TEST(UserFolders, AProgramFolderTheUserMayWriteKeepsEverything) {
    auto folders = chooseUserFolders("/home/ana/klarbrix/build/program/", true, plainHome);
    ASSERT_TRUE(folders);
    EXPECT_FALSE(folders->ofTheUser);
    EXPECT_EQ(folders->settingsFile, "/home/ana/klarbrix/build/program/options.txt");
    EXPECT_EQ(folders->workFolder, "/home/ana/klarbrix/build/program/");
}

TEST(UserFolders, AnInstalledProgramUsesTheXdgFolders) {
    // Under /usr even when this user (root) may write there.
    for (bool writable : {false, true}) {
        auto folders = chooseUserFolders("/usr/lib/klarbrix/", writable, plainHome);
        ASSERT_TRUE(folders);
        EXPECT_TRUE(folders->ofTheUser);
        EXPECT_EQ(folders->settingsFile, "/home/ana/.config/klarbrix/options.txt");
        EXPECT_EQ(folders->workFolder, "/home/ana/.local/share/klarbrix/");
    }
    // A folder of someone else's, anywhere.
    auto elsewhere = chooseUserFolders("/opt/klarbrix/", false, {"/cfg/", "/data", "/home/ana/"});
    ASSERT_TRUE(elsewhere);
    EXPECT_EQ(elsewhere->settingsFile, "/cfg/klarbrix/options.txt");
    EXPECT_EQ(elsewhere->workFolder, "/data/klarbrix/");
}

TEST(UserFolders, RelativeXdgValuesAreIgnoredAndNoHomeGivesNothing) {
    auto folders = chooseUserFolders("/usr/lib/klarbrix/", false, {"config", "./data", "/home/ana"});
    ASSERT_TRUE(folders);
    EXPECT_EQ(folders->settingsFile, "/home/ana/.config/klarbrix/options.txt");
    EXPECT_EQ(folders->workFolder, "/home/ana/.local/share/klarbrix/");

    EXPECT_FALSE(chooseUserFolders("/usr/lib/klarbrix/", false, {"", "", ""}));
    EXPECT_FALSE(chooseUserFolders("/usr/lib/klarbrix/", false, {"/cfg", "", "relative/home"}));
    // Both XDG folders given: no home needed.
    EXPECT_TRUE(chooseUserFolders("/usr/lib/klarbrix/", false, {"/cfg", "/data", ""}));
}

// The first start of an installed program: the folders made, the delivered
// settings copied once, the tools reachable from the working folder; the
// user's own settings and files are kept at later starts.
TEST(UserFolders, FirstStartPreparesTheFoldersAndLaterStartsKeepTheUsersFiles) {
    ScratchFolder dir;
    dir.write("program/options.txt", "soundenable = 1\r\n");
    dir.write("program/Applications/MediaInfo.exe", "", true);
    UserFolders folders{dir.file("home/.config/klarbrix/options.txt"), dir.file("data/klarbrix/"), true};

    ASSERT_TRUE(makeUserFolders(folders, dir.file("program/")));
    EXPECT_EQ(dir.read("home/.config/klarbrix/options.txt"), "soundenable = 1\r\n");
    EXPECT_EQ(std::filesystem::read_symlink(dir.file("data/klarbrix/Applications")), dir.file("program/Applications"));
    EXPECT_TRUE(dir.has("data/klarbrix/Applications/MediaInfo.exe"));
    struct stat st;
    ASSERT_EQ(::stat(dir.file("home/.config/klarbrix").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // The program moved: its link follows; the user's settings stay.
    dir.write("home/.config/klarbrix/options.txt", "soundenable = 0\r\n");
    dir.write("moved/Applications/MediaInfo.exe", "", true);
    ASSERT_TRUE(makeUserFolders(folders, dir.file("moved/")));
    EXPECT_EQ(dir.read("home/.config/klarbrix/options.txt"), "soundenable = 0\r\n");
    EXPECT_EQ(std::filesystem::read_symlink(dir.file("data/klarbrix/Applications")), dir.file("moved/Applications"));

    // A folder of that name is the user's own and is kept.
    std::filesystem::remove(dir.file("data/klarbrix/Applications"));
    dir.write("data/klarbrix/Applications/mine.txt", "x");
    ASSERT_TRUE(makeUserFolders(folders, dir.file("program/")));
    EXPECT_TRUE(dir.has("data/klarbrix/Applications/mine.txt"));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("data/klarbrix/Applications")));
}

TEST(UserFolders, FoldersThatCannotBeMadeAreReported) {
    ScratchFolder dir;
    dir.write("home", "a file where the folder should be");
    UserFolders folders{dir.file("home/.config/klarbrix/options.txt"), dir.file("data/klarbrix/"), true};
    EXPECT_FALSE(makeUserFolders(folders, dir.file("program/")));
}

TEST(UserFolders, AWritableProgramFolderIsLeftAsItIs) {
    ScratchFolder dir;
    dir.write("program/options.txt", "x");
    ::setenv("HOME", dir.file("home").c_str(), 1);
    auto folders = prepareUserFolders(dir.file("program/"));
    ASSERT_TRUE(folders);
    EXPECT_FALSE(folders->ofTheUser);
    EXPECT_EQ(folders->workFolder, dir.file("program/"));
    EXPECT_FALSE(dir.has("home"));
}
