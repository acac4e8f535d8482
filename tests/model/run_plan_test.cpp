// The run plan: base names, track lookup, extensions, language codes, output.
#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "base/encoding.h"
#include "model/run_plan.h"
#include "model/source_session.h"

using namespace kx;

namespace {

TrackRecord track(std::string id, std::string format, std::string language = "", std::string seconds = "",
                  std::string ms = "") {
    return {std::move(id), std::move(format), std::move(language), std::move(seconds), std::move(ms)};
}

RunInputs inputs(std::string source) {
    RunInputs in;
    in.sourcePath = std::move(source);
    in.tracks[0] = track("1", "AVC");
    in.tracks[1] = track("2", "DTS", "French", "1", "23");
    in.tracks[2] = track("3", "UTF8", "English");
    in.videoId = 1;
    in.audioId = 2;
    in.subId = 3;
    in.subtitleSelected = true;
    in.remuxdest = "0";
    return in;
}

}  // namespace

TEST(RunPlan, NamesFromTheSourcePath) {
    RunPlan p = makeRunPlan(inputs("D:\\Films\\Mon film.mkv"));
    EXPECT_EQ(p.baseName, "Mon film");
    EXPECT_EQ(p.basePath, "D:\\Films\\Mon film");
    EXPECT_EQ(p.videoFile, "D:\\Films\\Mon film.h264");
    EXPECT_EQ(p.audioFile, "D:\\Films\\Mon film.dts");
    EXPECT_EQ(p.subFile, "D:\\Films\\Mon film.srt");
    EXPECT_EQ(p.remuxOutput, "D:\\Films\\Mon film_remux.mkv");

    EXPECT_EQ(makeRunPlan(inputs("D:\\x.mkv\\film.mkv")).basePath, "D:\\x.mkv\\film");
    EXPECT_EQ(makeRunPlan(inputs("D:\\x.mkv\\film")).basePath, "D:\\x.mkv\\film");
    EXPECT_EQ(makeRunPlan(inputs("/home/u/Films/a.mkv")).basePath, "/home/u/Films/a");

    RunInputs in = inputs("D:\\Films\\a.mkv");
    in.remuxdest = "1";
    in.cheminremux = "E:\\Remux\\";
    EXPECT_EQ(makeRunPlan(in).remuxOutput, "E:\\Remux\\a.mkv");
}

TEST(RunPlan, ChosenTracksAndTheirRecords) {
    RunPlan p = makeRunPlan(inputs("D:\\F\\a.mkv"));
    EXPECT_EQ(p.videoId, 1);
    EXPECT_EQ(p.audioId, 2);
    EXPECT_EQ(p.subId, 3);
    EXPECT_EQ(p.audioFormat, "DTS");
    EXPECT_EQ(p.audioLang, "fre");
    EXPECT_EQ(p.audioDelaySeconds, 1);
    EXPECT_EQ(p.audioDelayMs, 23);
    EXPECT_EQ(p.subFormat, "srt");
    EXPECT_EQ(p.subLang, "eng");

    // No subtitle selected: subId 0 and nothing taken from a subtitle record.
    RunInputs in = inputs("D:\\F\\a.mkv");
    in.subtitleSelected = false;
    p = makeRunPlan(in);
    EXPECT_EQ(p.subId, 0);
    EXPECT_EQ(p.subFormat, "");
    EXPECT_EQ(p.subLang, "");

    // Several records with the chosen ID: the last one wins; negative delays keep their sign.
    in = inputs("D:\\F\\a.mkv");
    in.tracks[5] = track("2", "AC3", "German", "", "-42");
    p = makeRunPlan(in);
    EXPECT_EQ(p.audioFormat, "AC3");
    EXPECT_EQ(p.audioLang, "ger");
    EXPECT_EQ(p.audioDelaySeconds, 0);
    EXPECT_EQ(p.audioDelayMs, -42);
    EXPECT_EQ(p.audioFile, "D:\\F\\a.ac3");
}

TEST(RunPlan, FormatsAndExtensions) {
    using Row = std::array<const char*, 3>;  // analysed format, format of the plan, file
    for (Row c : {Row{"Vorbis", "ogg", "D:\\F\\a.ogg"}, Row{"AAC", "AAC", "D:\\F\\a.aac"}}) {
        RunInputs in = inputs("D:\\F\\a.mkv");
        in.tracks[1].format = c[0];
        RunPlan p = makeRunPlan(in);
        EXPECT_EQ(p.audioFormat, c[1]);
        EXPECT_EQ(p.audioFile, c[2]);
    }
    for (Row c : {Row{"UTF8", "srt", "D:\\F\\a.srt"}, Row{"ASS", "ass", "D:\\F\\a.ass"},
                  Row{"VobSub", "sub", "D:\\F\\a.sub"}, Row{"PGS", "PGS", ""}, Row{"utf8", "utf8", ""}}) {
        RunInputs in = inputs("D:\\F\\a.mkv");
        in.tracks[2].format = c[0];
        RunPlan p = makeRunPlan(in);
        EXPECT_EQ(p.subFormat, c[1]) << c[0];
        EXPECT_EQ(p.subFile, c[2]) << c[0];
    }
}

TEST(LanguageCode, Table) {
    // The nine names known by their first three letters, as ever.
    EXPECT_EQ(languageCode("Japanese"), "jpn");
    EXPECT_EQ(languageCode("French"), "fre");
    EXPECT_EQ(languageCode("Français"_cp), "fra");
    EXPECT_EQ(languageCode("German"), "ger");
    EXPECT_EQ(languageCode("ENGLISH"), "eng");
    EXPECT_EQ(languageCode("French (CA)"), "fre");
    // Every other language MediaInfo names or codes: its ISO 639-2/B code.
    const std::pair<std::string, std::string> others[] = {
        {"Portuguese", "por"}, {"Portuguese (BR)", "por"}, {"Russian", "rus"}, {"Chinese (Traditional)", "chi"},
        {"Arabic", "ara"}, {"Polish", "pol"}, {"Swedish", "swe"}, {"Greek", "gre"}, {"Czech", "cze"},
        {"Norwegian Bokmal", "nob"}, {std::string("Bokmål, Norwegian"_cp), "nob"}, {"Romanian", "rum"}, {"Persian", "per"},
        {"Multiple languages", "mul"}, {"Slovenian", "slv"}, {"Tibetan", "tib"},
        // Codes: two-letter, terminology and bibliographic ones, and those kept for local use.
        {"ja", "jpn"}, {"pt", "por"}, {"deu", "ger"}, {"zho", "chi"}, {"fil", "fil"}, {"zxx", "zxx"}, {"qaa", "qaa"},
        // Nothing known: und.
        {"", "und"}, {"xx", "und"}, {"qzz", "und"}, {"Klingonish", "und"}, {"(BR)", "und"}};
    for (const auto& [name, code] : others) EXPECT_EQ(languageCode(name), code) << name;
}

TEST(TrackIds, LeadingDigitsOfTheRecord) {
    EXPECT_EQ(trackIdOfRecord("12"), 12);
    EXPECT_EQ(trackIdOfRecord("4113 (0x1011)"), 4113);
    EXPECT_EQ(trackIdOfRecord("99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(trackIdOfRecord(""), 0);
}

// The chosen items give the plan's track IDs, never the items' texts.
TEST(SourceSession, ChosenItemsGiveTheirTracks) {
    ReportScan scan;
    scan.tracks[0] = track("1", "AVC");
    scan.tracks[1] = track("12", "DTS", "French");
    scan.tracks[2] = track("7", "UTF8", "English");
    scan.tracks[3] = track("8", "AC3", "English");
    scan.videoItems = {"video"};
    scan.videoRecords = {0};
    scan.audioItems = {"first audio", "second audio"};
    scan.audioRecords = {1, 3};
    scan.subtitleItems = {"subtitle"};
    scan.subtitleRecords = {2};
    scan.frameRate = "25.000";
    SourceSession session;
    session.path = "D:\\F\\a.mkv";
    session.takeScan(scan);

    RunInputs in = session.runInputs("0", "");
    EXPECT_EQ(in.videoId, 1);
    EXPECT_EQ(in.audioId, 12);
    EXPECT_EQ(in.subId, 7);
    EXPECT_TRUE(in.subtitleSelected);
    EXPECT_EQ(makeRunPlan(in).audioFormat, "DTS");

    session.choice.audio = 1;
    EXPECT_EQ(session.runInputs("0", "").audioId, 8);
    session.choice.audio = 5;  // no such item
    EXPECT_EQ(session.runInputs("0", "").audioId, 0);

    // An external subtitle goes on top and stands for no track; a cancelled choice too.
    session.addExternalSubtitle("D:\\F\\track #7.srt");
    EXPECT_EQ(session.subtitleItems.front().text, "track #7.srt");
    EXPECT_EQ(session.runInputs("0", "").subId, 0);
    session.addExternalSubtitle("");
    EXPECT_EQ(session.subtitleItems.size(), 3u);
    EXPECT_EQ(session.choice.subtitle, 0);

    // A report without a frame rate keeps the previous one; a run forgets the rest.
    session.takeScan(ReportScan{});
    EXPECT_EQ(session.frameRate, "25.000");
    EXPECT_EQ(session.choice.audio, -1);
    EXPECT_FALSE(session.runInputs("0", "").subtitleSelected);
    session.endRun();
    EXPECT_TRUE(session.srtPath.empty());
    EXPECT_TRUE(session.audioItems.empty());
}
