// What a run may touch: only the files it makes. Hostile and unlucky inputs
// (report values that would break a script line, the user's own files of a
// temporary's name, old results, a source already in work, odd settings),
// each checked by a snapshot of the user's folder before and after.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <thread>

#include "base/encoding.h"
#include "base/text.h"
#include "mock/bench.h"
#include "tests/support/table.h"
#include "workers/handlers.h"
#include "workers/run_checks.h"

using namespace kx;
using namespace kx::test;
using Strings = std::vector<std::string>;

namespace {


// Every file under a folder with its bytes, names relative to the folder.
std::map<std::string, std::string> snapshot(const Bench& b, const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string name = entry.path().string().substr(folder.size());
        files[name] = entry.is_directory() ? "<folder>" : b.read(entry.path().string());
    }
    return files;
}

std::string withFormat(std::string report, const std::string& from, const std::string& to) {
    std::size_t at = report.find(from);
    if (at != std::string::npos) report.replace(at, from.size(), to);
    return report;
}

class Ownership : public ::testing::Test {
protected:
    std::string base() const { return b.films + "film"; }
    // Every script the program wrote, whole, wherever it lies.
    std::string allScripts() const {
        std::string text;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(b.program))
            if (entry.path().extension() == ".bat") text += b.read(entry.path().string()) + "\n";
        return text;
    }
    Bench b;
};

}  // namespace

TEST_F(Ownership, ReportValuesNeverBreakAScriptLine) {
    b.option(Option::deletebat, "0");
    b.option(Option::deletetemp, "0");
    std::string other = b.films + "other.txt";
    b.write(other, "not the run's");
    // An unknown codec whose ID tries to add a name to the clean-up and to
    // chain a command; a frame rate that tries the same.
    std::string report = withFormat(dtsFilmReport(), "DTS", "A_\" \"" + other + "\" & echo pwned & \"");
    report = withFormat(report, "25.000 fps", "25\" & echo pwned & \"x fps");
    b.openFilm("film.mkv", report);
    b.addJob();
    b.openFilm("film.mkv", report);
    b.runImmediate();
    std::string scripts = allScripts();
    EXPECT_EQ(scripts.find('&'), std::string::npos) << scripts;
    EXPECT_EQ(scripts.find("echo pwned"), std::string::npos) << scripts;
    EXPECT_EQ(scripts.find(other), std::string::npos);
    EXPECT_NE(scripts.find("--default-duration 0:25fps"), std::string::npos) << scripts;
    b.processQueue();
    EXPECT_EQ(b.read(other), "not the run's");
    for (const ToolRun& run : b.launcher.toolRuns())
        for (const std::string& arg : run.arguments) EXPECT_EQ(arg.find('"'), std::string::npos) << arg;
}

TEST_F(Ownership, FormatsKeepLettersAndDigitsOrFallBack) {
    EXPECT_EQ(safeFormat("DTS"), "DTS");
    EXPECT_EQ(safeFormat("E-AC-3"), "EAC3");
    EXPECT_EQ(safeFormat("A_\" \"C:\\x.txt"), "ACxtxt");
    EXPECT_EQ(safeFormat("\"&|<>%^!()"), unknownFormat);
    EXPECT_EQ(safeFormat(""), "");
    EXPECT_EQ(safeFrameRate("23.976"), "23.976");
    EXPECT_EQ(safeFrameRate("25\" & del x"), "25");
}

TEST_F(Ownership, UsersFilesOfATemporarysNameStopTheRunAndSurvive) {
    for (const char* name : {".h264", ".ac3", ".dts", ".srt", " - log.txt", "_fixed.dts", "_log.txt"}) {
        SCOPED_TRACE(name);
        Bench bench;
        bench.option(Option::dtsfix, "1");
        bench.option(Option::muxsrt, "0");
        std::string mine = bench.films + "film" + name;
        bench.write(mine, "the user's own");
        bench.openFilm();
        auto before = snapshot(bench, bench.films);
        bench.runImmediate();
        EXPECT_EQ(snapshot(bench, bench.films), before);
        ASSERT_EQ(bench.ui.messages().size(), 1u);
        EXPECT_NE(findNoCase(bench.ui.messages()[0], filePart(mine)), std::string::npos) << bench.ui.messages()[0];
        EXPECT_TRUE(bench.launcher.scriptNames().empty());
    }
}

TEST_F(Ownership, AUsersFileInAJobsWayTurnsItsRowRedAndTheQueueGoesOn) {
    b.openFilm("film.mkv");
    b.addJob();
    b.openFilm("second.mkv");
    b.addJob();
    // The file appears after the job was added, before the queue runs.
    b.write(b.films + "film.h264", "the user's own");
    b.processQueue();
    EXPECT_EQ(b.read(b.films + "film.h264"), "the user's own");
    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::red);
    EXPECT_EQ(b.ui.rowColour(queueList, 1), RowColour::green);
    Strings messages = b.ui.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("film.h264"), std::string::npos) << messages[0];
    EXPECT_EQ(messages[1], "file d'attente traitée");
}

TEST_F(Ownership, FilesOfTheResultsNameBesideTheSourceStayWhenTheResultGoesElsewhere) {
    const std::string out = b.root + "out" + fs::separator();
    std::filesystem::create_directory(out);
    b.option(Option::remuxdest, "1");
    b.option(Option::cheminremux, out);
    b.write(base() + "_remux.mkv", "an earlier result beside the source");
    // Where names differ by case only, another file of that kind lies there too.
    b.write(b.films + "probe", "");
    const bool caseMatters = !b.exists(b.films + "PROBE");
    std::filesystem::remove(b.films + "probe");
    if (caseMatters) b.write(b.films + "FILM_REMUX.MKV", "another file");
    b.openFilm();
    b.runImmediate();
    EXPECT_TRUE(b.ui.saw(success));
    EXPECT_EQ(b.read(base() + "_remux.mkv"), "an earlier result beside the source");
    if (caseMatters) {
        EXPECT_EQ(b.read(b.films + "FILM_REMUX.MKV"), "another file");
    }
    EXPECT_TRUE(b.exists(out + "film.mkv"));
}

TEST_F(Ownership, AFolderWhereTheResultGoesIsAFailureNotASuccess) {
    std::filesystem::create_directory(base() + "_remux.mkv");
    b.openFilm();
    b.runImmediate();
    EXPECT_FALSE(b.ui.saw(success));
    EXPECT_TRUE(b.isFolder(base() + "_remux.mkv"));
    ASSERT_FALSE(b.ui.messages().empty());
    EXPECT_NE(b.ui.messages()[0].find("film_remux.mkv"), std::string::npos);
}

TEST_F(Ownership, ASourceInWorkIsRefusedByARunAndByAJob) {
    std::string source = b.openFilm();
    SourceClaim other(b.context, source);  // as a queue run processing it would hold it
    ASSERT_TRUE(other.held());
    b.runImmediate();
    EXPECT_EQ(b.ui.messages(), Strings{toUtf8(sourceAlreadyInWork)});
    EXPECT_TRUE(b.launcher.scriptNames().empty());
    b.ui.clearJournal();
    b.addJob();
    EXPECT_EQ(b.ui.messages(), Strings{toUtf8(sourceAlreadyInWork)});
    EXPECT_EQ(b.queueCount(), 0);
    EXPECT_FALSE(b.exists(b.program + "job1/mkvmerge.bat"));
    // The same file under another letter case is the same source.
    SourceClaim again(b.context, toLower(source));
    EXPECT_FALSE(again.held());
}

TEST_F(Ownership, ClearingTheQueueRemovesOnlyTheProgramsScriptsOfItsJobs) {
    b.openFilm("film.mkv");
    b.addJob();
    b.openFilm("second.mkv");
    b.addJob();
    b.write(b.program + "job2/notes.txt", "the user's");
    removeLastJob(b.context);
    EXPECT_EQ(b.namesIn(b.program + "job2/"), Strings{"notes.txt"});
    EXPECT_FALSE(b.namesIn(b.program + "job1/").empty());
    clearQueue(b.context);
    EXPECT_TRUE(b.namesIn(b.program + "job1/").empty());
}

TEST_F(Ownership, ARepairedDtsOfAJobIsMuxedWhenNothingTranscodes) {
    b.option(Option::dtsfix, "1");
    b.option(Option::notranscode, "1");
    b.openFilm();
    b.addJob();
    std::string remux = b.read(b.program + "job1/mkvmerge.bat");
    EXPECT_NE(remux.find(base() + "_fixed.dts\""), std::string::npos) << remux;
    b.processQueue();
    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::green);
}

TEST_F(Ownership, ARemuxFolderWithoutItsSeparatorStillReceivesTheResult) {
    const std::string out = b.root + "out";
    std::filesystem::create_directory(out);
    b.option(Option::remuxdest, "1");
    b.option(Option::cheminremux, out);
    b.openFilm();
    b.runImmediate();
    EXPECT_TRUE(b.ui.saw(success));
    EXPECT_TRUE(b.exists(out + fs::separator() + "film.mkv"));
    EXPECT_FALSE(b.exists(b.root + "outfilm.mkv"));
}

TEST_F(Ownership, AnUnsafeOrRelativeRemuxFolderCountsAsNone) {
    test::expectEach(usableRemuxFolder, {{"/srv/films\" & del x \"", ""}, {"films/", ""}, {"C:\\out", "C:\\out\\"},
                                         {"/out/", "/out/"}, {"", ""}});
}

TEST_F(Ownership, MissingOrEmptySettingsTakeTheDeliveredValues) {
    for (const char* text : {"", "\r\n\r\n", "dtsfix = 1\r\n"}) {
        SCOPED_TRACE(text);
        Bench bench(text);
        EXPECT_EQ(bench.settings.getOption(Option::deletetemp), "1");
        EXPECT_EQ(bench.settings.getOption(Option::remuxdest), "0");
        EXPECT_TRUE(bench.settings.saveOptions());
        std::string saved = bench.read(bench.program + "options.txt");
        for (const OptionDesc& desc : optionTable) EXPECT_NE(saved.find(desc.key), std::string::npos) << desc.key;
        bench.openFilm();
        bench.runImmediate();
        EXPECT_TRUE(bench.ui.saw(success)) << bench.ui.messages().front();
    }
}

TEST_F(Ownership, SettingsThatCannotBeSavedAreToldAndTheOldFileStaysWhole) {
    b.files.refuseWrite = [this](const std::string& path) { return path == b.program + "options.txt"; };
    std::string before = b.read(b.program + "options.txt");
    b.settings.setOption(Option::dtsfix, "1");
    saveSettings(b.context);
    EXPECT_EQ(b.ui.messages(), Strings{toUtf8(settingsNotSaved(b.program + "options.txt"))});
    EXPECT_EQ(b.read(b.program + "options.txt"), before);
}

TEST_F(Ownership, OddNamesReachTheToolsWhole) {
    const std::string names[] = {"100% pur.mkv", "a^b&c!d.mkv", "l'ete (2) ; fin.mkv", "%PATH%.mkv",
                                 std::string(180, 'x') + ".mkv"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Bench bench;
        bench.write(bench.films + "keep.txt", "the user's");
        std::string source = bench.openFilm(name);
        std::string stem = source.substr(0, source.size() - 4);
        bench.runImmediate();
        EXPECT_TRUE(bench.ui.saw(success)) << bench.ui.journal().back();
        Strings merged;
        for (const ToolRun& run : bench.launcher.toolRuns())
            if (run.tool == "mkvmerge.exe") merged = run.arguments;
        ASSERT_GE(merged.size(), 2u);
        EXPECT_EQ(merged[1], stem + "_remux.part.mkv");
        // The result and the kept subtitle beside the untouched files.
        Strings expected = {"keep.txt", name, filePart(stem) + ".srt", filePart(stem) + "_remux.mkv"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(bench.namesIn(bench.films), expected);
        EXPECT_EQ(bench.read(bench.films + "keep.txt"), "the user's");
    }
}

TEST_F(Ownership, ASilentOrFailingToolIsAFailure) {
    struct Case {
        ToolBehaviour behaviour;
        std::string reason;
    };
    for (const Case& c : {Case{{ToolBehaviour::Output::none, 0}, "fichier manquant : "},
                          Case{{ToolBehaviour::Output::whole, 2}, "code de sortie 2"},
                          Case{{ToolBehaviour::Output::folder, 0}, "fichier manquant : "}}) {
        Bench bench;
        bench.launcher.setBehaviour("mkvmerge.exe", c.behaviour);
        bench.openFilm();
        bench.runImmediate();
        Strings messages = bench.ui.messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].starts_with(failure.substr(9) + "\r\nÉtape en échec : mkvmerge (" + c.reason))
            << messages[0];
    }
}
