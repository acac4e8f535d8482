// The settings table: keys and values as read, look-ups, changes and the
// file written back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <iterator>

#include "model/options.h"

using namespace kx;

TEST(Options, KeyIsUpToTheEqualsSignAndOneMoreLetter) {
    OptionTable t = parseOptions("createlog = 1\r\ncheminremux = D:\\Films\\\r\nmuxsrt = \r\n");
    EXPECT_EQ(t[0].key, "createlog = ");
    EXPECT_EQ(getOption(t, "createlog = "), "1");
    EXPECT_EQ(getOption(t, "cheminremux = "), "D:\\Films\\");
    EXPECT_EQ(t[2].key, "muxsrt = ");
    EXPECT_EQ(getOption(t, "muxsrt = "), "");
    EXPECT_EQ(getOption(t, "openlog = "), "");
    EXPECT_EQ(formatOptions(t), "createlog = 1\r\ncheminremux = D:\\Films\\\r\nmuxsrt = \r\n");
}

TEST(Options, ValueIsTheRestOfTheLineEvenWhenItHoldsTheKey) {
    OptionTable t = parseOptions("dtsfix = 1 DTSFIX = 0\nopenlog = 1 \n");
    EXPECT_EQ(getOption(t, "dtsfix = "), "1 DTSFIX = 0");
    EXPECT_EQ(getOption(t, "openlog = "), "1 ");  // a trailing blank: not "1"

    // A folder whose name holds the key survives being saved and read again.
    for (const char* folder : {"D:\\cheminremux = \\", "/srv/CHEMINREMUX = x/cheminremux = /"}) {
        OptionTable saved = parseOptions("cheminremux = \r\n");
        setOption(saved, "cheminremux = ", folder);
        EXPECT_EQ(getOption(parseOptions(formatOptions(saved)), "cheminremux = "), folder);
    }
}

TEST(Options, MalformedLinesReadAsAbsent) {
    OptionTable t = parseOptions("createlog=1\ncreatelog =1\nkeepdts = 1");
    EXPECT_EQ(t[0].key, "createlog=1");
    EXPECT_EQ(t[1].key, "createlog =1");
    EXPECT_EQ(getOption(t, "createlog = "), "");
    EXPECT_EQ(getOption(t, "keepdts = "), "1");  // a last line without line end is read
}

TEST(Options, DuplicatesFirstReadAllChanged) {
    OptionTable t = parseOptions("keepdts = 0\r\nkeepdts = 1\r\n");
    EXPECT_EQ(getOption(t, "keepdts = "), "0");
    setOption(t, "keepdts = ", "1");
    EXPECT_EQ(formatOptions(t), "keepdts = 1\r\nkeepdts = 1\r\n");
}

TEST(Options, MissingKeysAreNeverAdded) {
    OptionTable t = parseOptions("keepdts = 0\r\n");
    setOption(t, "dtsfix = ", "1");
    EXPECT_EQ(getOption(t, "dtsfix = "), "");
    EXPECT_EQ(formatOptions(t), "keepdts = 0\r\n");
}

TEST(Options, EmptyLinesTakeASlotAndAreDropped) {
    OptionTable t = parseOptions("a = 1\n\nb = 2\r\n\r\n");
    EXPECT_EQ(t[1].key, "");
    EXPECT_EQ(t[2].key, "b = ");
    EXPECT_EQ(formatOptions(t), "a = 1\r\nb = 2\r\n");
}

TEST(Options, LinesWithoutEqualsAreWrittenBackUnchanged) {
    OptionTable t = parseOptions("abca\nbanana\n");
    EXPECT_EQ(t[0].key, "a");
    EXPECT_EQ(formatOptions(t), "abca\r\nbanana\r\n");
}

TEST(Options, EveryLineIsRead) {
    std::string text;
    for (int i = 0; i < 30; ++i) text += "k" + std::to_string(i) + " = " + std::to_string(i) + "\r\n";
    OptionTable t = parseOptions(text);
    EXPECT_EQ(getOption(t, "k29 = "), "29");
    EXPECT_EQ(formatOptions(t), text);
}

// The settings file as the program reads and writes it: comments before the
// keys, a file too large to read, a file that is a link.
TEST(Options, SettingsFileReadWholeRefusedWhenHugeWrittenThroughALink) {
    namespace stdfs = std::filesystem;
    const stdfs::path folder = stdfs::temp_directory_path() / ("kx-options-" + std::to_string(std::random_device()()));
    stdfs::create_directories(folder);
    const std::string path = (folder / "options.txt").string();
    auto write = [](const std::string& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; };
    auto read = [](const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    FileSystem files;

    std::string comments;
    for (int i = 0; i < 25; ++i) comments += "; note " + std::to_string(i) + "\r\n";
    write(path, comments + "keepdts = 1\r\n");
    Settings settings(path, files);
    EXPECT_TRUE(settings.loadOptions());
    EXPECT_TRUE(settings.isOn(Option::keepdts));  // read after the 25 comment lines
    settings.setOption(Option::dtsfix, "1");
    ASSERT_TRUE(settings.saveOptions());
    const std::string saved = read(path);
    EXPECT_EQ(saved.rfind(comments, 0), 0u);
    EXPECT_NE(saved.find("keepdts = 1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("dtsfix = 1\r\n"), std::string::npos);

    const std::string huge = "keepdts = 1\r\n" + std::string(largestOptionsFile, ';');
    write(path, huge);
    Settings refused(path, files);
    EXPECT_FALSE(refused.loadOptions());
    EXPECT_EQ(refused.getOption(Option::keepdts), "0");  // the delivered value
    EXPECT_FALSE(refused.saveOptions());
    EXPECT_EQ(read(path), huge);  // never written over
    EXPECT_NE(settingsTooLarge(path).find(path), std::string::npos);

#ifndef _WIN32
    const std::string real = (folder / "real.txt").string();
    write(real, "keepdts = 1\r\n");
    stdfs::remove(path);
    stdfs::create_symlink("real.txt", path);
    Settings linked(path, files);
    EXPECT_TRUE(linked.loadOptions());
    linked.setOption(Option::keepdts, "0");
    ASSERT_TRUE(linked.saveOptions());
    EXPECT_TRUE(stdfs::is_symlink(path));
    EXPECT_NE(read(real).find("keepdts = 0\r\n"), std::string::npos);
#endif
    stdfs::remove_all(folder);
}

TEST(Options, EqualsSignAtTheEndOfTheLine) {
    OptionTable t = parseOptions("abc=");
    EXPECT_EQ(t[0].key, "abc=");
    EXPECT_EQ(t[0].value, "");
    EXPECT_EQ(formatOptions(t), "abc=\r\n");
}

// The delivered settings file is the settings table's: every setting, in
// its order, with its delivered value.
TEST(Options, DeliveredFileMatchesTheTable) {
    std::ifstream in(KLARBRIX_SOURCE_DIR "/resources/options.txt", std::ios::binary);
    ASSERT_TRUE(in);
    std::string delivered((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(delivered, deliveredOptionsText());
}
