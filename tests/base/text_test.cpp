// Line splitting, number reading, path parts and cp1252 conversions.
#include <gtest/gtest.h>

#include "base/text.h"
#include "base/encoding.h"
#include "tests/support/table.h"

using namespace kx;

TEST(SplitLines, EveryLineEndAndALastLineWithoutOne) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (V{"a"}));
    EXPECT_EQ(splitLines("a\n\r\nb"), (V{"a", "", "b"}));  // LF then CR LF: an empty line between
    EXPECT_EQ(splitLines("a\r\rb"), (V{"a", "", "b"}));
    EXPECT_EQ(splitLines(std::string_view("a\0b", 3)), (V{"a", "b"}));
    EXPECT_EQ(splitLines(""), V{});
    EXPECT_EQ(splitLines("\r\n"), (V{""}));
}

TEST(ReadNumber, SignsBasesBlanksAndStops) {
    EXPECT_EQ(readNumber("86"), 86);
    EXPECT_EQ(readNumber(" \t 90 (beta)"), 90);
    EXPECT_EQ(readNumber("$56"), 86);
    EXPECT_EQ(readNumber("$fF"), 255);
    EXPECT_EQ(readNumber("%1010"), 10);
    EXPECT_EQ(readNumber("%102"), 2);
    EXPECT_EQ(readNumber("-42ms"), -42);
    EXPECT_EQ(readNumber("+7"), 7);
    EXPECT_EQ(readNumber("version de klarbrix=86"), 0);
    EXPECT_EQ(readNumber(""), 0);
    EXPECT_EQ(readNumber("-"), 0);
    EXPECT_EQ(readNumber("$"), 0);
    EXPECT_EQ(readNumber("12abc"), 12);  // hex letters only after "$"
    EXPECT_EQ(readNumber(" - 5"), 0);     // no blank between sign and digits
}

TEST(ReadNumber, SixtyFourBitsAndBeyond) {
    EXPECT_EQ(readNumber("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(readNumber("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(readNumber("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(readNumber("-99999999999999999999999"), INT64_MIN);
    EXPECT_EQ(readNumber("$7FFFFFFFFFFFFFFF"), INT64_MAX);
    EXPECT_EQ(readNumber("4000000000"), 4000000000LL);
}

TEST(PathParts, FolderAndFile) {
    test::expectEach(folderPart, {{"D:\\Films\\a.mkv", "D:\\Films\\"}, {"/home/u/a b.mkv", "/home/u/"},
                                  {"a.mkv", ""}, {"/a\\b/c", "/a\\b/"}});
    test::expectEach(filePart, {{"D:\\Films\\a.mkv", "a.mkv"}, {"/home/u/", ""}, {"a.mkv", "a.mkv"}});
}

TEST(TextCase, Cp1252LettersAndReplacements) {
    EXPECT_EQ(toLower("DTS"), "dts");
    EXPECT_EQ(toLower("FRANÇAIS"_cp), "français"_cp);
    EXPECT_EQ(replaceAllNoCase("CreateLog = 1", "createlog = ", ""), "1");
    EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(findNoCase("Video Delay", "DELAY"), 6u);
}

TEST(Encoding, RoundTripsAndRefusals) {
    EXPECT_EQ("été"_cp, std::string_view("\xe9t\xe9"));
    EXPECT_EQ("€œ"_cp, std::string_view("\x80\x9c"));
    EXPECT_EQ(toUtf8("\xe9t\xe9 \x80"), "été €");
    for (int c = 0; c < 256; ++c) {
        std::string one(1, char(c));
        EXPECT_EQ(fromUtf8(toUtf8(one)), one) << c;
    }
    EXPECT_FALSE(fromUtf8("日本"));
    EXPECT_FALSE(fromUtf8("\xff"));
    EXPECT_FALSE(fromUtf8("\xc3"));           // cut short
    EXPECT_FALSE(fromUtf8("\xc0\xaf"));       // overlong
    EXPECT_EQ(fromUtf8Lossy("a日b"), "a?b");
}

TEST(Encoding, Utf16RoundTripsAndRefusals) {
    EXPECT_EQ(toUtf16("\xe9t\xe9 \x80\x81"), u"été €\u0081");
    for (int c = 0; c < 256; ++c) {
        std::string one(1, char(c));
        EXPECT_EQ(fromUtf16(toUtf16(one)), one) << c;
    }
    EXPECT_FALSE(fromUtf16(u"a\u0141"));                   // Ł: not in cp1252
    EXPECT_FALSE(fromUtf16(std::u16string(1, u'\xd83d')));  // a lone surrogate
    EXPECT_EQ(fromUtf16Lossy(u"a\U0001F600b\u65e5"), "a?b?");
}

TEST(Encoding, TextFileCharset) {
    const std::pair<std::string, std::string_view> files[] = {
        {"", "UTF-8"},
        {"plain ASCII\r\n", "UTF-8"},
        {"\xEF\xBB\xBF" "Fran\xC3\xA7" "ais", "UTF-8"},   // with a byte-order mark
        {"h\xC3\xA9los \xE2\x82\xAC", "UTF-8"},           // without
        {"h\xE9los \x80", "windows-1252"},                 // what a French Windows writes
        {"\xC3", "windows-1252"},                          // a cut sequence
        {"\xED\xA0\x80", "windows-1252"}};                 // a surrogate is not UTF-8
    for (const auto& [bytes, charset] : files) EXPECT_EQ(textFileCharset(bytes), charset) << bytes;
}
