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

// Runs one job's scripts in order. Nothing when every step ended well and
// the result is there; otherwise the reason to tell, empty when the tools'
// failure speaks for itself (the row turns red either way).
std::optional<std::string> runJob(AppContext& context, const Job& job) {
    FileSystem& files = context.files;
    const std::string& folder = job.folder;
    if (job.state == JobState::adding || !files.isFolder(folder)) return std::string();
    if (!files.exists(folder + std::string(purgeScriptName)) || !files.exists(folder + std::string(remuxScriptName)))
        return std::string();
    SourceClaim claim(context, job.source);
    if (!claim.held()) return std::string(sourceAlreadyInWork);
    const RunRecipe& recipe = job.recipe;
    if (auto problem = filesInTheWay(files, recipe.purgeNames(), recipe.result())) return problem;

    Ui& ui = context.ui;
    Settings& settings = context.settings;
    StepRunner runner(context, folder, StepRunner::OnFailure::stop);
    // The repair follows the settings of now; the other steps are the job's.
    const bool repairNow = settings.isOn(Option::dtsfix);
    const RunStep* transcode = recipe.find(StepKind::transcode);
    // Every step a job may have, in order: a step of the extraction branch
    // shows its status even when the job has no script for it.
    const RunRecipe every = makeRecipe(recipe.plan, RunChoices{true, true, true, false, false});
    for (const RunStep& step : every.steps) {
        const bool shown = step.kind == StepKind::remux || (step.kind == StepKind::transcode && transcode) ||
                           (step.kind == StepKind::repair && repairNow) ||
                           (step.kind == StepKind::extract &&
                            (transcode || repairNow || recipe.find(StepKind::extract)));
        if (!shown) continue;
        ui.setStatus(step.jobStatus(job.name));
        // A step the job does not have, or whose script is gone, is not started.
        if (!recipe.find(step.kind)) continue;
        if (step.kind == StepKind::remux && !files.exists(folder + std::string(step.script))) runner.fail(step.script);
        runner.run(step.script);
    }
    if (settings.isOn(Option::deletetemp)) runScript(context, folder, purgeScriptName);
    if (runner.ok() && outputPresent(files, recipe.result(), job.source)) return std::nullopt;
    return std::string();
}

// Gives the job's place back after a refused addition and says why.
void refuseJob(AppContext& context, const JobQueue::Place& place, std::string_view message) {
    context.queue.giveBack(place.place);
    context.ui.messageBox(informationTitle, message);
    context.ui.setStatus("Choisir un fichier");
}

}  // namespace

void addJob(AppContext& context, const JobQueue::Place& place) {
    Ui& ui = context.ui;
    Settings& settings = context.settings;
    FileSystem& files = context.files;
    ui.setStatus("Création des fichiers .bat"_cp);
    waitForAnalysis(context);

    RunPlan plan = currentRunPlan(context);
    const std::string& folder = place.folder;
    if (touchesSource(files, plan, folder)) return refuseJob(context, place, sourceWouldBeOverwritten);
    if (sourceInWork(context, plan.sourcePath)) return refuseJob(context, place, sourceAlreadyInWork);

    applyDtsFixRule(context, plan);
    const ScriptContext scripts = currentScriptContext(context);
    const RunRecipe recipe = makeRecipe(plan, runChoices(scripts));
    if (auto problem = filesInTheWay(files, madeFiles(recipe), recipe.result()))
        return refuseJob(context, place, *problem);

    // The folder keeps only what this job writes: scripts of an earlier job
    // of the same number would otherwise run with it.
    if (!context.queue.openFolder(folder)) return refuseJob(context, place, notWritten(folder));
    // Every script is written before anything runs: the remux takes the files
    // the job's own steps will have made by then.
    ScriptContext written = scripts;
    const std::vector<std::string> temporaries = recipe.temporaries();
    written.fileExists = [&](const std::string& path) {
        for (const std::string& temporary : temporaries)
            if (equalsNoCase(temporary, path)) return true;
        return files.exists(path);
    };
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
    context.queue.complete(place.place, job);

    if (ui.columnCount(queueList) == 1) {
        ui.addColumn(queueList, "chemin", 300);
        ui.addColumn(queueList, "codec audio", 70);
        ui.addColumn(queueList, "sous titres", 70);
    }
    ui.addRow(queueList, job.row());

    clearCurrentFile(context);
    ui.setStatus("Choisir un fichier");
}

void processQueue(AppContext& context) {
    Ui& ui = context.ui;
    std::string problems;
    for (int place = 1;; ++place) {
        std::optional<Job> job = context.queue.start(place);
        if (!job) break;
        auto problem = runJob(context, *job);
        context.queue.finish(place, !problem, problem.value_or(""));
        ui.setRowColour(queueList, place - 1, problem ? RowColour::red : RowColour::green);
        if (problem && !problem->empty()) problems += job->name + " : " + *problem + "\r\n";
    }
    ui.setStatus("file d'attente traitée, choisir un fichier"_cp);
    if (!problems.empty()) ui.messageBox(informationTitle, problems);
    ui.messageBox(informationTitle, "file d'attente traitée"_cp);
    context.queue.endRun();
    ui.setProgress(progressBar, 0);
}

}  // namespace kx
