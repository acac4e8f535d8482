// Reading the program's Windows-style dialog arguments on this desktop.
#include <gtest/gtest.h>

#include "frontends/qt/dialog_rules.h"
#include "tests/support/table.h"

namespace kx {
namespace {

TEST(FileFilters, PairsOfLabelAndPatterns) {
    auto filters = parseFileFilters("mkv (*.mkv)|*.mkv|Tous les fichiers (*.*)|*.*");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].label, "mkv (*.mkv)");
    EXPECT_EQ(filters[0].patterns, std::vector<std::string>{"*.mkv"});
    EXPECT_EQ(filters[1].label, "Tous les fichiers (*.*)");
    EXPECT_EQ(filters[1].patterns, std::vector<std::string>{"*"});  // "*.*" also means names without a dot
}

TEST(FileFilters, SeveralPatternsMissingPatternAndTrailingBar) {
    auto filters = parseFileFilters("Sous-titres|*.srt; *.ass|Tout|");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.srt", "*.ass"}));
    EXPECT_EQ(filters[1].patterns, std::vector<std::string>{"*"});
    auto lone = parseFileFilters("Tout");
    ASSERT_EQ(lone.size(), 1u);
    EXPECT_EQ(lone[0].patterns, std::vector<std::string>{"*"});
    EXPECT_EQ(parseFileFilters("srt|*.srt|").size(), 1u);
}

TEST(DialogStart, DrivePathsAndBarePatternsStartAtHome) {
    DialogStart mkv = fileDialogStart("C:\\*.mkv");
    EXPECT_EQ(mkv.folder, "");
    EXPECT_EQ(mkv.fileName, "");
    DialogStart srt = fileDialogStart("*.srt");
    EXPECT_EQ(srt.folder, "");
    EXPECT_EQ(srt.fileName, "");
    DialogStart named = fileDialogStart("/home/moi/films/film.mkv");
    EXPECT_EQ(named.folder, "/home/moi/films/");
    EXPECT_EQ(named.fileName, "film.mkv");
    EXPECT_EQ(fileDialogStart("d:\\videos\\a.mkv").folder, "");
}

TEST(DialogStart, FolderChooser) {
    test::expectEach(folderDialogStart, {{"C:\\", "/"}, {"", ""}, {"/srv/films/", "/srv/films/"}});
    test::expectEach(withTrailingSeparator, {{"/srv/films", "/srv/films/"}, {"/srv/films/", "/srv/films/"}, {"/", "/"}, {"", ""}});
}

}  // namespace
}  // namespace kx
