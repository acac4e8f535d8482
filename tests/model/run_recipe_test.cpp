// The recipe of a run and the job queue's folders: which steps a run takes
// with their texts and marks, and which job folder each addition gets.
#include <gtest/gtest.h>

#include "model/job_queue.h"
#include "model/run_recipe.h"

using namespace kx;
using Strings = std::vector<std::string>;

namespace {

RunPlan planOf(const std::string& audioFormat) {
    RunInputs in;
    in.sourcePath = "D:\\F\\a.mkv";
    in.tracks[0] = {"1", "AVC", "", "", ""};
    in.tracks[1] = {"2", audioFormat, "French", "", ""};
    in.tracks[2] = {"3", "UTF8", "French", "", ""};
    in.videoId = 1;
    in.audioId = 2;
    in.subId = 3;
    in.subtitleSelected = true;
    in.remuxdest = "0";
    return makeRunPlan(in);
}

}  // namespace

TEST(RunRecipe, StepsTextsAndMarksFollowTheChoices) {
    struct Case {
        RunChoices choices;
        Strings scripts, statuses;
        std::vector<int> progress;
    };
    const Case cases[] = {
        {{false, false, false, false, false}, {"mkvmerge.bat"}, {"Remuxage en cours"}, {}},
        {{true, false, true, true, true},
         {"mkvextract.bat", "eac3to.bat", "mkvmerge.bat"},
         {"", "encodage en cours", "Remuxage en cours"},
         {40, 50, 70}},
        {{true, true, false, false, false},
         {"mkvextract.bat", "dtsfix.bat", "mkvmerge.bat"},
         {"", "nettoyage en cours", "Remuxage en cours"},
         {40, 50, 70}},
    };
    for (const Case& c : cases) {
        RunRecipe recipe = makeRecipe(planOf("DTS"), c.choices);
        Strings scripts, statuses;
        std::vector<int> progress;
        for (const RunStep& step : recipe.steps) {
            scripts.emplace_back(step.script);
            statuses.emplace_back(step.status);
            progress.insert(progress.end(), step.progressAfter.begin(), step.progressAfter.end());
        }
        EXPECT_EQ(scripts, c.scripts);
        EXPECT_EQ(statuses, c.statuses);
        EXPECT_EQ(progress, c.progress);
        EXPECT_EQ(recipe.result(), "D:\\F\\a_remux.mkv");
    }
    RunRecipe every = makeRecipe(planOf("DTS"), {true, true, true, true, false});
    EXPECT_EQ(every.steps[0].jobStatus("Film"), "extraction de Film en cours");
    EXPECT_EQ(every.steps[1].jobStatus("Film"), "nettoyage en cours");
    EXPECT_TRUE(every.steps[1].scriptKept);
}

TEST(RunRecipe, TemporariesKeptSubtitleAndCleanUpNames) {
    // An AC3 track repaired: a box plays AC3, so nothing transcodes it even
    // with transcoding on; the clean-up script names it as the report does.
    RunRecipe recipe = makeRecipe(planOf("AC3"), {true, true, true, true, false});
    EXPECT_EQ(recipe.find(StepKind::transcode), nullptr);
    EXPECT_EQ(recipe.temporaries(), (Strings{"D:\\F\\a_log.txt", "D:\\F\\a_fixed.ac3", "D:\\F\\a.h264",
                                             "D:\\F\\a.ac3", "D:\\F\\a.srt"}));
    EXPECT_EQ(recipe.purgeNames(), (Strings{"D:\\F\\a_fixed.ac3", "D:\\F\\a_log.txt", "D:\\F\\a.h264",
                                            "D:\\F\\a.AC3", "D:\\F\\a.srt"}));
    EXPECT_EQ(recipe.keptSubtitle(), "");
    recipe = makeRecipe(planOf("DTS"), {true, false, false, true, true});
    EXPECT_EQ(recipe.temporaries(), (Strings{"D:\\F\\a.h264", "D:\\F\\a.dts"}));
    // The kept subtitle is no temporary: the job's clean-up leaves it too.
    EXPECT_EQ(recipe.purgeNames(), (Strings{"D:\\F\\a.h264", "D:\\F\\a.DTS"}));
    EXPECT_EQ(recipe.keptSubtitle(), "D:\\F\\a.srt");
}

TEST(JobQueue, FoldersAreHandedOutByPlaceButNeverTheRunningOne) {
    FileSystem files;
    JobQueue queue(files);
    const std::string home = "/nowhere/";
    auto folder = [&](int n) { return home + "job" + std::to_string(n) + fs::separator(); };
    JobQueue::Place first = queue.add(home);
    EXPECT_TRUE(first.firstOfQueue);
    EXPECT_EQ(first.folder, folder(1));
    Job job;
    job.folder = first.folder;
    queue.complete(first.place, job);
    JobQueue::Place second = queue.add(home);
    EXPECT_EQ(second.folder, folder(2));
    queue.giveBack(second.place);  // a refused addition
    EXPECT_EQ(queue.size(), 1);
    EXPECT_TRUE(queue.adding(queue.add(home).place));
    EXPECT_EQ(queue.removeLast(), 2);

    // Cleared while job 1 runs: the next job gets a folder of its own; once
    // the run has ended, numbering starts again at 1.
    ASSERT_TRUE(queue.start(1));
    queue.clear();
    JobQueue::Place fresh = queue.add(home);
    EXPECT_EQ(fresh.place, 1);
    EXPECT_EQ(fresh.folder, folder(2));
    EXPECT_FALSE(queue.start(2));
    queue.endRun();
    EXPECT_EQ(queue.size(), 0);
    EXPECT_EQ(queue.add(home).folder, folder(1));
}
