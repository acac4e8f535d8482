// The immediate run in-process: the scripts written in the program's folder
// and followed by the fake launcher, the tools' files, the log, the verdict,
// the clean-up and the cleared window.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/encoding.h"
#include "mock/bench.h"
#include "workers/handlers.h"

using namespace kx;
using namespace kx::test;
using Strings = std::vector<std::string>;

namespace {

const std::string remuxFailed =
    "Il y'a eu un problème lors du traitement\r\nÉtape en échec : mkvmerge (code de sortie 2)";
const std::string refusedRun = "message: Le fichier source serait écrasé : traitement annulé";

class ImmediateRun : public ::testing::Test {
protected:
    // Opens films/film.mkv and forgets what the analysis did.
    std::string openFilm() {
        std::string source = b.openFilm();
        b.launcher.forget();
        b.ui.clearJournal();
        return source;
    }
    Strings arguments(std::size_t run) {
        std::vector<ToolRun> runs = b.launcher.toolRuns();
        return run < runs.size() ? runs[run].arguments : Strings{};
    }
    bool wroteByTool(const std::string& path) {
        Strings w = b.launcher.written();
        return std::find(w.begin(), w.end(), path) != w.end();
    }

    Bench b;
    const std::string base = b.films + "film";
};

}  // namespace

TEST_F(ImmediateRun, DtsTrackExtractedTranscodedAndMuxedWithTheDeliveredOptions) {
    const std::string source = openFilm();
    b.runImmediate();

    Strings journal = {"status: Extraction en cours",
                       "progress: 40",
                       "progress: 50",
                       "status: encodage en cours",
                       "progress: 70",
                       "status: Remuxage en cours",
                       "progress: 100",
                       "status: Remuxage terminé, choisir un autre fichier pour une autre opération",
                       "sound",
                       success,
                       "open: " + b.films};
    EXPECT_EQ(b.ui.journal(), journal);

    // Each script from the program's folder, in a console, waited for; each tool in Applications;
    // then the result's identification, hidden, from Applications.
    EXPECT_EQ(b.launcher.scriptNames(), (Strings{"mkvextract.bat", "eac3to.bat", "mkvmerge.bat"}));
    std::vector<LaunchCall> calls = b.launcher.calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_TRUE(calls[3].program.starts_with("\"" + b.tools + "mkvmerge.exe\" -r ")) << calls[3].program;
    EXPECT_TRUE(calls[3].program.ends_with(" -J \"" + base + "_remux.part.mkv\"")) << calls[3].program;
    for (const LaunchCall& call : calls) {
        const bool identifies = &call == &calls.back();
        EXPECT_EQ(call.workingFolder, identifies ? b.tools : b.program) << call.program;
        EXPECT_EQ(call.flags, identifies ? runWait | runHidden : runWait) << call.program;
    }
    EXPECT_EQ(b.launcher.toolNames(), (Strings{"mkvextract.exe", "eac3to.exe", "mkvmerge.exe"}));
    for (const ToolRun& run : b.launcher.toolRuns()) {
        EXPECT_EQ(run.folder, b.tools) << run.tool;
        EXPECT_EQ(run.exitCode, 0) << run.tool;
    }
    EXPECT_EQ(arguments(0), (Strings{"tracks", source, "1:" + base + ".h264", "2:" + base + ".dts",
                                     "4:" + base + ".srt"}));
    EXPECT_EQ(arguments(1), (Strings{base + ".dts", base + ".ac3", "-libav"}));
    EXPECT_EQ(arguments(2),
              (Strings{"-o", base + "_remux.part.mkv", "--default-duration", "0:25.000fps", "--compression", "0:none",
                       base + ".h264", "--sync", "0:1500", "--compression", "0:none", "--language", "0:fre",
                       base + ".ac3", "--language", "0:fre", base + ".srt"}));
    EXPECT_TRUE(b.launcher.problems().empty());

    // Left: the source untouched, the result, the kept subtitle; in the
    // program's folder the log and nothing of the run's scripts.
    EXPECT_EQ(b.namesIn(b.films), (Strings{"film.mkv", "film.srt", "film_remux.mkv"}));
    EXPECT_EQ(b.read(source), "source");
    EXPECT_EQ(b.namesIn(b.program), (Strings{"Applications/", "log.txt", "madefiles.txt", "options.txt"}));

    // The log took the transcoder's log before the clean-up, and names no user's path.
    std::string log = b.read(b.program + "log.txt");
    const std::string stars(24, '*');
    EXPECT_TRUE(log.starts_with("version de klarbrix=" + std::to_string(programVersion) + "\r\n\r\n\r\n" + stars + "Log Mediainfo.txt" + stars)) << log;
    EXPECT_NE(log.find(stars + "Log mkvextract.bat" + stars + "\r\n\r\ncd Applications\r\nmkvextract.exe tracks "
                       "\"fichier.mkv\" 1:\"fichier.h264\" 2:\"fichier.dts\" 4:\"fichier.srt\" \r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find(stars + "Log eac3to" + stars + "\r\n\r\nread fichier.dts\r\nwrote fichier.ac3\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("mkvmerge.exe -o \"fichier_remux.part.mkv\" "), std::string::npos) << log;
    EXPECT_EQ(log.find(b.films), std::string::npos) << log;

    // The window is ready for the next file.
    for (int list : {videoCombo, audioCombo, subtitleCombo}) EXPECT_EQ(b.ui.itemCount(list), 0) << list;
    EXPECT_EQ(b.ui.text(fileNameField), "");
    EXPECT_EQ(b.ui.text(frameRateField), "");
    EXPECT_TRUE(b.state.snapshot().source.tracks[0].trackId.empty());
}

TEST_F(ImmediateRun, DirectPathRunsOnlyTheRemuxOnTheSource) {
    b.option(Option::notranscode, "1");
    b.option(Option::deletebat, "0");
    b.option(Option::soundenable, "0");
    const std::string source = openFilm();
    b.runImmediate();

    EXPECT_EQ(b.ui.journal(), (Strings{"status: Extraction en cours", "status: Remuxage en cours", "progress: 100",
                                       "status: Remuxage terminé, choisir un autre fichier pour une autre opération",
                                       success, "open: " + b.films}));
    EXPECT_EQ(b.launcher.scriptNames(), Strings{"mkvmerge.bat"});
    EXPECT_EQ(arguments(0), (Strings{"-o", base + "_remux.part.mkv", "--default-duration", "0:25.000fps", "--compression",
                                     "1:none", "--compression", "2:none", "--language", "2:fre", "--language",
                                     "4:fre", "-a", "2", "-d", "1", "-s", "4", "-T", source, "--track-order",
                                     "0:1,0:2,0:4"}));
    EXPECT_EQ(b.namesIn(b.films), (Strings{"film.mkv", "film_remux.mkv"}));
    // With deletebat "0" the script and the report stay.
    EXPECT_TRUE(b.read(b.program + "mkvmerge.bat").starts_with("cd Applications\r\nmkvmerge.exe -o \""));
    EXPECT_TRUE(b.exists(b.program + "mediainfo.txt"));
}

TEST_F(ImmediateRun, RepairOfAnAc3TrackMuxesTheRepairedTrackUntranscoded) {
    b.option(Option::dtsfix, "1");
    b.option(Option::notranscode, "1");
    openFilm();
    b.ui.select(audioCombo, 1);  // track 3, AC3
    b.runImmediate();

    EXPECT_NE(b.read(b.program + "options.txt").find("notranscode = 0\r\n"), std::string::npos);
    EXPECT_EQ(b.launcher.scriptNames(), (Strings{"mkvextract.bat", "dtsfix.bat", "mkvmerge.bat"}));
    EXPECT_EQ(arguments(1), (Strings{"-fixcrc", "fix", "-start", "0", "-End", "0", base + ".ac3"}));
    Strings merge = arguments(2);
    auto language = std::find(merge.begin(), merge.end(), "0:eng");
    ASSERT_NE(language, merge.end());
    ASSERT_NE(language + 1, merge.end());
    EXPECT_EQ(*(language + 1), base + "_fixed.ac3");
    EXPECT_TRUE(b.ui.saw("status: nettoyage en cours"));
    EXPECT_TRUE(b.ui.saw(success));
    // The repair script is never deleted by the run; the repair's files are.
    EXPECT_EQ(b.namesIn(b.program), (Strings{"Applications/", "dtsfix.bat", "log.txt", "madefiles.txt", "options.txt"}));
    EXPECT_EQ(b.namesIn(b.films), (Strings{"film.mkv", "film.srt", "film_remux.mkv"}));
}

TEST_F(ImmediateRun, FailedRemuxIsReportedAndTheTemporariesGoAnyway) {
    b.option(Option::muxsrt, "0");
    b.option(Option::openlog, "1");
    b.launcher.setBehaviour("mkvmerge.exe", {ToolBehaviour::Output::none, 2});
    const std::string source = openFilm();
    b.runImmediate();

    EXPECT_EQ(b.ui.messages(), Strings{remuxFailed});
    EXPECT_TRUE(b.ui.saw("open: " + b.program + "log.txt"));
    EXPECT_TRUE(b.ui.saw("sound"));  // whatever the outcome
    EXPECT_EQ(b.namesIn(b.films), Strings{"film.mkv"});
    EXPECT_EQ(b.read(source), "source");
}

TEST_F(ImmediateRun, RemuxWithWarningsIsASuccess) {
    b.launcher.setBehaviour("mkvmerge.exe", {ToolBehaviour::Output::whole, 1});
    openFilm();
    b.runImmediate();
    EXPECT_EQ(b.ui.messages(), Strings{"Le traitement s'est bien passé"});
}

TEST_F(ImmediateRun, FoldersWhereTracksShouldBeFailTheRunWithoutHarm) {
    b.launcher.setBehaviour("mkvextract.exe", {ToolBehaviour::Output::folder, 0});
    const std::string source = openFilm();
    b.runImmediate();
    EXPECT_EQ(b.ui.messages(), Strings{"Il y'a eu un problème lors du traitement\r\nÉtape en échec : mkvextract "
                                       "(fichier manquant : " + base + ".h264)"});
    EXPECT_EQ(b.launcher.toolNames(), Strings{"mkvextract.exe"});
    EXPECT_FALSE(b.exists(base + "_remux.mkv"));
    EXPECT_EQ(b.read(source), "source");
}

TEST_F(ImmediateRun, UsersFilesWithTemporaryNamesAreLeftAlone) {
    b.write(base + ".srt", "my subtitles");
    b.write(base + " - log.txt", "my notes");
    b.option(Option::muxsrt, "0");
    b.option(Option::notranscode, "1");
    openFilm();
    b.ui.setChecked(noSrtCheck, true);
    b.runImmediate();
    EXPECT_EQ(b.read(base + ".srt"), "my subtitles");
    EXPECT_EQ(b.read(base + " - log.txt"), "my notes");
    EXPECT_FALSE(wroteByTool(base + ".srt"));
}

TEST_F(ImmediateRun, ExternalSubtitleIsMuxedAndStaysTheUsers) {
    // Named like the subtitle the run would extract, and chosen with the
    // subtitle button: the clean-up must not take it for a temporary.
    const std::string srt = base + ".srt";
    b.write(srt, "1\r\n");
    b.option(Option::muxsrt, "0");
    const std::string source = openFilm();
    addExternalSubtitle(b.context, srt);
    EXPECT_EQ(b.ui.items(subtitleCombo).front(), "film.srt");
    b.runImmediate();

    EXPECT_EQ(arguments(0), (Strings{"tracks", source, "1:" + base + ".h264", "2:" + base + ".dts"}));
    Strings merge = arguments(2);
    ASSERT_FALSE(merge.empty());
    EXPECT_EQ(merge.back(), srt);
    EXPECT_TRUE(b.ui.saw(success));
    EXPECT_EQ(b.read(srt), "1\r\n");
    EXPECT_EQ(b.namesIn(b.films), (Strings{"film.mkv", "film.srt", "film_remux.mkv"}));
}

TEST_F(ImmediateRun, AForeignExtractBatGoesIntoTheLogAndIsKept) {
    b.write(b.program + "extract.bat", "echo kept as is\r\n");
    b.option(Option::notranscode, "1");
    openFilm();
    b.runImmediate();
    const std::string stars(24, '*');
    EXPECT_NE(b.read(b.program + "log.txt").find(stars + "Log extract.bat" + stars + "\r\n\r\necho kept as is\r\n"),
              std::string::npos);
    EXPECT_EQ(b.read(b.program + "extract.bat"), "echo kept as is\r\n");
    EXPECT_FALSE(b.exists(b.program + "mkvmerge.bat"));
}

TEST_F(ImmediateRun, TheSourceIsNeverTheResultNorATemporary) {
    b.option(Option::remuxdest, "1");
    b.option(Option::cheminremux, b.films);
    const std::string source = openFilm();
    b.runImmediate();
    EXPECT_EQ(b.ui.journal(), Strings{refusedRun});
    EXPECT_TRUE(b.launcher.calls().empty());
    EXPECT_EQ(b.ui.text(fileNameField), "film.mkv");  // still loaded
    EXPECT_EQ(b.read(source), "source");

    // Opened through "Tous les fichiers": the extracted DTS track would be the source.
    Bench c;
    c.write(c.films + "film.dts", "source");
    c.open(c.films + "film.dts");
    c.launcher.forget();
    c.runImmediate();
    EXPECT_TRUE(c.ui.saw(refusedRun));
    EXPECT_TRUE(c.launcher.calls().empty());
    EXPECT_EQ(c.read(c.films + "film.dts"), "source");
}

// What a run owns: it writes over and deletes only what it made, and its
// verdict rests on what this run's remux did.

TEST_F(ImmediateRun, UsersOwnAc3BesideTheSourceSurvivesARun) {
    b.write(base + ".ac3", "mine");
    openFilm();
    b.runImmediate();
    EXPECT_EQ(b.read(base + ".ac3"), "mine");
    EXPECT_FALSE(wroteByTool(base + ".ac3"));
}

TEST_F(ImmediateRun, RemuxFailingAfterWritingPartOfTheResultIsAFailure) {
    b.launcher.setBehaviour("mkvmerge.exe", {ToolBehaviour::Output::partial, 2});
    openFilm();
    b.runImmediate();
    EXPECT_EQ(b.ui.messages(), Strings{remuxFailed});
}

TEST_F(ImmediateRun, AUsersFileOfTheResultsNameInTheRemuxFolderStaysAndNothingRuns) {
    const std::string out = b.root + "out" + fs::separator();
    std::filesystem::create_directory(out);
    b.write(out + "film.mkv", "the user's own");
    b.option(Option::remuxdest, "1");
    b.option(Option::cheminremux, out);
    openFilm();
    b.runImmediate();
    EXPECT_EQ(b.ui.messages(), Strings{toUtf8(std::string(fileInTheWayHead) + out + "film.mkv" + std::string(fileInTheWayTail))});
    EXPECT_TRUE(b.launcher.scriptNames().empty());
    EXPECT_EQ(b.read(out + "film.mkv"), "the user's own");
}

TEST_F(ImmediateRun, AMissingRemuxFolderIsToldBeforeAnythingRuns) {
    const std::string gone = b.root + "gone" + fs::separator();
    b.option(Option::remuxdest, "1");
    b.option(Option::cheminremux, gone);
    openFilm();
    b.runImmediate();
    EXPECT_EQ(b.ui.messages(), Strings{toUtf8(std::string(resultFolderMissingHead) + gone + std::string(notWrittenTail))});
    EXPECT_TRUE(b.launcher.scriptNames().empty());
}

TEST_F(ImmediateRun, AScriptThatCannotBeWrittenIsNotRunFromAnOlderCopy) {
    b.write(b.program + "mkvmerge.bat", "cd Applications\r\nmkvmerge.exe -o \"" + base + "_remux.part.mkv\" \"" +
                                            b.films + "film.mkv\"");
    b.files.refuseWrite = [this](const std::string& path) { return path == b.program + "mkvmerge.bat"; };
    openFilm();
    b.runImmediate();
    Strings scripts = b.launcher.scriptNames();
    EXPECT_EQ(std::count(scripts.begin(), scripts.end(), "mkvmerge.bat"), 0);
    EXPECT_FALSE(b.ui.saw(success));
}
