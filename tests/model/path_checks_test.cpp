// Source path checks: accents, the free-space decision, and the renaming of
// accented folders and files on a temporary folder (moves never replace).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "model/path_checks.h"
#include "base/encoding.h"
#include "platform/files.h"

using namespace kx;

TEST(StripAccents, FifteenLowerCaseLettersOnly) {
    EXPECT_EQ(stripAccents("àâäéèêëïîôöûüÿç"_cp), "aaaeeeeiioouuuc");
    EXPECT_EQ(stripAccents("C:\\Vidéos\\été.mkv"_cp), "C:\\Videos\\ete.mkv");
    EXPECT_EQ(stripAccents("ÉÀÇ ñ ß"_cp), std::string("ÉÀÇ ñ ß"_cp));
}

TEST(AccentWarning, SixLettersInTheFolder) {
    for (auto letter : {"é"_cp, "è"_cp, "ê"_cp, "à"_cp, "ë"_cp, "ä"_cp})
        EXPECT_TRUE(hasWarnedAccent("C:\\V" + std::string(letter) + "\\")) << toUtf8(letter);
    EXPECT_FALSE(hasWarnedAccent("C:\\Fîlms\\"_cp));
    EXPECT_FALSE(hasWarnedAccent("C:\\VIDÉOS\\"_cp));
}

TEST(DiskSpace, StrictComparisonAtFourTimesTheSize) {
    const std::int64_t size = 1'000'000'000;
    EXPECT_TRUE(lacksDiskSpace(size, "0", 0, 3'999'999'999));
    EXPECT_FALSE(lacksDiskSpace(size, "0", 0, 4'000'000'000));
    // Missing source (-1) or a folder (-2): never a warning.
    EXPECT_FALSE(lacksDiskSpace(-1, "1", 0, 0));
    EXPECT_FALSE(lacksDiskSpace(-2, "1", 0, 0));
    // The destination counts only when "remuxdest = " is exactly "1"; the
    // source's folder is examined as well.
    EXPECT_TRUE(lacksDiskSpace(size, "1", 3'999'999'999, 8'000'000'000));
    EXPECT_FALSE(lacksDiskSpace(size, "1 ", 0, 8'000'000'000));
    EXPECT_TRUE(lacksDiskSpace(size, "1", 8'000'000'000, 0));
    // A size whose fourfold does not fit in 64 bits needs everything.
    EXPECT_TRUE(lacksDiskSpace(INT64_MAX / 2, "0", 0, INT64_MAX - 1));
}

namespace {

class RenameSource : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::filesystem::temp_directory_path().generic_string() + "/klarbrix-paths-" +
               std::to_string(std::random_device{}()) + "/";
        ASSERT_TRUE(fs::makeFolder(root));
    }
    void TearDown() override { fs::removeTree(root); }

    std::string at(std::string_view relative) const { return root + std::string(relative); }

    // Creates the file and the folders leading to it.
    void makeFile(const std::string& path, std::string_view content) {
        for (std::size_t p = root.size(); (p = path.find('/', p)) != std::string::npos; ++p)
            ASSERT_TRUE(fs::makeFolder(path.substr(0, p + 1)));
        ASSERT_TRUE(fs::writeFile(path, content));
    }

    std::string run(const std::string& path, std::optional<std::string> remuxFolder = std::nullopt,
                    std::string remuxdest = "0") {
        SourcePathInputs in{path, path.substr(path.rfind('/') + 1), std::move(remuxFolder), std::move(remuxdest),
                            fs::currentFolder(), renameAccents};
        return checkAndRenameSource(files, in, [this](const std::string& m) { messages.push_back(m); });
    }

    std::string root;
    std::vector<std::string> messages;
    FileSystem files;
    bool renameAccents = true;
};

}  // namespace

TEST_F(RenameSource, AccentedFolderAndFileAreRenamed) {
    makeFile(at("Vidéos/été.mkv"_cp), "film");
    EXPECT_EQ(run(at("Vidéos/été.mkv"_cp)), at("Videos/ete.mkv"));
    EXPECT_EQ(messages, std::vector<std::string>{accentMessage()});
    EXPECT_EQ(fs::readFile(at("Videos/ete.mkv")), "film");
    EXPECT_FALSE(fs::exists(at("Vidéos"_cp)));
}

TEST_F(RenameSource, OnlyTheFileOrOnlyTheFolderHasAccents) {
    makeFile(at("Films/été.mkv"_cp), "a");
    EXPECT_EQ(run(at("Films/été.mkv"_cp)), at("Films/ete.mkv"));
    EXPECT_TRUE(messages.empty());

    makeFile(at("Dîr/a.mkv"_cp), "b");
    EXPECT_EQ(run(at("Dîr/a.mkv"_cp)), at("Dir/a.mkv"));
    EXPECT_TRUE(messages.empty());  // î does not call for the warning
}

TEST_F(RenameSource, RefusedMovesKeepTheChosenFile) {
    // The plain folder exists already: the folder stays, the file is renamed in it.
    makeFile(at("Vidéos/été.mkv"_cp), "chosen");
    makeFile(at("Videos/ete.mkv"), "other");
    EXPECT_EQ(run(at("Vidéos/été.mkv"_cp)), at("Vidéos/ete.mkv"_cp));
    EXPECT_EQ(fs::readFile(at("Vidéos/ete.mkv"_cp)), "chosen");
    EXPECT_EQ(fs::readFile(at("Videos/ete.mkv")), "other");

    // The plain file name exists already: nothing moves, the path is unchanged.
    makeFile(at("Films/été.mkv"_cp), "chosen");
    makeFile(at("Films/ete.mkv"), "other");
    EXPECT_EQ(run(at("Films/été.mkv"_cp)), at("Films/été.mkv"_cp));
    EXPECT_EQ(fs::readFile(at("Films/été.mkv"_cp)), "chosen");
    EXPECT_EQ(fs::readFile(at("Films/ete.mkv")), "other");
}

TEST_F(RenameSource, FailedFolderMoveKeepsTheFolderThatExists) {
    // The parent is accented too: its plain name does not exist, the move
    // fails; the path keeps the real folder and only the file is renamed.
    makeFile(at("Dossé/Vidéos/été.mkv"_cp), "x");
    EXPECT_EQ(run(at("Dossé/Vidéos/été.mkv"_cp)), at("Dossé/Vidéos/ete.mkv"_cp));
    EXPECT_EQ(fs::readFile(at("Dossé/Vidéos/ete.mkv"_cp)), "x");
    EXPECT_FALSE(fs::exists(at("Dosse"_cp)));

    // Only the folder's own name may change: with an accent higher up, the
    // folder is never moved into a plain-named folder of the user's.
    makeFile(at("Hélène/sub/film.mkv"_cp), "y");
    makeFile(at("Helene/mine.txt"), "user");
    EXPECT_EQ(run(at("Hélène/sub/film.mkv"_cp)), at("Hélène/sub/film.mkv"_cp));
    EXPECT_EQ(fs::readFile(at("Hélène/sub/film.mkv"_cp)), "y");
    EXPECT_EQ(fs::listFolder(at("Helene")), std::vector<std::string>{"mine.txt"});
}

TEST_F(RenameSource, NothingIsRenamedWhereTheToolsTakeAnyName) {
    renameAccents = false;
    makeFile(at("Vidéos/été.mkv"_cp), "film");
    EXPECT_EQ(run(at("Vidéos/été.mkv"_cp)), at("Vidéos/été.mkv"_cp));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(fs::readFile(at("Vidéos/été.mkv"_cp)), "film");
}

TEST_F(RenameSource, SpaceWarningAndCancelledDialog) {
    makeFile(at("a.mkv"), "1");
    // A cancelled folder choice counts as no free space at the destination.
    EXPECT_EQ(run(at("a.mkv"), std::string(), "1"), at("a.mkv"));
    EXPECT_EQ(messages, std::vector<std::string>{diskSpaceMessage()});
    messages.clear();
    // No folder chosen: the current folder's volume has room for four bytes.
    run(at("a.mkv"), std::nullopt, "1");
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(run(""), "");
    EXPECT_TRUE(messages.empty());
}
