// The queue in-process: jobs added as folders of scripts with a row each,
// then run through the fake launcher, each row turned green or red.
#include <gtest/gtest.h>

#include <filesystem>

#include "mock/bench.h"

using namespace kx;
using namespace kx::test;
using Strings = std::vector<std::string>;

namespace {

class QueueRun : public ::testing::Test {
protected:
    std::string job(int n) const { return b.program + "job" + std::to_string(n) + fs::separator(); }
    // Opens films/NAME and adds it as the next job.
    void add(const std::string& name) {
        b.openFilm(name);
        b.addJob();
    }
    // Runs the queue with fresh records.
    void run() {
        b.launcher.forget();
        b.ui.clearJournal();
        b.processQueue();
    }
    // The output a remux of films/NAME writes (remuxdest "0").
    std::string result(const std::string& name) const { return b.films + name + "_remux.mkv"; }
    static std::string partOf(const std::string& result) { return partName(result); }

    Bench b;
};

}  // namespace

TEST_F(QueueRun, TwoJobsOfDifferentKindsRunInOrderAndTurnGreen) {
    b.option(Option::deletebat, "0");
    add("film.mkv");
    EXPECT_EQ(b.ui.text(fileNameField), "");
    EXPECT_EQ(b.ui.itemCount(audioCombo), 0);
    EXPECT_EQ(b.ui.journal().back(), "status: Choisir un fichier");
    b.ui.setChecked(noSrtCheck, true);
    b.option(Option::notranscode, "1");
    add("second.mkv");

    EXPECT_EQ(b.ui.columns(queueList), (Strings{"Nom du fichier", "chemin", "codec audio", "sous titres"}));
    EXPECT_EQ(b.ui.row(queueList, 0), (Strings{"film", b.films + "film.mkv", "DTS", "fre"}));
    EXPECT_EQ(b.ui.row(queueList, 1), (Strings{"second", b.films + "second.mkv", "DTS", ""}));
    EXPECT_EQ(b.namesIn(job(1)), (Strings{"eac3to.bat", "mkvextract.bat", "mkvmerge.bat", "mkvpurge.bat"}));
    EXPECT_EQ(b.namesIn(job(2)), (Strings{"mkvmerge.bat", "mkvpurge.bat"}));
    EXPECT_TRUE(b.read(job(1) + "mkvmerge.bat").starts_with("cd..\r\ncd Applications\r\nmkvmerge.exe -o "));
    EXPECT_EQ(b.launcher.toolNames(), Strings(2, "MediaInfo.exe"));  // adding a job runs nothing else

    // While a job runs its row says so; the one before it keeps its ending's colour.
    std::vector<std::pair<RowColour, RowColour>> whileRemuxing;
    b.launcher.onTool([&](const ToolRun& r, ToolBehaviour&) {
        if (r.tool == "mkvmerge.exe")
            whileRemuxing.emplace_back(b.ui.rowColour(queueList, 0), b.ui.rowColour(queueList, 1));
    });
    run();
    EXPECT_EQ(whileRemuxing, (std::vector<std::pair<RowColour, RowColour>>{{RowColour::working, RowColour::none},
                                                                          {RowColour::green, RowColour::working}}));
    EXPECT_EQ(b.ui.journal(), (Strings{"status: extraction de film en cours", "status: encodage de film en cours",
                                       "status: remuxage de film en cours", "status: remuxage de second en cours",
                                       "status: file d'attente traitée, choisir un fichier",
                                       "message: file d'attente traitée", "progress: 0"}));
    Strings scripts = {job(1) + "mkvextract.bat", job(1) + "eac3to.bat", job(1) + "mkvmerge.bat",
                       job(1) + "mkvpurge.bat",   job(2) + "mkvmerge.bat", job(2) + "mkvpurge.bat"};
    EXPECT_EQ(b.launcher.scripts(), scripts);
    // Each job's result identified, hidden, from the tools folder, before its clean-up.
    EXPECT_EQ(b.launcher.calls().size(), scripts.size() + 2);
    for (const LaunchCall& call : b.launcher.calls()) {
        const bool identifies = call.program.find("mkvmerge.exe\" -r ") != std::string::npos;
        EXPECT_EQ(call.workingFolder == job(1) || call.workingFolder == job(2), !identifies) << call.workingFolder;
        EXPECT_EQ(call.flags, identifies ? runWait | runHidden : runWait);
    }
    // "cd.." then "cd Applications" lead every tool to the tools folder.
    EXPECT_EQ(b.launcher.toolNames(), (Strings{"mkvextract.exe", "eac3to.exe", "mkvmerge.exe", "mkvmerge.exe"}));
    for (const ToolRun& r : b.launcher.toolRuns()) {
        EXPECT_EQ(r.folder, b.tools) << r.tool;
        EXPECT_EQ(r.exitCode, 0) << r.tool;
    }
    EXPECT_TRUE(b.launcher.problems().empty());
    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::green);
    EXPECT_EQ(b.ui.rowColour(queueList, 1), RowColour::green);
    EXPECT_EQ(b.queueCount(), 0);
    // The purge scripts took the first job's temporaries; its subtitle stays, as in the immediate run.
    EXPECT_EQ(b.namesIn(b.films), (Strings{"film.mkv", "film.srt", "film_remux.mkv", "second.mkv", "second_remux.mkv"}));
}

TEST_F(QueueRun, AJobWhoseSourceIsGoneSaysSoAndTheNextRuns) {
    add("film.mkv");
    add("second.mkv");
    std::filesystem::rename(b.films + "film.mkv", b.films + "renamed.mkv");
    run();
    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::red);
    EXPECT_EQ(b.ui.rowColour(queueList, 1), RowColour::green);
    EXPECT_EQ(b.ui.messages(), (Strings{"film : Fichier source introuvable : " + b.films + "film.mkv\r\n",
                                        "file d'attente traitée"}));
    for (const ToolRun& r : b.launcher.toolRuns())
        for (const std::string& a : r.arguments) EXPECT_EQ(a.find(b.films + "film."), std::string::npos) << a;
}

TEST_F(QueueRun, FailingRemuxTurnsOnlyItsOwnRowRed) {
    b.option(Option::notranscode, "1");
    add("film.mkv");
    add("second.mkv");
    b.launcher.onTool([this](const ToolRun& r, ToolBehaviour& behaviour) {
        if (r.tool == "mkvmerge.exe" && r.arguments.size() > 1 && r.arguments[1] == partOf(result("film")))
            behaviour = {ToolBehaviour::Output::none, 2};
    });
    b.option(Option::deletetemp, "0");
    run();
    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::red);
    EXPECT_EQ(b.ui.rowColour(queueList, 1), RowColour::green);
    EXPECT_EQ(b.ui.messages(),
              (Strings{"film : Étape en échec : mkvmerge (code de sortie 2)\r\n", "file d'attente traitée"}));
    EXPECT_EQ(b.launcher.scriptNames(), Strings(2, "mkvmerge.bat"));  // no clean-up with deletetemp "0"
}

TEST_F(QueueRun, AJobWhoseFolderIsGoneTurnsRedAndRunsNothing) {
    b.option(Option::notranscode, "1");
    b.option(Option::deletebat, "1");
    add("film.mkv");
    add("b.mkv");
    // The first job's remux takes the second job's folder away.
    b.launcher.onTool([this](const ToolRun& r, ToolBehaviour&) {
        if (r.tool == "mkvmerge.exe") std::filesystem::remove_all(job(2));
    });
    run();
    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::green);
    EXPECT_EQ(b.ui.rowColour(queueList, 1), RowColour::red);
    EXPECT_FALSE(b.ui.saw("status: remuxage de b en cours"));
    EXPECT_EQ(b.launcher.toolNames(), Strings{"mkvmerge.exe"});
    EXPECT_FALSE(b.exists(job(1)));  // its purge script removed it, as deletebat asked
}

TEST_F(QueueRun, AJobThatWouldOverwriteItsSourceIsRefused) {
    b.option(Option::remuxdest, "1");
    b.option(Option::cheminremux, b.films);
    add("film.mkv");
    EXPECT_TRUE(b.ui.saw("message: Le fichier source serait écrasé : traitement annulé"));
    EXPECT_EQ(b.queueCount(), 0);
    EXPECT_EQ(b.ui.itemCount(queueList), 0);
    EXPECT_FALSE(b.exists(job(1)));
    EXPECT_EQ(b.ui.text(fileNameField), "film.mkv");
}

// What a job owns: the scripts of its folder are the ones it wrote, and its
// row turns green only for a result its own remux made.

TEST_F(QueueRun, ScriptsLeftByAnEarlierJobOfTheSameNumberAreNotRun) {
    b.option(Option::deletebat, "0");
    add("film.mkv");  // transcoding: job1 gets mkvextract.bat and eac3to.bat
    run();
    b.option(Option::notranscode, "1");
    add("second.mkv");  // the queue was run: this is job 1 again, direct path
    run();
    EXPECT_EQ(b.launcher.scriptNames(), (Strings{"mkvmerge.bat", "mkvpurge.bat"}));
    EXPECT_EQ(b.launcher.toolNames(), Strings{"mkvmerge.exe"});
    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::green);
}

TEST_F(QueueRun, RemuxFailingAfterWritingPartOfTheResultTurnsRed) {
    b.option(Option::notranscode, "1");
    add("film.mkv");
    b.launcher.setBehaviour("mkvmerge.exe", {ToolBehaviour::Output::partial, 2});
    run();
    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::red);
}

TEST_F(QueueRun, AnAc3JobRunsTheToolsTheImmediateRunRuns) {
    // The immediate run of the AC3 track, then the same choice as a job.
    b.openFilm("film.mkv");
    b.ui.select(audioCombo, 1);  // track 3, AC3
    b.launcher.forget();
    b.runImmediate();
    const Strings immediate = b.launcher.toolNames();
    // The result and the subtitle the run left are the program's own: the job may replace them.
    b.openFilm("film.mkv");
    b.ui.select(audioCombo, 1);
    b.addJob();
    ASSERT_EQ(b.ui.row(queueList, 0).size(), 4u);
    EXPECT_EQ(b.ui.row(queueList, 0)[2], "AC3");
    EXPECT_EQ(b.namesIn(job(1)), (Strings{"mkvextract.bat", "mkvmerge.bat", "mkvpurge.bat"}));
    run();
    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::green);
    Strings queued = b.launcher.toolNames();
    EXPECT_EQ(queued, (Strings{"mkvextract.exe", "mkvmerge.exe"}));
    EXPECT_EQ(immediate, queued);
}
