// The immediate run: the recipe's scripts written in the program's folder and
// run one after another, the log, the clean-up, the verdict and the reset.
// The run writes and deletes only the files it makes itself; success means
// every step ended well and made its files, and the result is a file this
// run made. The first step that fails, or the user's stop, ends the run.
#include "workers/run_immediate.h"

#include <algorithm>

#include "base/encoding.h"
#include "base/text.h"
#include "model/run_log.h"
#include "workers/handlers.h"
#include "workers/run_checks.h"
#include "workers/step_runner.h"
#include "ui/ui.h"

namespace kx {

namespace {

void writeLog(AppContext& context, const RunRecipe& recipe, const std::string& home, const std::string& sourceFolder,
              int remuxStatus, const std::string& ending) {
    FileSystem& files = context.files;
    const RunPlan& plan = recipe.plan;
    RunLogSources sources;
    sources.version = programVersion;
    sources.sourceStem = sourceFolder + plan.baseName;
    sources.extractBat = files.readFile(home + "extract.bat");
    sources.mediaInfo = files.readFile(home + "mediainfo.txt");
    sources.verdict = currentVerdict(context);
    // What the recipe's steps wrote: the extraction script and the
    // transcoder's own log when the run transcoded, and the remux script.
    const RunStep* extract = recipe.find(StepKind::extract);
    const RunStep* transcode = recipe.find(StepKind::transcode);
    const RunStep* remux = recipe.find(StepKind::remux);
    if (extract && transcode) sources.mkvextractBat = files.readScriptFile(home + std::string(extract->script));
    if (transcode)
        for (const StepOutput& output : transcode->outputs)
            if (output.toolLog) sources.transcoderLog = files.readFile(output.path);
    if (remux) sources.mkvmergeBat = files.readScriptFile(home + std::string(remux->script));
    sources.remuxStatus = remuxStatus;
    sources.ending = ending;
    files.writeFile(home + "log.txt", runLogText(sources));
}

}  // namespace

void runImmediate(AppContext& context, std::optional<StopSignal> stop) {
    Ui& ui = context.ui;
    Settings& settings = context.settings;
    FileSystem& files = context.files;
    waitForAnalysis(context);
    if (!context.state.with([](AppState& s) { return s.source.hasTracks(); })) {
        ui.messageBox(informationTitle, noTrackToProcess);
        return;
    }

    RunPlan plan = currentRunPlan(context);
    AppState state = context.state.snapshot();
    const std::string& home = state.homeFolder;
    if (touchesSource(files, plan, home)) {
        ui.messageBox(informationTitle, sourceWouldBeOverwritten);
        return;
    }
    SourceClaim claim(context, plan.sourcePath);
    if (!claim.held()) {
        ui.messageBox(informationTitle, sourceAlreadyInWork);
        return;
    }

    applyDtsFixRule(context, plan);
    ScriptContext scripts = currentScriptContext(context);
    const RunRecipe recipe = makeRecipe(plan, runChoices(scripts));
    // The scripts take the files this run makes, never a user's file of such a name.
    scripts.fileExists = [&](const std::string& path) { return recipe.makes(path) && files.exists(path); };
    RunClaim work(context, recipe);
    if (work.problem()) {
        ui.messageBox(informationTitle, *work.problem());
        return;
    }
    if (auto problem = filesInTheWay(files, context.made, recipe)) {
        ui.messageBox(informationTitle, *problem);
        return;
    }

    ui.setStatus(extractingStatus);
    std::string shown(extractingStatus);
    StepRunner runner(context, home, stop);
    for (const RunStep& step : recipe.steps) {
        if (!runner.ok()) break;
        if (!step.status.empty()) ui.setStatus(shown = step.status);
        runner.watchNext(stepWatch(files, recipe, step, step.jobStatusNamed ? namedStatus(shown, plan.baseName) : shown,
                                   shown));
        runner.writeAndRun(step, ScriptPlace::programFolder, scripts);
        if (runner.ok())
            for (int value : step.progressAfter) ui.setProgress(progressBar, value);
    }
    runner.verify(recipe, recipe.resultPart());
    runner.placeResult(recipe);
    if (!runner.ok()) runner.removeUnfinished(recipe);
    // The remux's own status when it ran; a failure before it is told by the ending.
    const bool remuxRan = runner.lastStep() == remuxScriptName;
    const int remuxStatus = remuxRan ? runner.lastStatus() : 0;
    // The log's mkvmerge line tells of a remux that did not end well; any other failure is the ending.
    const bool remuxTold = remuxRan && remuxStatus != 0 && remuxStatus != 1;
    const std::string ending = runner.cancelled() ? std::string(runCancelled) : remuxTold ? "" : runner.failure();

    if (settings.isOn(Option::createlog)) writeLog(context, recipe, home, state.source.folder, remuxStatus, ending);
    if (settings.isOn(Option::openlog)) context.desktop.open(home + "log.txt");
    if (settings.isOn(Option::deletebat)) {
        // Only the scripts this run wrote, and the report it asked for.
        const std::vector<std::string>& written = runner.written();
        for (const RunStep& step : recipe.steps)
            if (!step.scriptKept && std::find(written.begin(), written.end(), step.script) != written.end())
                files.removeFile(home + std::string(step.script));
        files.removeFile(home + "mediainfo.txt");
    }

    if (runner.cancelled()) {
        // Stopped by the user: the status says so, no verdict, nothing opened.
        for (const std::string& path : recipe.temporaries()) removeTemporary(files, path);
        ui.setProgress(progressBar, 0);
        ui.setStatus(runCancelled);
        clearCurrentFile(context);
        return;
    }

    ui.setProgress(progressBar, 100);
    ui.setStatus(remuxDoneStatus);
    if (settings.isOn(Option::soundenable)) context.desktop.playSound();

    const bool success = runner.ok();
    std::string message(success ? processingSucceeded : processingFailed);
    if (!runner.failure().empty()) message += "\r\n" + runner.failure();
    ui.messageBox(informationTitle, message);

    // Every temporary is this run's own: none was there before it started.
    // A failed run leaves none of them either.
    if (settings.isOn(Option::deletetemp) || !runner.ok())
        for (const std::string& path : recipe.temporaries()) removeTemporary(files, path);

    clearCurrentFile(context);
    context.desktop.open(settings.isOff(Option::remuxdest) ? state.source.folder
                                                           : settings.getOption(Option::cheminremux));
}

}  // namespace kx
