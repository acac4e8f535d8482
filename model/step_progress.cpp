// The bar value and status text of a running step.
#include "model/step_progress.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "ui/texts.h"

namespace kx {

StepSpan stepSpan(const RunRecipe& recipe, const RunStep& step) {
    StepSpan span;
    for (const RunStep& each : recipe.steps) {
        if (&each == &step || each.kind == step.kind) {
            if (!each.progressAfter.empty()) span.to = each.progressAfter.front();
            break;
        }
        if (!each.progressAfter.empty()) span.from = each.progressAfter.back();
    }
    return span;
}

std::optional<ProgressView> progressView(StepSpan span, const StepReading& reading, std::string_view stepText) {
    int percent = -1;
    if (reading.toolPercent >= 0) percent = std::min(reading.toolPercent, 100);
    else if (reading.bytes >= 0 && reading.expectedBytes > 0)
        percent = int(std::min<std::int64_t>(reading.bytes * 100 / reading.expectedBytes, 99));
    if (percent < 0) return std::nullopt;
    ProgressView view;
    const int width = span.to - span.from;
    view.bar = span.from + std::clamp(width * percent / 100, 0, std::max(width - 1, 0));
    if (percent > 0 && reading.seconds >= progressTextDelay) {
        const double left = reading.seconds * (100 - percent) / percent;
        view.status = std::string(stepText) + std::string(progressSeparator) + std::to_string(percent) +
                      std::string(progressPercentTail) + timeLeftText(left);
    }
    return view;
}

std::string timeLeftText(double seconds) {
    if (seconds < 60) return std::string(timeLeftUnderMinute);
    const long minutes = std::lround(seconds / 60);
    if (minutes < 60) return std::string(timeLeftHead) + std::to_string(minutes) + std::string(timeLeftMinutesTail);
    const long rest = minutes % 60;
    return std::string(timeLeftHead) + std::to_string(minutes / 60) + std::string(timeLeftHoursJoin) +
           (rest < 10 ? "0" : "") + std::to_string(rest);
}

std::string namedStatus(std::string_view status, std::string_view name) {
    if (name.empty() || !endsWith(status, jobStatusTail)) return std::string(status);
    status.remove_suffix(jobStatusTail.size());
    return std::string(status) + std::string(namedStatusJoin) + std::string(name) + std::string(jobStatusTail);
}

void ToolPercentReader::feed(std::string_view output) {
    // "Progress: 43%", or as the tools say it in the user's language when it
    // begins the same ("Progression : 43 %").
    static constexpr std::string_view head = "Progress";
    for (char c : output) {
        if (c != '\r' && c != '\n') {
            // Only the start of a line matters; the rest of a long one is dropped.
            if (line_.size() < 32) line_ += c;
            continue;
        }
        std::string_view line = line_;
        if (line.substr(0, head.size()) == head && line.size() > head.size() && line.back() == '%') {
            line.remove_suffix(1);
            // A blank before the sign, a non-breaking one too (UTF-8 bytes).
            while (!line.empty() && (line.back() == ' ' || static_cast<unsigned char>(line.back()) >= 0x80))
                line.remove_suffix(1);
            std::size_t start = line.size();
            while (start > head.size() && line[start - 1] >= '0' && line[start - 1] <= '9') --start;
            std::string_view digits = line.substr(start);
            if (start > head.size() && line[start - 1] != ' ' && line[start - 1] != ':') digits = {};
            if (!digits.empty() && digits.size() <= 3 &&
                std::all_of(digits.begin(), digits.end(), [](char d) { return d >= '0' && d <= '9'; }))
                percent_ = std::min(std::stoi(std::string(digits)), 100);
        }
        line_.clear();
    }
}

}  // namespace kx
