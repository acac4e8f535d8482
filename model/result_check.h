// The read-back check of a run's result: the tracks its recipe was to make,
// compared with what the remux tool's identification (its JSON answer) says
// the result holds. Pure text work; starting the tool is the worker's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/run_recipe.h"

namespace kx {

// One track the result must hold, in the order of its type.
struct ExpectedTrack {
    std::string type;        // as the identification names it: "video", "audio" or "subtitles"
    std::string_view name;   // how the user is told of it (ui/texts.h)
    std::string format{};    // as analysed or made ("AVC", "AC3", "srt"); empty: any
    std::string language{};  // three-letter code; empty: any
    std::string duration{};  // the source track's, as the report gives it; empty: unknown
    std::int64_t leadMs = 0;  // how late the track starts in the result (a positive audio delay)
};

std::vector<ExpectedTrack> expectedTracks(const RunRecipe& recipe);

// A duration as a MediaInfo report writes it ("1 h 23 min", "2 min 5 s",
// "5 s 120 ms"), in seconds, with the unit of its last figure (the
// precision it was written with); nothing when it cannot be read.
struct ReportDuration {
    double seconds = 0;
    double unit = 0;
};
std::optional<ReportDuration> readReportDuration(std::string_view text);

// What is wrong with the result, as the user is told; nothing when the
// identification shows every expected track, of its type, format and
// language, none compressed by header removal, each (and the whole file)
// as long as its source within 1 % (at least a second).
std::optional<std::string> resultProblem(std::string_view identification, const std::vector<ExpectedTrack>& expected);

}  // namespace kx
