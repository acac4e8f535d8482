// The pieces of a run that need no tools: the log text and its anonymising,
// the expected result, and the clean-up's deletion rules.
#include <gtest/gtest.h>

#include "drive.h"
#include "platform/file_system.h"
#include "model/run_log.h"
#include "workers/run_checks.h"

using namespace kx;

namespace {
FileSystem files;
}  // namespace

TEST(RunLog, AnonymisedLinesAndSectionsInOrder) {
    EXPECT_EQ(anonymise("mkvmerge.exe -o \"D:\\F\\a_remux.mkv\" ", "D:\\F\\a"), "mkvmerge.exe -o \"fichier_remux.mkv\" ");
    EXPECT_EQ(anonymise("\"/f/100%% a.h264\" /f/100% a.ac3", "/f/100% a"), "\"fichier.h264\" fichier.ac3");
    EXPECT_EQ(anonymise("D:\\F\\A.mkv", "D:\\F\\a"), "D:\\F\\A.mkv");  // case-sensitive

    RunLogSources s;
    s.version = 85;
    s.sourceStem = "/f/a";
    s.extractBat = "as is /f/a\r\nsecond";
    s.mkvmergeBat = "cd Applications\r\nmkvmerge.exe -o \"/f/a_remux.mkv\" ";
    const std::string stars(24, '*');
    EXPECT_EQ(runLogText(s), "version de klarbrix=85\r\n\r\n\r\n\r\n\r\n" + stars + "Log extract.bat" + stars +
                                 "\r\n\r\nas is /f/a\r\nsecond\r\n\r\n\r\n" + stars + "Log mkvmerge.bat" + stars +
                                 "\r\n\r\ncd Applications\r\nmkvmerge.exe -o \"fichier_remux.mkv\" \r\n\r\n\r\n");
    EXPECT_EQ(runLogText(RunLogSources{85, "/f/a", {}, {}, {}, {}, {}, 0, {}}), "version de klarbrix=85\r\n\r\n\r\n");
}

TEST(RunSteps, TemporariesAreDeletedWhateverTheirCaseButNeverByALoneDot) {
    test::ProgramFolder f;
    f.write("a - Log.txt", "log");
    f.write("a", "not ours");
    f.write("a.", "lone dot");
    removeTemporary(files, f / "a - log.txt");
    EXPECT_FALSE(f.exists("a - Log.txt"));
    EXPECT_TRUE(existsAnyCase(files, f / "OPTIONS.TXT"));
    removeTemporary(files, f / "a.");
    EXPECT_TRUE(f.exists("a."));
    EXPECT_TRUE(f.exists("a"));
}

TEST(RunSteps, EveryFileARunTouchesIsCheckedAgainstTheSource) {
    RunPlan plan;
    plan.sourcePath = "/f/film.dts";
    plan.basePath = "/f/film";
    plan.audioFile = "/f/film.dts";
    plan.remuxOutput = "/f/film_remux.mkv";
    EXPECT_TRUE(touchesSource(files, plan, "/home/"));
    plan.audioFile = "/f/film.ac3";
    EXPECT_TRUE(touchesSource(files, plan, "/home/"));  // the kept DTS name is still the source
    plan.sourcePath = "/f/film.mkv";
    EXPECT_FALSE(touchesSource(files, plan, "/home/"));
    plan.remuxOutput = "/f/FILM.mkv";
    EXPECT_TRUE(touchesSource(files, plan, "/home/"));
    plan.remuxOutput = "/f/film_remux.mkv";
    plan.sourcePath = "/home/mkvmerge.bat";  // a script would be written over it
    EXPECT_TRUE(touchesSource(files, plan, "/home/"));
}
