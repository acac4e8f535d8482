// The result read back by the immediate run and the queue run: a result that
// is not what the run was to make fails it, with the reason told and logged.
#include <gtest/gtest.h>

#include <functional>

#include "base/encoding.h"
#include "mock/bench.h"
#include "ui/ui.h"

using namespace kx;
using namespace kx::test;

namespace {

// The film's report with a minute of video and of DTS.
std::string timedReport() {
    std::string report = dtsFilmReport();
    for (const char* format : {"AVC", "DTS"}) {
        const std::string line = "Format                           : " + std::string(format) + "\r\n";
        report.insert(report.find(line) + line.size(), "Duration                         : 1 min 0 s\r\n");
    }
    return report;
}

}  // namespace

TEST(ResultReadBack, AResultNotAsPlannedFailsTheRunAndTheJob) {
    struct Case {
        std::function<void(Bench&)> spoil;  // before the run or the job's addition
        std::string reason;
    };
    const Case cases[] = {
        {[](Bench&) {}, ""},
        {[](Bench& b) { b.launcher.setBehaviour("mkvmerge.exe", {ToolBehaviour::Output::empty}); },
         "Résultat non conforme : ce n'est pas un fichier Matroska lisible"},
        // A frame rate read wrongly: 25 images a second shown for 0.599 s each.
        {[](Bench& b) { b.state.with([](AppState& s) { s.source.frameRate = "0.599"; }); },
         "Résultat non conforme : piste vidéo d'une durée de 0:41:44 au lieu de 0:01:00"},
    };
    for (const Case& c : cases) {
        Bench run;
        run.openFilm("film.mkv", timedReport());
        c.spoil(run);
        run.runImmediate();
        const std::vector<std::string> messages = run.ui.messages();
        ASSERT_FALSE(messages.empty()) << c.reason;
        if (c.reason.empty()) {
            EXPECT_EQ(messages.back(), "Le traitement s'est bien passé");
        } else {
            EXPECT_EQ(messages.back(), "Il y'a eu un problème lors du traitement\r\n" + c.reason);
            EXPECT_TRUE(toUtf8(run.read(run.program + "log.txt")).ends_with(c.reason + "\r\n"));
        }
        EXPECT_TRUE(run.launcher.problems().empty());
        EXPECT_EQ(run.exists(run.films + "film_remux.mkv"), c.reason.empty()) << "only a checked result takes its name";

        Bench queue;
        queue.openFilm("film.mkv", timedReport());
        c.spoil(queue);
        queue.addJob();
        queue.processQueue();
        EXPECT_EQ(queue.ui.rowColour(queueList, 0), c.reason.empty() ? RowColour::green : RowColour::red) << c.reason;
        EXPECT_EQ(queue.ui.saw("message: film : " + c.reason + "\r\n"), !c.reason.empty()) << c.reason;
    }
}
