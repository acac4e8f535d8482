// The immediate run: scripts written in the program's folder and run one
// after another, the log, the clean-up, the verdict and the reset.
#include "workers/run_immediate.h"

#include <vector>

#include "base/text.h"
#include "base/encoding.h"
#include "platform/files.h"
#include "model/run_log.h"
#include "workers/run_steps.h"
#include "ui/ui.h"

namespace kx {

namespace {

void writeLog(AppContext& context, const RunPlan& plan, const std::string& home, const std::string& sourceFolder) {
    Settings& settings = context.settings;
    RunLogSources sources;
    sources.version = programVersion;
    sources.sourceStem = sourceFolder + plan.baseName;
    sources.extractBat = context.files.readFile(home + "extract.bat");
    sources.mediaInfo = context.files.readFile(home + "mediainfo.txt");
    if (toLower(plan.audioFormat) == "dts" && settings.isOff(Option::notranscode))
        sources.mkvextractBat = context.files.readScriptFile(home + std::string(extractScriptName));
    sources.transcoderLog = context.files.readFile(sourceFolder + plan.baseName + " - Log.txt");
    sources.mkvmergeBat = context.files.readScriptFile(home + std::string(remuxScriptName));
    context.files.writeFile(home + "log.txt", runLogText(sources));
}

}  // namespace

void runImmediate(AppContext& context) {
    Ui& ui = context.ui;
    Settings& settings = context.settings;
    waitForAnalysis(context);

    RunPlan plan = currentRunPlan(context);
    AppState state = context.state.snapshot();
    const std::string& home = state.homeFolder;
    if (touchesSource(context.files, plan, home)) {
        ui.messageBox(informationTitle, sourceWouldBeOverwritten);
        return;
    }

    ui.setStatus("Extraction en cours");
    removeTemporary(context.files, plan.basePath + "_remux.mkv");
    applyDtsFixRule(context, plan);

    // The clean-up deletes only what this run made: files of these names
    // that are there before it starts are the user's or an earlier run's.
    const std::string& base = plan.basePath;
    const std::vector<std::string> temporaries = {base + ".ac3",       base + " - log.txt", base + "_log.txt",
                                                  base + "_fixed.ac3", base + "_fixed.dts", plan.videoFile,
                                                  plan.audioFile,      plan.subFile};
    std::vector<bool> there;
    for (const std::string& path : temporaries) there.push_back(!path.empty() && existsAnyCase(context.files, path));

    if (takesExtractionPath(settings)) {
        writeExtractScript(context.files, home, ScriptPlace::programFolder, plan, currentScriptContext(context));
        runScript(context, home, extractScriptName);
        ui.setProgress(progressBar, 40);
        if (settings.isOn(Option::dtsfix)) {
            writeDtsFixScript(context.files, home, ScriptPlace::programFolder, plan);
            ui.setStatus("nettoyage en cours");
            runScript(context, home, dtsFixScriptName);
        }
        ui.setProgress(progressBar, 50);
        if (settings.isOff(Option::notranscode)) {
            writeEac3toScript(context.files, home, ScriptPlace::programFolder, plan, currentScriptContext(context));
            ui.setStatus("encodage en cours");
            runScript(context, home, eac3toScriptName);
        }
        ui.setProgress(progressBar, 70);
        writeRemuxScript(context.files, home, ScriptPlace::programFolder, plan, currentScriptContext(context), RemuxForm::extraction);
    } else {
        writeRemuxScript(context.files, home, ScriptPlace::programFolder, plan, currentScriptContext(context), RemuxForm::direct);
    }
    ui.setStatus("Remuxage en cours");
    runScript(context, home, remuxScriptName);

    if (settings.isOn(Option::createlog)) writeLog(context, plan, home, state.sourceFolder);
    if (settings.isOn(Option::openlog)) context.desktop.open(home + "log.txt");
    if (settings.isOn(Option::deletebat)) {
        // extract.bat goes into the log when present, but this program never
        // writes it, so it is not the program's to delete.
        for (std::string_view name : {eac3toScriptName, extractScriptName, remuxScriptName,
                                      std::string_view("mediainfo.txt")})
            context.files.removeFile(home + std::string(name));
    }

    ui.setProgress(progressBar, 100);
    ui.setStatus("Remuxage terminé, choisir un autre fichier pour une autre opération"_cp);
    if (settings.isOn(Option::soundenable)) context.desktop.playSound();

    bool success = outputPresent(context.files, plan.remuxOutput, plan.sourcePath);
    ui.messageBox(informationTitle, success ? "Le traitement s'est bien passé"_cp
                                       : "Il y'a eu un problème lors du traitement"_cp);

    if (settings.isOn(Option::deletetemp)) {
        bool withSubtitle = ui.selected(subtitleCombo) >= 0 && settings.isOff(Option::muxsrt);
        for (std::size_t i = 0; i < temporaries.size(); ++i) {
            bool isSubtitle = i + 1 == temporaries.size();
            if (!there[i] && (!isSubtitle || withSubtitle)) removeTemporary(context.files, temporaries[i]);
        }
    }

    clearCurrentFile(context);
    context.desktop.open(settings.isOff(Option::remuxdest) ? state.sourceFolder : settings.getOption(Option::cheminremux));
}

}  // namespace kx
