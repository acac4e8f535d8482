// Adding a job (its folder, scripts and row) and the queue run. Every script
// is started with its job folder as working folder, so runs, additions and
// the queue never depend on a shared current folder. A job folder holds only
// the scripts its job wrote; the queue keeps each job's recipe, so the run
// knows what the job makes without reading its scripts.
#include "workers/queue.h"

#include "base/encoding.h"
#include "base/text.h"
#include "workers/handlers.h"
#include "workers/run_checks.h"
#include "workers/step_runner.h"
#include "ui/ui.h"

namespace kx {

namespace {

// How one job ended: well, cancelled by the user, or failed with the reason
// to tell (empty when the tools' failure speaks for itself).
struct JobEnd {
    bool ok = false;
    bool cancelled = false;
    std::string problem;
};

// Runs one job's scripts in order, up to the first that fails or the stop.
JobEnd runJob(AppContext& context, const Job& job, const std::optional<StopSignal>& stop) {
    FileSystem& files = context.files;
    const std::string& folder = job.folder;
    if (job.state == JobState::adding || !files.isFolder(folder)) return {};
    if (!files.exists(folder + std::string(purgeScriptName)) || !files.exists(folder + std::string(remuxScriptName)))
        return {};
    if (files.fileSize(job.source) < 0) return {false, false, std::string(sourceGoneHead) + job.source};
    SourceClaim claim(context, job.source);
    if (!claim.held()) return {false, false, std::string(sourceAlreadyInWork)};
    const RunRecipe& recipe = job.recipe;
    if (auto problem = filesInTheWay(files, context.made, recipe)) return {false, false, *problem};

    Ui& ui = context.ui;
    Settings& settings = context.settings;
    StepRunner runner(context, folder, stop);
    // The repair follows the settings of now; the other steps are the job's.
    const bool repairNow = settings.isOn(Option::dtsfix);
    const RunStep* transcode = recipe.find(StepKind::transcode);
    // Every step a job may have, in order: a step of the extraction branch
    // shows its status even when the job has no script for it.
    const RunRecipe every = makeRecipe(recipe.plan, RunChoices{true, true, true, false, false});
    for (const RunStep& step : every.steps) {
        if (!runner.ok()) break;
        const bool shown = step.kind == StepKind::remux || (step.kind == StepKind::transcode && transcode) ||
                           (step.kind == StepKind::repair && repairNow) ||
                           (step.kind == StepKind::extract &&
                            (transcode || repairNow || recipe.find(StepKind::extract)));
        if (!shown) continue;
        const std::string text = step.jobStatus(job.name);
        ui.setStatus(text);
        // A step the job does not have, or whose script is gone, is not started.
        const RunStep* own = recipe.find(step.kind);
        if (!own) continue;
        runner.watchNext(stepWatch(files, recipe, *own, text, text));
        if (step.kind == StepKind::remux && !files.exists(folder + std::string(step.script))) runner.fail(*own);
        runner.run(*own);
    }
    runner.verify(recipe, recipe.resultPart());
    runner.placeResult(recipe);
    if (!runner.ok()) runner.removeUnfinished(recipe);
    // A cancelled job leaves none of its temporaries (its clean-up runs unstopped).
    if (settings.isOn(Option::deletetemp) || runner.cancelled()) runScript(context, folder, purgeScriptName);
    if (runner.cancelled()) return {false, true, std::string(runCancelled)};
    if (runner.ok()) return {true, false, {}};
    return {false, false, runner.failure()};
}

// Gives the job's place back after a refused addition and says why.
void refuseJob(AppContext& context, const JobQueue::Place& place, std::string_view message) {
    context.queue.giveBack(place.place);
    context.ui.messageBox(informationTitle, message);
    context.ui.setStatus(chooseFileStatus);
}

}  // namespace

void addJob(AppContext& context, const JobQueue::Place& place) {
    Ui& ui = context.ui;
    Settings& settings = context.settings;
    FileSystem& files = context.files;
    ui.setStatus(writingScriptsStatus);
    waitForAnalysis(context);
    if (!context.state.with([](AppState& s) { return s.source.hasTracks(); }))
        return refuseJob(context, place, noTrackToProcess);

    RunPlan plan = currentRunPlan(context);
    const std::string& folder = place.folder;
    if (touchesSource(files, plan, folder)) return refuseJob(context, place, sourceWouldBeOverwritten);
    if (sourceInWork(context, plan.sourcePath)) return refuseJob(context, place, sourceAlreadyInWork);

    applyDtsFixRule(context, plan);
    const ScriptContext scripts = currentScriptContext(context);
    const RunRecipe recipe = makeRecipe(plan, runChoices(scripts));
    std::vector<RunRecipe> others = context.queue.recipesInWork(place.place);
    if (auto run = context.state.with([](AppState& s) { return s.immediateRun; })) others.push_back(*run);
    if (auto problem = otherWorkUses(recipe, others)) return refuseJob(context, place, *problem);
    if (auto problem = filesInTheWay(files, context.made, recipe)) return refuseJob(context, place, *problem);

    // The folder keeps only what this job writes: scripts of an earlier job
    // of the same number would otherwise run with it.
    if (!context.queue.openFolder(folder)) return refuseJob(context, place, notWritten(folder));
    // Every script is written before anything runs: the remux takes the files
    // the job's own steps will have made by then.
    ScriptContext written = scripts;
    // Only those: a file of such a name that the job does not make is the user's.
    written.fileExists = [&](const std::string& path) { return recipe.makes(path); };
    std::string failed;
    for (const RunStep& step : recipe.steps)
        if (failed.empty() && !writeScript(files, folder + std::string(step.script), ScriptPlace::jobFolder,
                                           step.pieces(written)))
            failed = folder + std::string(step.script);
    ui.setFocus(queueList);
    const std::string purge = purgeScriptText(recipe, settings.isOn(Option::deletebat), folder);
    if (!files.writeScriptFile(folder + std::string(purgeScriptName), purge) && failed.empty())
        failed = folder + std::string(purgeScriptName);
    if (!failed.empty()) {
        context.queue.emptyFolder(folder);
        return refuseJob(context, place, notWritten(failed));
    }

    Job job;
    job.folder = folder;
    job.name = plan.baseName;
    job.source = plan.sourcePath;
    job.audioFormat = plan.audioFormat;
    job.subtitleLanguage = subtitleChosen(scripts) ? plan.subLang : "";
    job.recipe = recipe;
    if (auto problem = completeJob(context, place.place, job)) {
        context.queue.emptyFolder(folder);
        return refuseJob(context, place, *problem);
    }

    if (ui.columnCount(queueList) == 1) {
        ui.addColumn(queueList, pathColumn, 300);
        ui.addColumn(queueList, audioCodecColumn, 70);
        ui.addColumn(queueList, subtitlesColumn, 70);
    }
    ui.addRow(queueList, job.row());

    clearCurrentFile(context);
    ui.setStatus(chooseFileStatus);
}

void processQueue(AppContext& context, std::optional<StopSignal> stop) {
    Ui& ui = context.ui;
    std::string problems;
    bool cancelled = false;
    for (int place = 1; !cancelled; ++place) {
        std::optional<Job> job = context.queue.start(place);
        if (!job) break;
        // Processed by an earlier run that was cancelled after it.
        if (job->state == JobState::done || job->state == JobState::failed) continue;
        ui.setRowColour(queueList, place - 1, RowColour::working);
        JobEnd end = runJob(context, *job, stop);
        cancelled = end.cancelled;
        context.queue.finish(place, end.ok, end.problem);
        ui.setRowColour(queueList, place - 1, end.ok ? RowColour::green : RowColour::red);
        if (!end.ok && !cancelled && !end.problem.empty()) problems += job->name + " : " + end.problem + "\r\n";
    }
    if (cancelled) {
        // The jobs after the cancelled one wait for the next "Traiter la file".
        context.queue.endRun(true);
        ui.setStatus(runCancelled);
        ui.setProgress(progressBar, 0);
        return;
    }
    ui.setStatus(queueProcessedStatus);
    if (!problems.empty()) ui.messageBox(informationTitle, problems);
    ui.messageBox(informationTitle, queueProcessed);
    context.queue.endRun();
    ui.setProgress(progressBar, 0);
}

}  // namespace kx
