// The MediaInfo report scan: track table, list items, delays, languages and
// the frame rate, on a realistic report and on small hand-made ones.
#include <gtest/gtest.h>

#include "model/report.h"
#include "platform/files.h"

using namespace kx;

namespace {

// One report line: the label padded to 33 characters, ": ", the value.
std::string row(std::string label, std::string_view value) {
    label.resize(33, ' ');
    return label + ": " + std::string(value);
}

ReportLines linesOf(std::initializer_list<std::string> rows) {
    std::string text;
    for (const auto& r : rows) text += r + "\r\n";
    return reportLinesOf(text);
}

std::vector<std::string> items(std::initializer_list<const char*> texts) { return {texts.begin(), texts.end()}; }

}  // namespace

TEST(ReportScan, TwoAudioTracksSubtitlesAndVideo) {
    auto bytes = fs::readFile(KLARBRIX_SOURCE_DIR "/tests/fixtures/two_audio_tracks.txt");
    ASSERT_TRUE(bytes);
    ReportScan scan = scanReport(reportLinesOf(*bytes));

    EXPECT_EQ(scan.videoItems, items({"track #1  AVC  "}));
    EXPECT_EQ(scan.audioItems, items({"track #2  AC3  French", "track #3  EAC3  und"}));
    // Text #2 is short (und); the fourth line after the ID of Text #3 is not its language.
    EXPECT_EQ(scan.subtitleItems, items({"track #4  UTF8  French", "track #5  PGS  und", "track #6  ASS  Lossless"}));
    EXPECT_EQ(scan.frameRate, "23.976");

    const TrackTable& t = scan.tracks;
    // The video section's "Video delay" line is not read, nor its language.
    EXPECT_EQ(t[0].trackId, "1");
    EXPECT_EQ(t[0].language, "");
    EXPECT_EQ(t[0].delaySeconds, "");
    EXPECT_EQ(t[0].delayMilliseconds, "");
    EXPECT_EQ(t[1].delaySeconds, "1");
    EXPECT_EQ(t[1].delayMilliseconds, "23");
    EXPECT_EQ(t[1].channels, 6);
    EXPECT_EQ(t[2].channels, 0);  // no "Channel(s)" line
    // "Language" is not the last line of Audio #2: und.
    EXPECT_EQ(t[2].format, "EAC3");
    EXPECT_EQ(t[2].language, "und");
    EXPECT_EQ(t[2].delaySeconds, "");
    EXPECT_EQ(t[2].delayMilliseconds, "-42");
    EXPECT_EQ(t[5].trackId, "6");
    EXPECT_EQ(t[6].trackId, "");  // the Menu section has no ID line
}

TEST(ReportScan, EveryVideoDelayShape) {
    struct Case {
        const char* value;
        const char* seconds;
        const char* ms;
    };
    for (Case c : {Case{"1s 23ms", "1", "23"}, Case{"-42ms", "", "-42"}, Case{"-1s 500ms", "-1", "500"},
                   Case{"2s", "", ""}}) {
        ReportScan scan = scanReport(linesOf({"Audio", row("ID", "2"), row("Format", "DTS"),
                                              row("Video delay", c.value), row("Language", "French"), ""}));
        EXPECT_EQ(scan.tracks[0].delaySeconds, c.seconds) << c.value;
        EXPECT_EQ(scan.tracks[0].delayMilliseconds, c.ms) << c.value;
    }
    ReportScan none = scanReport(linesOf({"Audio", row("ID", "2"), row("Format", "DTS"), ""}));
    EXPECT_EQ(none.tracks[0].delaySeconds, "");
    EXPECT_EQ(none.tracks[0].delayMilliseconds, "");
    EXPECT_EQ(none.tracks[0].language, "und");

    // The last "Video delay" line of a section wins.
    ReportScan two = scanReport(linesOf({"Audio", row("ID", "2"), row("Format", "DTS"), row("Video delay", "1s 23ms"),
                                         row("Video delay", "-7ms"), ""}));
    EXPECT_EQ(two.tracks[0].delaySeconds, "");
    EXPECT_EQ(two.tracks[0].delayMilliseconds, "-7");
}

TEST(ReportScan, SecondVideoSectionTakesAnEntryButIsNotListed) {
    ReportScan scan = scanReport(linesOf({"Video #1", row("ID", "1"), row("Format", "AVC"), "", "Video #2",
                                          row("ID", "2"), row("Format", "HEVC"), "", "Audio", row("ID", "3"),
                                          row("Format", "AAC"), row("Language", "Japanese"), ""}));
    EXPECT_TRUE(scan.videoItems.empty());
    EXPECT_EQ(scan.tracks[1].format, "HEVC");
    EXPECT_EQ(scan.audioItems, items({"track #3  AAC  Japanese"}));
}

TEST(ReportScan, FrameRateLastMatchingLineWins) {
    // A "Frame rate mode" line last: its value loses its last four characters.
    ReportScan mode = scanReport(
        linesOf({"Video", row("ID", "1"), row("Frame rate", "25.000 fps"), row("Frame rate mode", "Constant"), ""}));
    EXPECT_EQ(mode.frameRate, "Cons");

    ReportScan none = scanReport(linesOf({"General", row("Format", "Matroska"), ""}));
    EXPECT_FALSE(none.frameRate.has_value());
    EXPECT_TRUE(none.audioItems.empty() && none.videoItems.empty() && none.subtitleItems.empty());

    EXPECT_FALSE(scanReport(ReportLines{}).frameRate.has_value());
}

TEST(ReportScan, TablesHaveFixedSizes) {
    // 25 audio sections of four lines: only the first 21 are stored and listed.
    std::string text;
    for (int n = 1; n <= 25; ++n)
        text += "Audio #" + std::to_string(n) + "\n" + row("ID", std::to_string(n)) + "\n" + row("Format", "AC-3") + "\n\n";
    ReportScan scan = scanReport(reportLinesOf(text));
    ASSERT_EQ(scan.audioItems.size(), 21u);
    EXPECT_EQ(scan.audioItems.back(), "track #21  AC3  und");
    EXPECT_EQ(scan.tracks[20].trackId, "21");

    // Lines after entry 200 are dropped: an ID line at 199 is read with its
    // format at 200, one at 201 is not seen.
    std::vector<std::string> rows(198, "x");
    rows.push_back("Audio");
    rows.push_back(row("ID", "7"));
    rows.push_back(row("Format", "DTS"));
    rows.push_back(row("ID", "8"));
    text.clear();
    for (const auto& r : rows) text += r + "\n";
    ReportLines lines = reportLinesOf(text);
    EXPECT_EQ(lines[200], row("Format", "DTS"));
    scan = scanReport(lines);
    EXPECT_EQ(scan.audioItems, items({"track #7  DTS  und"}));
    EXPECT_EQ(scan.tracks[1].trackId, "");
}

// What tells a box's trouble with a track: its profile and level, bit depth
// and header compression, in video, audio and text sections alike.
TEST(ReportScan, ProfileBitDepthAndHeaderStripping) {
    const struct {
        const char* title;
        std::string line;
        const char* profile;
        int bitDepth;
        bool stripped;
    } cases[] = {
        {"Video", row("Format profile", "Main 10@L5.1@High"), "Main 10@L5.1@High", 0, false},
        {"Video", row("Bit depth", "10 bits"), "", 10, false},
        {"Video", row("Muxing mode", "Header stripping"), "", 0, true},
        {"Audio", row("Muxing mode", "Header stripping"), "", 0, true},
        {"Text", row("Muxing mode", "Header stripping"), "", 0, true},
        {"Text", row("Muxing mode", "zlib"), "", 0, false},
    };
    for (const auto& c : cases) {
        ReportScan scan = scanReport(linesOf({c.title, row("ID", "1"), row("Format", "HEVC"), c.line, ""}));
        const TrackRecord& t = scan.tracks[0];
        EXPECT_EQ(t.profile, c.profile) << c.line;
        EXPECT_EQ(t.bitDepth, c.bitDepth) << c.line;
        EXPECT_EQ(t.headerStripped, c.stripped) << c.line;
    }
}

TEST(ReportScan, EachTrackKeepsTheDurationOfItsOwnSection) {
    ReportScan scan = scanReport(linesOf({"General", row("Duration", "2 h 1 min"), "", "Video", row("ID", "1"),
                                          row("Format", "AVC"), row("Duration", "1 h 23 min"), "", "Audio",
                                          row("ID", "2"), row("Format", "AC-3"), row("Duration", "5 s 120 ms"),
                                          row("Language", "French"), "", "Text", row("ID", "3"), row("Format", "UTF-8")}));
    EXPECT_EQ(scan.tracks[0].duration, "1 h 23 min");
    EXPECT_EQ(scan.tracks[1].duration, "5 s 120 ms");
    EXPECT_EQ(scan.tracks[2].duration, "");  // none in its section: the file's is not the track's
}
