// A run ends at its first failing step and at the user's stop: what the user
// is told, what the log says, and that only the run's own files go.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "base/encoding.h"
#include "mock/bench.h"

using namespace kx;
using namespace kx::test;
using Strings = std::vector<std::string>;

namespace {

const std::string failed = "Il y'a eu un problème lors du traitement\r\nÉtape en échec : ";

// The log written, the transcoding on, the temporaries and the subtitle kept.
void prepare(Bench& b) {
    b.option(Option::createlog, "1");
    b.option(Option::deletetemp, "0");
    b.option(Option::muxsrt, "1");
    b.option(Option::notranscode, "0");
}

std::string logOf(const Bench& b) { return toUtf8(b.read(b.program + "log.txt")); }

class Stops : public ::testing::Test {
protected:
    Stops() { prepare(b); }
    void openFilm() {
        b.openFilm();
        b.launcher.forget();
        b.ui.clearJournal();
    }
    // Makes `tool` hang on `source`'s run, and requests `stop` from another
    // thread once it does.
    void hangThenStop(const std::string& tool, const std::string& source, StopSignal stop) {
        b.launcher.onTool([=, this](const ToolRun& run, ToolBehaviour& behaviour) {
            bool onSource = false;
            for (const std::string& a : run.arguments) onSource = onSource || a.find(source) != std::string::npos;
            if (run.tool != tool || !onSource) return;
            behaviour.hangs = true;
            stopper_ = std::async(std::launch::async, [stop] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                stop.request();
            });
        });
    }

    Bench b;
    const std::string base = b.films + "film";
    std::future<void> stopper_;
};

}  // namespace

// Every step that ends badly ends the run there: the reason is told and
// logged, no later step runs, and the run's temporaries go with deletetemp off.
TEST_F(Stops, TheImmediateRunEndsAtItsFirstFailingStep) {
    struct Case {
        std::string tool;
        ToolBehaviour behaviour;
        std::string reason;
        Strings ran;
        Strings left;  // in the films' folder afterwards
    };
    const Strings film = {"film.mkv"}, withSubtitle = {"film.mkv", "film.srt"};
    const Case cases[] = {
        {"mkvextract.exe", {ToolBehaviour::Output::partial, 2}, "mkvextract (code de sortie 2)", {"mkvextract.exe"}, film},
        {"eac3to.exe", {ToolBehaviour::Output::partial, 2}, "eac3to (code de sortie 2)", {"mkvextract.exe", "eac3to.exe"},
         withSubtitle},
        {"mkvextract.exe", {ToolBehaviour::Output::none, 0}, "mkvextract (fichier manquant : ", {"mkvextract.exe"}, film},
        {"eac3to.exe", {ToolBehaviour::Output::none, 1}, "eac3to (fichier manquant : ", {"mkvextract.exe", "eac3to.exe"},
         withSubtitle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        Bench bench;
        prepare(bench);
        bench.launcher.setBehaviour(c.tool, c.behaviour);
        bench.openFilm();
        bench.launcher.forget();
        bench.runImmediate();
        Strings messages = bench.ui.messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].starts_with(failed + c.reason)) << messages[0];
        EXPECT_EQ(bench.launcher.toolNames(), c.ran);
        const std::string log = logOf(bench);
        EXPECT_NE(log.find("\r\nÉtape en échec : " + c.reason), std::string::npos) << log;
        // The kept subtitle stays (muxsrt), the run's temporaries are gone.
        EXPECT_EQ(bench.namesIn(bench.films), c.left);
    }
}

TEST_F(Stops, AnnulerEndsTheImmediateRunsHungToolAndItsTemporaries) {
    b.write(b.films + "mine.txt", "the user's");
    openFilm();
    StopSignal stop;
    hangThenStop("eac3to.exe", "film", stop);
    b.runImmediate(stop);

    EXPECT_EQ(b.launcher.toolNames(), (Strings{"mkvextract.exe", "eac3to.exe"}));
    EXPECT_TRUE(b.launcher.toolRuns().back().stopped);
    EXPECT_EQ(b.ui.messages(), Strings{});
    EXPECT_EQ(b.ui.journal().back(), "status: traitement annulé");
    EXPECT_TRUE(logOf(b).ends_with("traitement annulé\r\n")) << logOf(b);
    EXPECT_EQ(b.namesIn(b.films), (Strings{"film.mkv", "film.srt", "mine.txt"}));  // the subtitle is kept
    EXPECT_EQ(b.ui.text(fileNameField), "");
    EXPECT_TRUE(b.launcher.problems().empty());
}

TEST_F(Stops, AnnulerEndsTheCurrentJobAndLeavesTheNextQueued) {
    b.option(Option::notranscode, "1");
    for (const char* name : {"film.mkv", "second.mkv", "third.mkv"}) {
        b.openFilm(name);
        b.addJob();
    }
    StopSignal stop;
    hangThenStop("mkvmerge.exe", "second", stop);
    b.launcher.forget();
    b.processQueue(stop);

    EXPECT_EQ(b.ui.rowColour(queueList, 0), RowColour::green);
    EXPECT_EQ(b.ui.rowColour(queueList, 1), RowColour::red);
    EXPECT_EQ(b.ui.rowColour(queueList, 2), RowColour::none);
    EXPECT_EQ(b.ui.messages(), Strings{});
    EXPECT_EQ(b.ui.journal().back(), "progress: 0");
    EXPECT_TRUE(b.ui.saw("status: traitement annulé"));
    EXPECT_EQ(b.queueCount(), 3);

    // The next run takes the job left waiting, and only it.
    b.launcher.onTool(nullptr);
    b.launcher.forget();
    b.processQueue();
    EXPECT_EQ(b.launcher.toolNames(), Strings{"mkvmerge.exe"});
    EXPECT_EQ(b.ui.rowColour(queueList, 2), RowColour::green);
    EXPECT_EQ(b.queueCount(), 0);
}
