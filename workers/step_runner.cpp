// Writing and starting the scripts of a run or a job, with the verdict.
#include "workers/step_runner.h"

#include <utility>

#include "base/text.h"
#include "ui/texts.h"
#include "workers/run_checks.h"
#include "workers/verify_result.h"

namespace kx {

namespace {

// "mkvextract.exe" -> "mkvextract"
std::string toolName(const RunStep& step) {
    std::string name(step.tool);
    if (endsWith(toLower(name), ".exe")) name.resize(name.size() - 4);
    return name;
}

}  // namespace

StartResult runScript(AppContext& context, const std::string& folder, std::string_view name,
                      std::optional<StopSignal> stop) {
    return context.launcher.run(name, "", folder, runWait, std::move(stop));
}

bool endedWell(const StartResult& result) {
    return result.state == StartResult::State::started && !result.stopped &&
           (result.exitCode == 0 || result.exitCode == 1);
}

StepRunner::StepRunner(AppContext& context, std::string folder, std::optional<StopSignal> stop)
    : context_(context), folder_(std::move(folder)), stop_(std::move(stop)) {}

void StepRunner::writeAndRun(const RunStep& step, ScriptPlace place, const ScriptContext& scripts) {
    if (stopped_) return;
    written_.push_back(std::string(step.script));
    lastStep_ = std::string(step.script);
    lastStatus_ = -1;
    if (!writeScript(context_.files, folder_ + std::string(step.script), place, step.pieces(scripts)))
        return failed(step, std::string(stepNotWritten));
    start(step);
}

void StepRunner::run(const RunStep& step) {
    if (stopped_ || !context_.files.exists(folder_ + std::string(step.script))) return;
    lastStep_ = std::string(step.script);
    start(step);
}

void StepRunner::fail(const RunStep& step) {
    if (stopped_) return;
    lastStep_ = std::string(step.script);
    lastStatus_ = -1;
    failed(step, std::string(stepNotStarted));
}

void StepRunner::verify(const RunRecipe& recipe, const std::string& resultPath) {
    if (stopped_) return;
    std::optional<std::string> problem = verifyResult(context_, recipe, resultPath, stop_);
    if (stop_ && stop_->requested()) {
        stopped_ = cancelled_ = true;
    } else if (problem) {
        stopped_ = true;
        failure_ = std::string(resultMismatchHead) + *problem;
    }
}

void StepRunner::failed(const RunStep& step, const std::string& why) {
    stopped_ = true;
    failure_ = std::string(stepFailedHead) + toolName(step) + " (" + why + ")";
}

bool StepRunner::clearOutputs(const RunStep& step) {
    for (const StepOutput& output : step.outputs) {
        if (!existsAnyCase(context_.files, output.path)) {
            started_.push_back(output.path);
            continue;
        }
        auto name = context_.files.findAnyCase(output.path);
        if (!name || !context_.made.removeOwn(*name) || existsAnyCase(context_.files, output.path)) {
            failed(step, std::string(stepFileInTheWay) + output.path);
            return false;
        }
        started_.push_back(output.path);
    }
    return true;
}

void StepRunner::placeResult(const RunRecipe& recipe) {
    if (stopped_) return;
    FileSystem& files = context_.files;
    const std::string &part = recipe.resultPart(), &result = recipe.result();
    // Only now, with the new result made and checked, may an earlier one go.
    std::optional<std::string> earlier = files.findAnyCase(result);
    const bool room = !existsAnyCase(files, result) || (earlier && context_.made.removeOwn(*earlier));
    if (room && files.moveNoReplace(part, result) == fs::MoveResult::moved) {
        context_.made.forget(part);
        context_.made.note(result);
        return;
    }
    stopped_ = true;
    failure_ = std::string(resultNotPlaced) + result;
    if (room && earlier) {
        // The earlier result is gone already: the new one stays under its own name.
        partKept_ = true;
        failure_ += "\r\n" + std::string(resultLeftAs) + part;
    }
}

void StepRunner::removeUnfinished(const RunRecipe& recipe) {
    const std::string& part = recipe.resultPart();
    for (const std::string& path : started_)
        if (path == part && !partKept_ && context_.files.removeFile(path)) context_.made.forget(path);
}

StartResult StepRunner::runWatched(const RunStep& step, StepWatch watch) {
    ProgressWatcher watcher(context_.ui, context_.files, std::move(watch));
    return context_.launcher.runWatched(step.script, "", folder_, runWait, stop_, watcher.sink());
}

void StepRunner::start(const RunStep& step) {
    if (stop_ && stop_->requested()) {
        stopped_ = cancelled_ = true;
        return;
    }
    std::optional<StepWatch> watch = std::exchange(watch_, std::nullopt);
    if (!clearOutputs(step)) return;
    StartResult result = watch ? runWatched(step, std::move(*watch)) : runScript(context_, folder_, step.script, stop_);
    lastStatus_ = result.state == StartResult::State::started ? result.exitCode : -1;
    if (result.stopped || (stop_ && stop_->requested())) {
        stopped_ = cancelled_ = true;
        return;
    }
    if (result.state != StartResult::State::started) return failed(step, std::string(stepNotStarted));
    if (!endedWell(result)) return failed(step, std::string(stepExitStatus) + std::to_string(result.exitCode));
    for (const StepOutput& output : step.outputs)
        if (!output.toolLog && (!existsAnyCase(context_.files, output.path) || context_.files.isFolder(output.path)))
            return failed(step, std::string(stepFileMissing) + output.path);
    for (const StepOutput& output : step.outputs)
        if (auto name = context_.files.findAnyCase(output.path)) context_.made.note(*name);
}

}  // namespace kx
