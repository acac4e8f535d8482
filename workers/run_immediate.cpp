// The immediate run: scripts written in the program's folder and run one
// after another, the log, the clean-up, the verdict and the reset. The run
// writes and deletes only the files it makes itself; success means every
// tool ended well and the result is a file this run made.
#include "workers/run_immediate.h"

#include <vector>

#include "base/encoding.h"
#include "base/text.h"
#include "model/run_log.h"
#include "workers/run_steps.h"
#include "ui/ui.h"

namespace kx {

namespace {

void writeLog(AppContext& context, const RunPlan& plan, const std::string& home, const std::string& sourceFolder,
              int remuxStatus) {
    Settings& settings = context.settings;
    FileSystem& files = context.files;
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

// The scripts of one run, each written then run. A script that cannot be
// written stops the chain (an older file of its name must never run instead);
// a tool's failure does not, as the remux's own status is the verdict.
class ScriptChain {
public:
    ScriptChain(AppContext& context, const std::string& folder) : context_(context), folder_(folder) {}

    // Writes a script with `write` (false when it could not) and runs it.
    template <typename Write>
    void step(std::string_view name, Write write) {
        if (!ok_) return;
        written_.push_back(std::string(name));
        lastStatus_ = -1;
        if (!write()) {
            ok_ = false;
            return;
        }
        StartResult result = runScript(context_, folder_, name);
        if (result.state == StartResult::State::started) lastStatus_ = result.exitCode;
    }
    // Every script was written and the last one ended well.
    bool ok() const { return ok_ && (lastStatus_ == 0 || lastStatus_ == 1); }
    int lastStatus() const { return lastStatus_; }
    const std::vector<std::string>& written() const { return written_; }

private:
    AppContext& context_;
    std::string folder_;
    bool ok_ = true;
    int lastStatus_ = -1;
    std::vector<std::string> written_;
};

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
    ScriptContext scripts = currentScriptContext(context);
    const RunFiles made = runFiles(plan, runChoices(scripts));
    if (auto problem = filesInTheWay(files, made)) {
        ui.messageBox(informationTitle, *problem);
        return;
    }

    ui.setStatus("Extraction en cours");
    const ScriptPlace place = ScriptPlace::programFolder;
    ScriptChain chain(context, home);
    if (takesExtractionPath(scripts)) {
        chain.step(extractScriptName, [&] { return writeExtractScript(files, home, place, plan, scripts); });
        ui.setProgress(progressBar, 40);
        if (settings.isOn(Option::dtsfix)) {
            ui.setStatus("nettoyage en cours");
            chain.step(dtsFixScriptName, [&] { return writeDtsFixScript(files, home, place, plan); });
        }
        ui.setProgress(progressBar, 50);
        if (settings.isOff(Option::notranscode)) {
            ui.setStatus("encodage en cours");
            chain.step(eac3toScriptName, [&] { return writeEac3toScript(files, home, place, plan, scripts); });
        }
        ui.setProgress(progressBar, 70);
        ui.setStatus("Remuxage en cours");
        chain.step(remuxScriptName, [&] {
            return writeRemuxScript(files, home, place, plan, currentScriptContext(context), RemuxForm::extraction);
        });
    } else {
        ui.setStatus("Remuxage en cours");
        chain.step(remuxScriptName, [&] {
            return writeRemuxScript(files, home, place, plan, currentScriptContext(context), RemuxForm::direct);
        });
    }
    // The remux's own status when it ran; a failure before it reads as one.
    const int remuxStatus = chain.written().back() == remuxScriptName ? chain.lastStatus() : -1;

    if (settings.isOn(Option::createlog)) writeLog(context, plan, home, state.sourceFolder, remuxStatus);
    if (settings.isOn(Option::openlog)) context.desktop.open(home + "log.txt");
    if (settings.isOn(Option::deletebat)) {
        // Only the scripts this run wrote, and the report it asked for.
        for (const std::string& name : chain.written())
            if (name != dtsFixScriptName) files.removeFile(home + name);
        files.removeFile(home + "mediainfo.txt");
    }

    ui.setProgress(progressBar, 100);
    ui.setStatus("Remuxage terminé, choisir un autre fichier pour une autre opération"_cp);
    if (settings.isOn(Option::soundenable)) context.desktop.playSound();

    bool success = chain.ok() && outputPresent(files, plan.remuxOutput, plan.sourcePath);
    ui.messageBox(informationTitle, success ? processingSucceeded : processingFailed);

    // Every temporary is this run's own: none was there before it started.
    if (settings.isOn(Option::deletetemp))
        for (const std::string& path : made.temporaries) removeTemporary(files, path);

    clearCurrentFile(context);
    context.desktop.open(settings.isOff(Option::remuxdest) ? state.sourceFolder
                                                           : settings.getOption(Option::cheminremux));
}

}  // namespace kx
