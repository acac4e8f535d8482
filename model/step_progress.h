// The progress of a running step as the user sees it: the bar value between
// the step's marks and the status text with the percentage and time left,
// from the tool's own percentage or the size of what it has written so far.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/run_recipe.h"

namespace kx {

// The bar values a step runs between: the mark set after the step before it
// (0 for the first) and its own first mark (100 for the last).
struct StepSpan {
    int from = 0;
    int to = 100;
};
StepSpan stepSpan(const RunRecipe& recipe, const RunStep& step);

// What is known of a running step. A tool percentage (0 to 100) wins over
// the bytes written against the bytes expected.
struct StepReading {
    int toolPercent = -1;
    std::int64_t bytes = -1;
    std::int64_t expectedBytes = 0;
    double seconds = 0;  // since the step started
};

struct ProgressView {
    int bar = 0;         // from the span's start, always below its end
    std::string status;  // empty: the step's own text stays
};

// Seconds a step runs before its status tells the percentage and time left.
inline constexpr double progressTextDelay = 3;

// The view of a reading, or nothing while nothing is known. `stepText` is
// the step's own status text, as set when it started.
std::optional<ProgressView> progressView(StepSpan span, const StepReading& reading, std::string_view stepText);
// "moins d'une minute", "environ 4 min", "environ 1 h 05".
std::string timeLeftText(double seconds);
// A step's status text with a name: "Remuxage en cours" and "Film" give
// "Remuxage de Film en cours"; a text without the usual ending is kept.
std::string namedStatus(std::string_view status, std::string_view name);

// Reads the percentages a tool prints ("Progress: 43%", in French
// "Progression : 43%"; lines ended by CR or LF), in pieces as they come.
class ToolPercentReader {
public:
    void feed(std::string_view output);
    int percent() const { return percent_; }  // -1 until one is read

private:
    std::string line_;
    int percent_ = -1;
};

}  // namespace kx
