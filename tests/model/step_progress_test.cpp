// The progress of a running step: the bar value between the step's marks,
// the status text with percentage and time left, and the tool's percentages.
#include <gtest/gtest.h>

#include "base/encoding.h"
#include "model/step_progress.h"

using namespace kx;

TEST(StepProgress, BarAndTextFromAReading) {
    struct Case {
        StepSpan span;
        StepReading reading;
        int bar;  // -1: nothing shown
        std::string status;
    };
    const std::string text = "Remuxage de Film en cours";
    const Case cases[] = {
        // The tool's percentage, and the text once the step has run a while.
        {{70, 100}, {43, -1, 0, 60}, 82, "Remuxage de Film en cours \x97 43 %, environ 1 min"},
        {{0, 40}, {50, -1, 0, 2}, 20, ""},
        {{0, 40}, {10, -1, 0, 30}, 4, "Remuxage de Film en cours \x97 10 %, environ 5 min"},
        {{0, 100}, {1, -1, 0, 60}, 1, "Remuxage de Film en cours \x97 1 %, environ 1 h 39"},
        {{40, 50}, {90, -1, 0, 9}, 49, "Remuxage de Film en cours \x97 90 %, moins d'une minute"},
        // Never the next mark while the step runs, never below its own.
        {{70, 100}, {100, -1, 0, 5}, 99, "Remuxage de Film en cours \x97 100 %, moins d'une minute"},
        {{70, 100}, {0, -1, 0, 5}, 70, ""},
        // The size written against the estimate, held below the end.
        {{0, 40}, {-1, 500, 1000, 1}, 20, ""},
        {{70, 100}, {-1, 3000, 1000, 10}, 99, "Remuxage de Film en cours \x97 99 %, moins d'une minute"},
        // The tool's percentage wins over the size.
        {{0, 100}, {30, 900, 1000, 1}, 30, ""},
        // Nothing known: no output yet, or no estimate.
        {{0, 40}, {-1, -1, 1000, 10}, -1, ""},
        {{0, 40}, {-1, 500, 0, 10}, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bar);
        std::optional<ProgressView> view = progressView(c.span, c.reading, text);
        ASSERT_EQ(view.has_value(), c.bar >= 0);
        if (!view) continue;
        EXPECT_EQ(view->bar, c.bar);
        EXPECT_EQ(view->status, c.status);
    }
}

TEST(StepProgress, TimeLeftNamesAndSpans) {
    const std::pair<double, std::string> times[] = {
        {0, "moins d'une minute"}, {59, "moins d'une minute"}, {60, "environ 1 min"}, {89, "environ 1 min"},
        {3569, "environ 59 min"},  {3600, "environ 1 h 00"},   {3900, "environ 1 h 05"}, {7200 + 59 * 60, "environ 2 h 59"},
    };
    for (const auto& [seconds, text] : times) EXPECT_EQ(timeLeftText(seconds), text) << seconds;

    EXPECT_EQ(namedStatus("Remuxage en cours", "Film"), "Remuxage de Film en cours");
    EXPECT_EQ(namedStatus("Extraction en cours", "Film"), "Extraction de Film en cours");
    EXPECT_EQ(namedStatus("Remuxage en cours", ""), "Remuxage en cours");
    EXPECT_EQ(namedStatus("Analyse", "Film"), "Analyse");

    RunInputs in;
    in.sourcePath = "D:\\F\\a.mkv";
    in.tracks[0] = {"1", "AVC", "", "", ""};
    in.tracks[1] = {"2", "DTS", "French", "", ""};
    in.videoId = 1;
    in.audioId = 2;
    in.remuxdest = "0";
    const RunPlan plan = makeRunPlan(in);
    struct SpanCase {
        RunChoices choices;
        std::vector<std::pair<int, int>> spans;
    };
    const SpanCase spans[] = {
        {{false, false, false, false, false}, {{0, 100}}},
        {{true, true, true, false, false}, {{0, 40}, {40, 50}, {50, 70}, {70, 100}}},
        {{true, false, false, false, false}, {{0, 40}, {70, 100}}},
    };
    for (const SpanCase& c : spans) {
        RunRecipe recipe = makeRecipe(plan, c.choices);
        std::vector<std::pair<int, int>> got;
        for (const RunStep& step : recipe.steps) got.emplace_back(stepSpan(recipe, step).from, stepSpan(recipe, step).to);
        EXPECT_EQ(got, c.spans);
    }
}

TEST(StepProgress, ToolPercentagesInPieces) {
    struct Case {
        std::vector<std::string> pieces;
        int percent;
    };
    const Case cases[] = {
        {{"Progress: 2%\rProgress: 43%\r"}, 43},
        {{"Progress: 4", "3%\nThe cue entries are being written...\n"}, 43},
        {{"Progress: 43%"}, -1},  // the line is not ended yet
        {{"Progress: 12%\n", "Progress: abc%\n", "progress: 50%\n", "Progress: 1000%\n"}, 12},
        {{"Progression : 47%\r", "Progression\xC2\xA0: 48\xE2\x80\xAF%\r"}, 48},  // the tools in French
        {{"'a.mkv': Using the demultiplexer for the format 'Matroska'.\n"}, -1},
    };
    for (const Case& c : cases) {
        ToolPercentReader reader;
        for (const std::string& piece : c.pieces) reader.feed(piece);
        EXPECT_EQ(reader.percent(), c.percent) << c.pieces.front();
    }
}
