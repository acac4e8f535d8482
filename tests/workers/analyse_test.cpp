// The analysis in-process: MediaInfo started through the fake launcher, its
// report read back into the track table, the lists and the frame rate.
#include <gtest/gtest.h>

#include "base/encoding.h"
#include "mock/bench.h"

using namespace kx;
using namespace kx::test;
using Strings = std::vector<std::string>;

TEST(AnalysisWorker, ReportFillsTheListsAndSelectsTheFirstItems) {
    Bench b;
    const std::string source = b.films + "film 100%.mkv";
    b.write(source, "x");
    b.open(source, twoAudioReport());

    EXPECT_EQ(b.ui.items(videoCombo), Strings{"track #1  AVC  "});
    EXPECT_EQ(b.ui.items(audioCombo), (Strings{"track #2  AC3  French", "track #3  EAC3  und"}));
    EXPECT_EQ(b.ui.items(subtitleCombo),
              (Strings{"track #4  UTF8  French", "track #5  PGS  und", "track #6  ASS  Lossless"}));
    for (int list : {videoCombo, audioCombo, subtitleCombo}) EXPECT_EQ(b.ui.selected(list), 0) << list;
    EXPECT_EQ(b.ui.text(frameRateField), "23.976");
    // The verdict on the first audio track follows the status.
    EXPECT_EQ(b.ui.journal(), (Strings{"status: analyse terminée — Audio AC3 : conservé tel quel", "sound"}));

    AppState s = b.state.snapshot();
    EXPECT_EQ(s.source.frameRate, "23.976");
    EXPECT_EQ(s.source.tracks[1].delaySeconds, "1");
    EXPECT_EQ(s.source.tracks[1].delayMilliseconds, "23");
    EXPECT_EQ(s.source.tracks[2].delayMilliseconds, "-42");
    // Each item stands for its track; the first items are chosen.
    ASSERT_EQ(s.source.subtitleItems.size(), 3u);
    EXPECT_EQ(s.source.subtitleItems[2].trackId, 6);
    EXPECT_EQ(s.source.audioItems[1].trackId, 3);
    EXPECT_EQ(s.source.choice.audio, 0);
    EXPECT_EQ(s.source.choice.subtitle, 0);

    // MediaInfo: hidden, waited for, in the tools folder, its report in the program's folder.
    std::vector<LaunchCall> calls = b.launcher.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].program,
              "\"" + b.tools + "MediaInfo.exe\" \"" + source + "\" --LogFile=\"" + b.program + "mediainfo.txt\"");
    EXPECT_EQ(calls[0].parameters, "");
    EXPECT_EQ(calls[0].workingFolder, b.tools);
    EXPECT_EQ(calls[0].flags, runWait | runHidden);
    ASSERT_EQ(b.launcher.toolRuns().size(), 1u);
    EXPECT_EQ(b.launcher.toolRuns()[0].arguments, (Strings{source, "--LogFile=" + b.program + "mediainfo.txt"}));
    EXPECT_EQ(b.read(b.program + "mediainfo.txt"), twoAudioReport());
}

// A failing MediaInfo, no report or a folder in its place: nothing is listed,
// nothing of the previous file stays shown, the user is told, and neither a
// run nor a job starts on it.
TEST(AnalysisWorker, NoTrackFoundIsToldClearsThePreviousFileAndRefusesRuns) {
    Bench b;
    b.option(Option::soundenable, "0");
    b.openFilm("a.mkv", twoAudioReport());
    b.ui.setText(frameRateField, "");  // "Annuler" empties the field

    b.launcher.setBehaviour("MediaInfo.exe", {ToolBehaviour::Output::none, 1});
    b.openFilm("b.mkv");
    EXPECT_EQ(b.ui.text(frameRateField), "");
    for (int list : {videoCombo, audioCombo, subtitleCombo}) {
        EXPECT_EQ(b.ui.itemCount(list), 0) << list;
        EXPECT_EQ(b.ui.selected(list), -1) << list;
    }

    b.launcher.setBehaviour("MediaInfo.exe", {ToolBehaviour::Output::folder, 0});
    b.openFilm("c.mkv");
    EXPECT_EQ(b.ui.itemCount(audioCombo), 0);
    EXPECT_EQ(b.ui.text(frameRateField), "");
    const std::string noTrack = "message: " + toUtf8(noTrackFound);
    EXPECT_EQ(b.ui.journal(), (Strings{"status: analyse terminée — Audio AC3 : conservé tel quel",
                                       "status: analyse terminée", noTrack, "status: analyse terminée", noTrack}));
    EXPECT_EQ(b.desktop.sounds(), 0);

    b.runImmediate();
    b.addJob();
    EXPECT_EQ(b.ui.messages(), (Strings{toUtf8(noTrackFound), toUtf8(noTrackFound), toUtf8(noTrackToProcess),
                                        toUtf8(noTrackToProcess)}));
    EXPECT_TRUE(b.launcher.scripts().empty());  // no script run
}

// A frame rate no video has (read wrongly from a report, "0.599") is told
// after the analysis; those a video may have are not.
TEST(AnalysisWorker, AFrameRateOutsideTenTo121IsTold) {
    const std::pair<std::string, bool> rates[] = {{"0.599", true}, {"9.990", true}, {"121.500", true},
                                                  {"10.000", false}, {"23.976", false}, {"120.000", false}};
    for (const auto& [rate, told] : rates) {
        Bench b;
        b.option(Option::soundenable, "0");
        std::string report = dtsFilmReport();
        report.replace(report.find("25.000 fps"), 10, rate + " fps");
        b.openFilm("a.mkv", report);
        const Strings expected = told ? Strings{toUtf8(std::string(frameRateDoubtfulHead) + rate +
                                                       std::string(frameRateDoubtfulTail))}
                                      : Strings{};
        EXPECT_EQ(b.ui.messages(), expected) << rate;
    }
}
