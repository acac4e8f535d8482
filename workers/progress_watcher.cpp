// The watch of a running step: the tool's output read as it comes, its
// files' sizes read every second, the bar and status set when they move.
#include "workers/progress_watcher.h"

#include <algorithm>
#include <chrono>

#include "ui/ui.h"

namespace kx {

StepWatch stepWatch(FileSystem& files, const RunRecipe& recipe, const RunStep& step, std::string text,
                    std::string restore) {
    StepWatch watch{stepSpan(recipe, step), std::move(text), std::move(restore), {}, 0};
    for (const StepOutput& output : step.outputs)
        if (!output.toolLog) watch.outputs.push_back(output.path);
    auto sizeOf = [&](const std::string& path) { return std::max<std::int64_t>(files.fileSize(path), 0); };
    if (step.kind == StepKind::extract || step.kind == StepKind::remux) {
        watch.expectedBytes = sizeOf(recipe.plan.sourcePath);
    } else {
        for (const std::string& input : step.inputs) watch.expectedBytes += sizeOf(input);
        if (step.kind == StepKind::transcode) watch.expectedBytes /= 3;
    }
    return watch;
}

ProgressWatcher::ProgressWatcher(Ui& ui, FileSystem& files, StepWatch watch)
    : ui_(ui), files_(files), watch_(std::move(watch)),
      thread_([this](std::stop_token stop) { watchLoop(stop); }) {}

ProgressWatcher::~ProgressWatcher() {
    thread_.request_stop();
    thread_.join();
    if (statusChanged_) ui_.setStatus(watch_.restore);
}

OutputSink ProgressWatcher::sink() const {
    return [feed = feed_](std::string_view output) {
        std::lock_guard lock(feed->mutex);
        feed->reader.feed(output);
    };
}

std::int64_t ProgressWatcher::bytesWritten() const {
    std::int64_t bytes = -1;
    for (const std::string& path : watch_.outputs)
        if (std::int64_t size = files_.fileSize(path); size >= 0) bytes = std::max<std::int64_t>(bytes, 0) + size;
    return bytes;
}

void ProgressWatcher::watchLoop(std::stop_token stop) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point started = Clock::now();
    int lastBar = -1;
    std::string lastStatus;
    while (!stop.stop_requested()) {
        StepReading reading;
        {
            std::unique_lock lock(waitMutex_);
            wake_.wait_for(lock, stop, std::chrono::seconds(1), [] { return false; });
        }
        if (stop.stop_requested()) break;
        {
            std::lock_guard lock(feed_->mutex);
            reading.toolPercent = feed_->reader.percent();
        }
        if (reading.toolPercent < 0) {
            reading.bytes = bytesWritten();
            reading.expectedBytes = watch_.expectedBytes;
        }
        reading.seconds = std::chrono::duration<double>(Clock::now() - started).count();
        std::optional<ProgressView> view = progressView(watch_.span, reading, watch_.text);
        if (!view) continue;
        // No lock is held here: the front end may take its own.
        if (view->bar != lastBar && view->bar > watch_.span.from) ui_.setProgress(progressBar, view->bar);
        if (view->bar > watch_.span.from) lastBar = view->bar;
        if (!view->status.empty() && view->status != lastStatus) {
            ui_.setStatus(view->status);
            statusChanged_ = true;
            lastStatus = view->status;
        }
    }
}

}  // namespace kx
