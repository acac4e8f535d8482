// The step runner: the one place where a run's or a job's scripts are
// written and started, one after another, each waited for. What a step that
// ends badly does to the rest is the runner's policy.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/run_recipe.h"
#include "workers/context.h"

namespace kx {

// Starts a script of `folder` there, in a console the user sees, and waits for it.
StartResult runScript(AppContext& context, const std::string& folder, std::string_view name);
// Whether a tool or script ended well: started, and exit status 0, or 1 for warnings.
bool endedWell(const StartResult& result);

class StepRunner {
public:
    // goOn: a step that ends badly does not stop the run, and the verdict is
    // the last step's (the immediate run: the remux's status is the verdict).
    // stop: the first step that ends badly ends the run and is the verdict
    // (the queue run).
    enum class OnFailure { goOn, stop };

    StepRunner(AppContext& context, std::string folder, OnFailure onFailure);

    // Writes the step's script into the folder, then runs it. A script that
    // cannot be written stops the run: an older file of its name must never
    // run in its place.
    void writeAndRun(const RunStep& step, ScriptPlace place, const ScriptContext& scripts);
    // Runs a script already in the folder; one that is missing is skipped.
    void run(std::string_view script);
    // A step that cannot run at all ends the run as a failure.
    void fail(std::string_view script);

    // The verdict of the steps so far, by the policy.
    bool ok() const;
    // The last step taken and its exit status (-1 when it did not run).
    std::string_view lastStep() const { return lastStep_; }
    int lastStatus() const { return lastStatus_; }
    // The scripts written so far, in order.
    const std::vector<std::string>& written() const { return written_; }

private:
    void start(std::string_view script);

    AppContext& context_;
    std::string folder_;
    OnFailure onFailure_;
    bool stopped_ = false;
    std::string lastStep_;
    int lastStatus_ = -1;
    std::vector<std::string> written_;
};

}  // namespace kx
