// The immediate run: the recipe's scripts written in the program's folder and
// run one after another, the log, the clean-up, the verdict and the reset.
// The run writes and deletes only the files it makes itself; success means
// the remux ended well and the result is a file this run made.
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
              int remuxStatus) {
    Settings& settings = context.settings;
    FileSystem& files = context.files;
    const RunPlan& plan = recipe.plan;
    RunLogSources sources;
    sources.version = programVersion;
    sources.sourceStem = sourceFolder + plan.baseName;
    sources.extractBat = files.readFile(home + "extract.bat");
    sources.mediaInfo = files.readFile(home + "mediainfo.txt");
    if (toLower(plan.audioFormat) == "dts" && settings.isOff(Option::notranscode))
        sources.mkvextractBat = files.readScriptFile(home + std::string(extractScriptName));
    sources.transcoderLog = files.readFile(sourceFolder + plan.baseName + " - Log.txt");
    sources.mkvmergeBat = files.readScriptFile(home + std::string(remuxScriptName));
    sources.remuxStatus = remuxStatus;
    files.writeFile(home + "log.txt", runLogText(sources));
}

}  // namespace

void runImmediate(AppContext& context) {
    Ui& ui = context.ui;
    Settings& settings = context.settings;
    FileSystem& files = context.files;
    waitForAnalysis(context);

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
    const ScriptContext scripts = currentScriptContext(context);
    const RunRecipe recipe = makeRecipe(plan, runChoices(scripts));
    if (auto problem = filesInTheWay(files, madeFiles(recipe), recipe.result())) {
        ui.messageBox(informationTitle, *problem);
        return;
    }

    ui.setStatus(extractingStatus);
    StepRunner runner(context, home, StepRunner::OnFailure::goOn);
    for (const RunStep& step : recipe.steps) {
        if (!step.status.empty()) ui.setStatus(step.status);
        runner.writeAndRun(step, ScriptPlace::programFolder, scripts);
        for (int value : step.progressAfter) ui.setProgress(progressBar, value);
    }
    // The remux's own status when it ran; a failure before it reads as one.
    const int remuxStatus = runner.lastStep() == remuxScriptName ? runner.lastStatus() : -1;

    if (settings.isOn(Option::createlog)) writeLog(context, recipe, home, state.source.folder, remuxStatus);
    if (settings.isOn(Option::openlog)) context.desktop.open(home + "log.txt");
    if (settings.isOn(Option::deletebat)) {
        // Only the scripts this run wrote, and the report it asked for.
        const std::vector<std::string>& written = runner.written();
        for (const RunStep& step : recipe.steps)
            if (!step.scriptKept && std::find(written.begin(), written.end(), step.script) != written.end())
                files.removeFile(home + std::string(step.script));
        files.removeFile(home + "mediainfo.txt");
    }

    ui.setProgress(progressBar, 100);
    ui.setStatus(remuxDoneStatus);
    if (settings.isOn(Option::soundenable)) context.desktop.playSound();

    bool success = runner.ok() && outputPresent(files, recipe.result(), plan.sourcePath);
    ui.messageBox(informationTitle, success ? processingSucceeded : processingFailed);

    // Every temporary is this run's own: none was there before it started.
    if (settings.isOn(Option::deletetemp))
        for (const std::string& path : recipe.temporaries()) removeTemporary(files, path);

    clearCurrentFile(context);
    context.desktop.open(settings.isOff(Option::remuxdest) ? state.source.folder
                                                           : settings.getOption(Option::cheminremux));
}

}  // namespace kx
