// Writing and starting the scripts of a run or a job, with the verdict.
#include "workers/step_runner.h"

namespace kx {

StartResult runScript(AppContext& context, const std::string& folder, std::string_view name) {
    return context.launcher.run(name, "", folder, runWait);
}

bool endedWell(const StartResult& result) {
    return result.state == StartResult::State::started && (result.exitCode == 0 || result.exitCode == 1);
}

StepRunner::StepRunner(AppContext& context, std::string folder, OnFailure onFailure)
    : context_(context), folder_(std::move(folder)), onFailure_(onFailure) {}

void StepRunner::writeAndRun(const RunStep& step, ScriptPlace place, const ScriptContext& scripts) {
    if (stopped_) return;
    written_.push_back(std::string(step.script));
    lastStep_ = std::string(step.script);
    lastStatus_ = -1;
    if (!writeScript(context_.files, folder_ + std::string(step.script), place, step.pieces(scripts))) {
        stopped_ = true;
        return;
    }
    start(step.script);
}

void StepRunner::run(std::string_view script) {
    if (stopped_ || !context_.files.exists(folder_ + std::string(script))) return;
    lastStep_ = std::string(script);
    start(script);
}

void StepRunner::fail(std::string_view script) {
    if (stopped_) return;
    lastStep_ = std::string(script);
    lastStatus_ = -1;
    stopped_ = true;
}

void StepRunner::start(std::string_view script) {
    StartResult result = runScript(context_, folder_, script);
    lastStatus_ = result.state == StartResult::State::started ? result.exitCode : -1;
    if (onFailure_ == OnFailure::stop && !endedWell(result)) stopped_ = true;
}

bool StepRunner::ok() const {
    if (stopped_) return false;
    return onFailure_ == OnFailure::stop || lastStatus_ == 0 || lastStatus_ == 1;
}

}  // namespace kx
