// The run plan: base names, track lookup, extensions, language codes, output.
#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "scripts/run_plan.h"

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
    in.videoItem = "track #1  AVC  ";
    in.audioItem = "track #2  DTS  French";
    in.subtitleItem = "track #3  UTF8  English";
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
    EXPECT_EQ(makeRunPlan(inputs("D:\\a.b.mkv")).baseName, "a.b");
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
    EXPECT_EQ(p.subFile, "");

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
    struct Case {
        const char* audio;
        const char* audioFormat;
        const char* audioFile;
    };
    for (Case c : {Case{"Vorbis", "ogg", "D:\\F\\a.ogg"}, Case{"AAC", "AAC", "D:\\F\\a.aac"},
                   Case{"EAC3", "EAC3", "D:\\F\\a.eac3"}}) {
        RunInputs in = inputs("D:\\F\\a.mkv");
        in.tracks[1].format = c.audio;
        RunPlan p = makeRunPlan(in);
        EXPECT_EQ(p.audioFormat, c.audioFormat);
        EXPECT_EQ(p.audioFile, c.audioFile);
    }
    struct Sub {
        const char* format;
        const char* subFormat;
        const char* subFile;
    };
    for (Sub c : {Sub{"UTF-8", "srt", "D:\\F\\a.srt"}, Sub{"UTF8", "srt", "D:\\F\\a.srt"},
                  Sub{"ASS", "ass", "D:\\F\\a.ass"}, Sub{"VobSub", "sub", "D:\\F\\a.sub"}, Sub{"PGS", "PGS", ""},
                  Sub{"utf8", "utf8", ""}}) {
        RunInputs in = inputs("D:\\F\\a.mkv");
        in.tracks[2].format = c.format;
        RunPlan p = makeRunPlan(in);
        EXPECT_EQ(p.subFormat, c.subFormat) << c.format;
        EXPECT_EQ(p.subFile, c.subFile) << c.format;
    }
}

TEST(LanguageCode, Table) {
    EXPECT_EQ(languageCode("Japanese"), "jpn");
    EXPECT_EQ(languageCode("French"), "fre");
    EXPECT_EQ(languageCode("Français"_cp), "fra");
    EXPECT_EQ(languageCode("German"), "ger");
    EXPECT_EQ(languageCode("ENGLISH"), "eng");
    EXPECT_EQ(languageCode("Dutch"), "dut");
    EXPECT_EQ(languageCode("Russian"), "und");
    EXPECT_EQ(languageCode("und"), "und");
    EXPECT_EQ(languageCode("ja"), "und");
    EXPECT_EQ(languageCode(""), "und");
}

TEST(TrackIdOfItem, EveryDigitAfterTheMark) {
    EXPECT_EQ(trackIdOfItem("track #3  AC3  fre"), 3);
    EXPECT_EQ(trackIdOfItem("track #12  DTS  eng"), 12);
    EXPECT_EQ(trackIdOfItem("track #123  DTS  eng"), 123);
    EXPECT_EQ(trackIdOfItem("track #  AVC  "), 0);
    EXPECT_EQ(trackIdOfItem("track #"), 0);
    EXPECT_EQ(trackIdOfItem(""), 0);
    EXPECT_EQ(trackIdOfItem("track #99999999999999999999999"), INT64_MAX);
    EXPECT_EQ(trackIdOfRecord("4113 (0x1011)"), 4113);
    EXPECT_EQ(trackIdOfRecord(""), 0);
}
