// The MediaInfo stand-in's report: recorded mediainfo JSON against the
// expected report text, and the shape the program's reader relies on.
#include <gtest/gtest.h>

#include "base/text.h"
#include "base/encoding.h"
#include "tests/tools/fixture.h"
#include "tests/support/table.h"
#include "tools/adapters/report.h"

namespace kx::adapt {
namespace {

using fixtures::fixture;
using fixtures::jsonFixture;

std::string reportOf(const json::Value& root) {
    std::string error;
    std::optional<std::string> report = makeReport(root, error);
    EXPECT_TRUE(report) << error;
    return report.value_or("");
}

std::string reportOfText(const std::string& jsonText) {
    json::ParseResult parsed = json::parse(jsonText);
    EXPECT_TRUE(parsed.value) << parsed.error;
    return parsed.value ? reportOf(*parsed.value) : "";
}

// The expected fixtures are UTF-8 with LF line ends for reading; the report is
// cp1252 with CR LF.
std::string expectedReport(const std::string& name) {
    return replaceAll(fromUtf8Lossy(fixture(name)), "\n", "\r\n");
}

std::string valueOf(const std::string& line) {
    return line.size() > 35 ? line.substr(35) : "";
}

// What the program's reader takes from a report, by its own rules.
struct ReadTrack {
    std::string title, id, format, language, delay;
};

std::vector<ReadTrack> readLikeTheProgram(const std::string& report, std::string& frameRate) {
    std::vector<std::string> lines = splitLines(report);
    auto at = [&](std::size_t i) { return i < lines.size() ? lines[i] : std::string(); };
    std::vector<ReadTrack> tracks;
    for (std::size_t i = 0; i < lines.size() && i < std::size_t(reportLineLimit); ++i) {
        if (startsWith(at(i), "ID")) {
            ReadTrack t{i > 0 ? at(i - 1) : "", valueOf(at(i)), valueOf(at(i + 1)), "", ""};
            if (startsWith(t.title, "Audio")) {
                std::size_t j = i;
                while (!at(j).empty()) {
                    if (startsWith(at(j), "Video delay")) t.delay = valueOf(at(j));
                    ++j;
                }
                t.language = startsWith(at(j - 1), "Language") ? valueOf(at(j - 1)) : "und";
            }
            if (startsWith(t.title, "Text")) t.language = valueOf(at(i + 4)).empty() ? "und" : valueOf(at(i + 4));
            tracks.push_back(t);
        }
        if (at(i).find("Frame rate") != std::string::npos) {
            std::string line = at(i);
            frameRate = replaceAll(valueOf(line), line.substr(line.size() - 4), "");
        }
    }
    return tracks;
}

// The delay in milliseconds as the program computes it from a "Video delay" line.
std::int64_t delayAsRead(const std::string& value) {
    const std::string label = "Video delay                      : ";
    std::string line = label + value;
    std::size_t s = line.find("s ");
    std::string seconds = replaceAll(s == std::string::npos ? "" : line.substr(0, s), label, "");
    std::size_t ms = line.find("ms");
    std::string millis = replaceAll(ms == std::string::npos ? "" : line.substr(0, ms), label, "");
    millis = replaceAllNoCase(millis, seconds + "s ", "");
    return readNumber(seconds) * 1000 + readNumber(millis);
}

TEST(AdapterReport, RecordedDemoFileGivesTheExpectedReport) {
    std::string report = reportOf(jsonFixture("demo-mediainfo.json"));
    EXPECT_EQ(report, expectedReport("demo-report.txt"));

    std::string frameRate = "previous";
    std::vector<ReadTrack> tracks = readLikeTheProgram(report, frameRate);
    ASSERT_EQ(tracks.size(), 4u);
    EXPECT_EQ(tracks[0].title, "Video");
    EXPECT_EQ(tracks[1].title, "Audio #1");
    EXPECT_EQ(tracks[1].id + " " + tracks[1].format + " " + tracks[1].language, "2 DTS French");
    EXPECT_EQ(delayAsRead(tracks[1].delay), 1023);
    EXPECT_EQ(tracks[2].id + " " + tracks[2].format + " " + tracks[2].language, "3 AC-3 English");
    EXPECT_EQ(tracks[2].delay, "");
    EXPECT_EQ(tracks[3].title, "Text");
    EXPECT_EQ(tracks[3].id + " " + tracks[3].format + " " + tracks[3].language, "4 UTF-8 French");
    EXPECT_EQ(frameRate, "23.976");
}

TEST(AdapterReport, RecordedVarietyFileGivesTheExpectedReport) {
    // Two videos (25 and 23.976 fps), AAC with a negative delay, E-AC-3 without
    // a language, forced ASS subtitles with a title.
    std::string report = reportOf(jsonFixture("variety-mediainfo.json"));
    EXPECT_EQ(report, expectedReport("variety-report.txt"));

    std::string frameRate;
    std::vector<ReadTrack> tracks = readLikeTheProgram(report, frameRate);
    ASSERT_EQ(tracks.size(), 5u);
    EXPECT_EQ(tracks[0].title, "Video #1");
    EXPECT_EQ(tracks[1].title, "Video #2");
    EXPECT_EQ(frameRate, "23.976");  // the last video's
    EXPECT_EQ(tracks[2].language, "German");
    EXPECT_EQ(delayAsRead(tracks[2].delay), -1542);
    EXPECT_EQ(tracks[3].format, "E-AC-3");
    EXPECT_EQ(tracks[3].language, "und");
    EXPECT_EQ(tracks[4].language, "English");
}

TEST(AdapterReport, DelaysReadBackToTheSameMilliseconds) {
    EXPECT_EQ(delayText(1023), "1s 23ms");
    EXPECT_EQ(delayText(-42), "-42ms");
    EXPECT_EQ(delayText(0), "");
    // Whole seconds keep their "0ms" and negative delays sign both parts:
    // "2s" alone or "-1s 542ms" would be read as 0 and -458.
    EXPECT_EQ(delayText(2000), "2s 0ms");
    EXPECT_EQ(delayText(-1542), "-1s -542ms");
    for (std::int64_t ms : {1, 999, 1000, 1023, 2000, 12012, 61001, -1, -42, -1000, -1542, -11011})
        EXPECT_EQ(delayAsRead(delayText(ms)), ms) << delayText(ms);
}

TEST(AdapterReport, LanguageNames) {
    test::expectEach(languageName, {{"fr", "French"}, {"fre", "French"}, {"fra", "French"}, {"JA", "Japanese"},
                                    {"de", "German"}, {"fr-CA", "French (CA)"}, {"und", ""}, {"", ""}, {"xqz", "xqz"}});
}

TEST(AdapterReport, FreeTextCannotBreakTheShape) {
    // A title with a line break and the words "Frame rate", and a subtitle
    // without language: the frame rate stays the video's, the title stays on
    // one line, and the subtitle language is read as "und". A track without
    // ID (a raw stream) is no track for the reader.
    std::string report = reportOfText(R"({"media":{"@ref":"/films/Frame rate test.mkv","track":[
        {"@type":"General","Format":"Matroska"},
        {"@type":"Video","ID":"1","Format":"AVC","FrameRate":"25.000"},
        {"@type":"Audio","ID":"2","Format":"AC-3","Title":"Frame rate\nID 7","Language":"en"},
        {"@type":"Text","ID":"3","Format":"PGS"},
        {"@type":"Audio","Format":"DTS","Language":"fr"}]}})");
    std::string frameRate;
    std::vector<ReadTrack> tracks = readLikeTheProgram(report, frameRate);
    EXPECT_EQ(frameRate, "25.000");
    ASSERT_EQ(tracks.size(), 3u);
    EXPECT_EQ(tracks[1].language, "English");
    EXPECT_EQ(tracks[2].format, "PGS");
    EXPECT_EQ(tracks[2].language, "und");
    EXPECT_NE(report.find(reportLine("Title", "Frame-rate ID 7")), std::string::npos);
}

TEST(AdapterReport, ManyTracksStillFitTheReaderTable) {
    std::string tracks = R"({"@type":"General","Format":"Matroska","FileSize":"123456789","Duration":"5400.5"},
        {"@type":"Video","ID":"1","Format":"HEVC","FrameRate":"23.976","Width":"1920","Height":"1080"})";
    for (int k = 0; k < 10; ++k)
        tracks += R"(,{"@type":"Audio","ID":")" + std::to_string(2 + k) +
                  R"(","Format":"DTS","Channels":"6","SamplingRate":"48000","BitRate":"1509000","Video_Delay":"-0.010","Title":"t","Default":"No","Language":"fr"})";
    for (int k = 0; k < 10; ++k)
        tracks += R"(,{"@type":"Text","ID":")" + std::to_string(12 + k) +
                  R"(","Format":"UTF-8","CodecID":"S_TEXT/UTF8","Title":"t","Forced":"Yes","Language":"en"})";
    std::string report = reportOfText(R"({"media":{"@ref":"x.mkv","track":[)" + tracks + "]}}");

    EXPECT_LE(splitLines(report).size(), std::size_t(reportLineLimit));
    std::string frameRate;
    std::vector<ReadTrack> read = readLikeTheProgram(report, frameRate);
    ASSERT_EQ(read.size(), 21u);
    EXPECT_EQ(read[20].title, "Text #10");
    EXPECT_EQ(read[20].id, "21");
    EXPECT_EQ(read[20].language, "English");
    EXPECT_EQ(read[10].language, "French");
    EXPECT_EQ(delayAsRead(read[10].delay), -10);
    EXPECT_EQ(frameRate, "23.976");
}

TEST(AdapterReport, NotAMediaInfoDocument) {
    std::string error;
    json::ParseResult parsed = json::parse(R"({"tracks":[]})");
    ASSERT_TRUE(parsed.value);
    EXPECT_FALSE(makeReport(*parsed.value, error));
    EXPECT_FALSE(error.empty());
}

TEST(AdapterJson, ReadsWhatTheToolsPrint) {
    json::ParseResult p = json::parse(R"( {"a": [1, -2.5e3, true, false, null],
        "uid": 12333484388581662351, "s": "\u00e9\"\\\/\n\ud83d\ude00", "a": 2} )");
    ASSERT_TRUE(p.value) << p.error;
    const json::Value& v = *p.value;
    EXPECT_EQ(v["a"].items().size(), 5u);  // the first member of a name
    EXPECT_EQ(v["a"].items()[1].number(), -2500.0);
    EXPECT_TRUE(v["a"].items()[2].boolean());
    EXPECT_TRUE(v["a"].items()[4].isNull());
    EXPECT_EQ(v["uid"].text(), "12333484388581662351");  // kept exactly
    EXPECT_FALSE(v["uid"].integer());                     // beyond 64 bits
    EXPECT_EQ(v["s"].text(), "\xC3\xA9\"\\/\n\xF0\x9F\x98\x80");
    EXPECT_TRUE(v["missing"]["deeper"].isNull());
    EXPECT_EQ(json::Value::makeString("42").integer(), 42);
}

TEST(AdapterJson, RefusesBrokenDocuments) {
    for (const char* bad : {"", "{", "[1,]", "{\"a\" 1}", "\"abc", "01x", "{\"a\":1} x", "\"\\ud800\"", "tru",
                            "\"a\tb\"", "-", "1.", "[1 2]"})
        EXPECT_FALSE(json::parse(bad).value) << bad;
    std::string deep(300, '[');
    deep += std::string(300, ']');
    EXPECT_FALSE(json::parse(deep).value);
    std::string fine(150, '[');
    fine += std::string(150, ']');
    EXPECT_TRUE(json::parse(fine).value);
}

}  // namespace
}  // namespace kx::adapt
