// The step runner: the one place where a run's or a job's scripts are
// written and started, one after another, each waited for. The first step
// that ends badly, or a stop request, ends the run.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/run_recipe.h"
#include "platform/stop_signal.h"
#include "workers/context.h"
#include "workers/progress_watcher.h"

namespace kx {

// Starts a script of `folder` there, in a console the user sees, and waits
// for it; a stop request ends it with all it started.
StartResult runScript(AppContext& context, const std::string& folder, std::string_view name,
                      std::optional<StopSignal> stop = std::nullopt);
// Whether a tool or script ended well: started, and exit status 0, or 1 for warnings.
bool endedWell(const StartResult& result);

class StepRunner {
public:
    // `stop`: the user's request to end the run.
    StepRunner(AppContext& context, std::string folder, std::optional<StopSignal> stop = std::nullopt);

    // Writes the step's script into the folder, then runs it. A script that
    // cannot be written stops the run: an older file of its name must never
    // run in its place.
    void writeAndRun(const RunStep& step, ScriptPlace place, const ScriptContext& scripts);
    // Runs the step's script already in the folder; one that is missing is skipped.
    void run(const RunStep& step);
    // The next step started is watched: the bar and status move while it runs.
    void watchNext(StepWatch watch) { watch_ = std::move(watch); }
    // A step that cannot run at all ends the run as a failure.
    void fail(const RunStep& step);
    // After the steps: the result read back (verify_result.h); one that is
    // not what `recipe` makes ends the run as a failure.
    void verify(const RunRecipe& recipe, const std::string& resultPath);
    // After the last step: the remux's file takes the result's name, over
    // an earlier result only when the program made it and nobody changed it.
    void placeResult(const RunRecipe& recipe);
    // After a failure or a stop: removes the files of the steps this runner
    // started that are no temporaries (the remux's file); the run removes its
    // temporaries itself.
    void removeUnfinished(const RunRecipe& recipe);

    // No step has failed and no stop was asked for.
    bool ok() const { return !stopped_; }
    // The run was stopped at the user's request.
    bool cancelled() const { return cancelled_; }
    // The step that failed and why, as the user is told; empty when none did
    // (or the run was cancelled).
    const std::string& failure() const { return failure_; }
    // The last step taken and its exit status (-1 when it did not run).
    std::string_view lastStep() const { return lastStep_; }
    int lastStatus() const { return lastStatus_; }
    // The scripts written so far, in order.
    const std::vector<std::string>& written() const { return written_; }

private:
    void start(const RunStep& step);
    StartResult runWatched(const RunStep& step, StepWatch watch);
    void failed(const RunStep& step, const std::string& why);
    // Makes room for the step's outputs: an earlier file of the program's is
    // removed; anything else stops the run. False when the run stops.
    bool clearOutputs(const RunStep& step);

    AppContext& context_;
    std::string folder_;
    std::optional<StopSignal> stop_;
    bool stopped_ = false;
    bool cancelled_ = false;
    std::string failure_;
    std::string lastStep_;
    int lastStatus_ = -1;
    std::vector<std::string> written_;
    std::vector<std::string> started_;  // outputs of the steps started, absent before them
    bool partKept_ = false;  // the checked result could not take its name, the earlier one being gone
    std::optional<StepWatch> watch_;
};

}  // namespace kx
