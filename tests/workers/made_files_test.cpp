// What the program made is its own to replace, and nothing else: the record
// of made files, a second run of the same file, an earlier result kept whole
// until the new one is in place, jobs and runs that would share files, and a
// user's file of a name the scripts could read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "base/encoding.h"
#include "mock/bench.h"
#include "model/made_files.h"

using namespace kx;
using namespace kx::test;
using Strings = std::vector<std::string>;

namespace {

std::string inTheWay(const std::string& path) {
    return toUtf8(std::string(fileInTheWayHead) + path + std::string(fileInTheWayTail));
}
std::string usedElsewhere(const std::string& path) {
    return toUtf8(std::string(usedByOtherWorkHead) + path + std::string(notWrittenTail));
}

class Owned : public ::testing::Test {
protected:
    Owned() {
        b.option(Option::deletetemp, "0");  // the temporaries stay beside the source
        b.option(Option::muxsrt, "1");
    }
    void run(const std::string& name = "film.mkv") {
        b.openFilm(name);
        b.launcher.forget();
        b.ui.clearJournal();
        b.runImmediate();
    }
    Strings mergeArguments() {
        for (const ToolRun& r : b.launcher.toolRuns())
            if (r.tool == "mkvmerge.exe") return r.arguments;
        return {};
    }

    Bench b;
    const std::string base = b.films + "film";
};

}  // namespace

TEST(MadeFiles, OwnsOnlyWhatItNotedUnchangedAndSurvivesARestart) {
    Bench b;
    const std::string made = b.films + "made.txt", mine = b.films + "mine.txt";
    b.write(made, "made");
    b.write(mine, "mine");
    b.made.note(made);
    EXPECT_TRUE(b.made.owns(made));
    EXPECT_FALSE(b.made.owns(mine));
    EXPECT_FALSE(b.made.removeOwn(mine));
    EXPECT_EQ(b.read(mine), "mine");

    // Read again at the next start, an edited line aside.
    b.write(b.program + "madefiles.txt", b.read(b.program + "madefiles.txt") + "x\ty\tz\r\n12\r\n");
    MadeFiles again(b.files, b.program + "madefiles.txt");
    EXPECT_TRUE(again.owns(made));
    // Changed since by someone else: no longer the program's to replace.
    b.write(made, "changed by the user");
    EXPECT_FALSE(again.owns(made));
    EXPECT_FALSE(again.removeOwn(made));
    EXPECT_EQ(b.read(made), "changed by the user");
}

TEST_F(Owned, ASecondRunReplacesWhatTheFirstMadeButNotWhatTheUserChanged) {
    run();
    ASSERT_TRUE(b.ui.saw(success));
    ASSERT_TRUE(b.exists(base + ".srt"));
    run();
    EXPECT_TRUE(b.ui.saw(success)) << b.ui.journal().back();
    EXPECT_TRUE(b.exists(base + "_remux.mkv"));
    EXPECT_FALSE(b.exists(base + "_remux.part.mkv"));

    b.write(base + ".srt", "corrected by hand");
    run();
    EXPECT_EQ(b.ui.messages(), Strings{inTheWay(base + ".srt")});
    EXPECT_EQ(b.read(base + ".srt"), "corrected by hand");
}

TEST_F(Owned, AFailedRunLeavesTheEarlierResultWhole) {
    run();
    const std::string earlier = b.read(base + "_remux.mkv");
    ASSERT_FALSE(earlier.empty());
    b.launcher.setBehaviour("mkvmerge.exe", {ToolBehaviour::Output::partial, 2});
    run();
    EXPECT_FALSE(b.ui.saw(success));
    EXPECT_EQ(b.read(base + "_remux.mkv"), earlier);
    EXPECT_FALSE(b.exists(base + "_remux.part.mkv"));
}

TEST_F(Owned, AResultThatCannotTakeItsNameIsAFailureAndIsNotLost) {
    b.files.refuseMove = [this](const std::string& to) { return to == base + "_remux.mkv"; };
    run();
    EXPECT_EQ(b.ui.messages().back(), toUtf8(std::string(processingFailed) + "\r\n" + std::string(resultNotPlaced) +
                                             base + "_remux.mkv"));
    EXPECT_FALSE(b.exists(base + "_remux.part.mkv"));
    b.files.refuseMove = nullptr;
    run();
    // The earlier result made room, then the move failed: the new one stays under its own name.
    b.files.refuseMove = [this](const std::string& to) { return to == base + "_remux.mkv"; };
    run();
    EXPECT_NE(b.ui.messages().back().find(toUtf8(std::string(resultLeftAs) + base + "_remux.part.mkv")),
              std::string::npos);
    EXPECT_TRUE(b.exists(base + "_remux.part.mkv"));
}

TEST_F(Owned, AUsersRepairedTrackIsNeverMuxedInPlaceOfTheTranscodedOne) {
    b.option(Option::dtsfix, "1");
    b.option(Option::notranscode, "0");
    b.write(base + "_fixed.ac3", "the user's");
    run();
    EXPECT_TRUE(b.ui.saw(success)) << b.ui.journal().back();
    Strings merge = mergeArguments();
    EXPECT_EQ(std::count(merge.begin(), merge.end(), base + "_fixed.ac3"), 0);
    EXPECT_EQ(std::count(merge.begin(), merge.end(), base + ".ac3"), 1);
    EXPECT_EQ(b.read(base + "_fixed.ac3"), "the user's");

    // The same through the queue.
    b.openFilm("second.mkv");
    b.write(b.films + "second_fixed.ac3", "the user's");
    b.addJob();
    b.launcher.forget();
    b.processQueue();
    Strings queued = mergeArguments();
    EXPECT_EQ(std::count(queued.begin(), queued.end(), b.films + "second_fixed.ac3"), 0);
    EXPECT_EQ(b.read(b.films + "second_fixed.ac3"), "the user's");
}

// A job or run is refused, with nothing written, when it would write a file
// that a queued job or the run in progress writes or reads as its source.
TEST_F(Owned, JobsThatWouldShareAFileAreRefused) {
    const std::string out = b.root + "out" + fs::separator(), other = b.root + "other" + fs::separator();
    std::filesystem::create_directories(out);
    std::filesystem::create_directories(other);
    b.write(other + "film.mkv", "another film");
    struct Case {
        const char* what;
        std::function<void()> first;
        std::string second;  // the film of films/ then added
        std::string shared;  // the file the message names
    };
    const Case cases[] = {
        {"two films of one name, one remux folder",
         [&] {
             b.option(Option::remuxdest, "1");
             b.option(Option::cheminremux, out);
             b.open(other + "film.mkv");
             b.addJob();
         },
         "film.mkv", out + "film.part.mkv"},
        {"a result that is a queued source",
         [&] {
             b.openFilm("film_remux.mkv");
             b.addJob();
         },
         "film.mkv", base + "_remux.mkv"},
        {"the same file twice", [&] { b.openFilm("film.mkv"), b.addJob(); }, "film.mkv", base + ".mkv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.first();
        ASSERT_EQ(b.queueCount(), 1);
        b.openFilm(c.second);
        const Strings before = b.namesIn(b.films);
        b.ui.clearJournal();
        b.addJob();
        EXPECT_EQ(b.queueCount(), 1);
        EXPECT_EQ(b.ui.messages(), Strings{usedElsewhere(c.shared)});
        EXPECT_EQ(b.namesIn(b.films), before);
        b.queue.clear();
        b.option(Option::remuxdest, "0");
        std::filesystem::remove(base + "_remux.mkv");
    }
}

TEST_F(Owned, ARunIsRefusedOnAQueuedJobsSource) {
    b.openFilm("film_remux.mkv");
    b.addJob();
    run("film.mkv");
    EXPECT_EQ(b.ui.messages(), Strings{usedElsewhere(base + "_remux.mkv")});
    EXPECT_EQ(b.read(base + "_remux.mkv"), "source");
    EXPECT_TRUE(b.launcher.scriptNames().empty());
}
