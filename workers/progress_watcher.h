// Moves the progress bar and the status text while one step's tool runs:
// from the percentage the tool prints when its output can be read, else from
// the size its output files have reached against an estimate.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "model/step_progress.h"
#include "platform/file_system.h"
#include "platform/process.h"

namespace kx {

class Ui;

// What a watcher needs to know of its step.
struct StepWatch {
    StepSpan span;
    std::string text;     // the status text the percentage follows
    std::string restore;  // the status text of the step, put back when it ends
    std::vector<std::string> outputs;  // the files whose size tells how far it is
    std::int64_t expectedBytes = 0;    // their size at the end, as estimated
};

// The watch of a step of `recipe`. The estimate: the source's size for the
// extraction and the remux (video and sound make most of the source), the
// input's for the repair and a third of it for the transcode (AC3 is lighter).
StepWatch stepWatch(FileSystem& files, const RunRecipe& recipe, const RunStep& step, std::string text,
                    std::string restore);

// The percentage read from a step's tool, shared with the launcher's reading
// thread, which may hand over output even after the step's end.
struct ToolFeed {
    std::mutex mutex;
    ToolPercentReader reader;
};

class ProgressWatcher {
public:
    // Starts watching at once, on a thread of its own.
    ProgressWatcher(Ui& ui, FileSystem& files, StepWatch watch);
    // Stops watching; the step's own status text is back when it was changed.
    ~ProgressWatcher();
    ProgressWatcher(const ProgressWatcher&) = delete;
    ProgressWatcher& operator=(const ProgressWatcher&) = delete;

    // Takes what the step's tool prints (on the launcher's reading thread).
    OutputSink sink() const;

private:
    void watchLoop(std::stop_token stop);
    std::int64_t bytesWritten() const;

    Ui& ui_;
    FileSystem& files_;
    const StepWatch watch_;
    const std::shared_ptr<ToolFeed> feed_ = std::make_shared<ToolFeed>();
    std::mutex waitMutex_;
    std::condition_variable_any wake_;
    bool statusChanged_ = false;  // the watch thread's own
    std::jthread thread_;
};

}  // namespace kx
