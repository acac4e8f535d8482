// Adding a job (its folder, scripts and row) and the queue run. Every script
// is started with its job folder as working folder, so runs, additions and
// the queue never depend on a shared current folder.
#include "workers/queue.h"

#include "base/text.h"
#include "base/encoding.h"
#include "platform/files.h"
#include "workers/run_steps.h"
#include "ui/ui.h"

namespace kx {

namespace {

std::string jobFolder(const std::string& home, int job) {
    return home + "job" + std::to_string(job) + fs::separator();
}

// Runs one job's scripts in order; false when its folder is missing.
bool runJob(AppContext& context, const std::string& folder, const std::string& name) {
    if (!context.files.isFolder(folder)) return false;
    Ui& ui = context.ui;
    Settings& settings = context.settings;
    bool transcodes = context.files.exists(folder + std::string(eac3toScriptName));
    if (transcodes || settings.isOn(Option::dtsfix)) {
        ui.setStatus("extraction de " + name + " en cours");
        runScript(context, folder, extractScriptName);
        if (settings.isOn(Option::dtsfix)) {
            ui.setStatus("nettoyage en cours");
            runScript(context, folder, dtsFixScriptName);
        }
        if (transcodes) {
            ui.setStatus("encodage de " + name + " en cours");
            runScript(context, folder, eac3toScriptName);
        }
    }
    ui.setStatus("remuxage de " + name + " en cours");
    runScript(context, folder, remuxScriptName);
    if (settings.isOn(Option::deletetemp)) runScript(context, folder, purgeScriptName);
    return true;
}

}  // namespace

void addJob(AppContext& context) {
    Ui& ui = context.ui;
    Settings& settings = context.settings;
    const int job = context.state.with([](AppState& s) { return s.queueCount; });
    ui.setStatus("Création des fichiers .bat"_cp);
    waitForAnalysis(context);

    RunPlan plan = currentRunPlan(context);
    const std::string home = context.state.with([](AppState& s) { return s.homeFolder; });
    const std::string folder = jobFolder(home, job);
    if (touchesSource(context.files, plan, folder)) {
        // The job is refused: its number is given back and the file stays loaded.
        context.state.with([job](AppState& s) {
            if (s.queueCount == job) --s.queueCount;
        });
        ui.messageBox(informationTitle, sourceWouldBeOverwritten);
        ui.setStatus("Choisir un fichier");
        return;
    }

    removeTemporary(context.files, plan.basePath + "_remux.mkv");
    applyDtsFixRule(context, plan);
    context.files.makeFolder(folder);
    const ScriptPlace place = ScriptPlace::jobFolder;
    if (takesExtractionPath(settings)) {
        writeExtractScript(context.files, folder, place, plan, currentScriptContext(context));
        if (settings.isOn(Option::dtsfix)) writeDtsFixScript(context.files, folder, place, plan);
        if (settings.isOff(Option::notranscode)) writeEac3toScript(context.files, folder, place, plan, currentScriptContext(context));
        writeRemuxScript(context.files, folder, place, plan, currentScriptContext(context), RemuxForm::extraction);
    } else {
        writeRemuxScript(context.files, folder, place, plan, currentScriptContext(context), RemuxForm::direct);
    }
    ui.setFocus(queueList);
    ScriptContext scripts = currentScriptContext(context);
    writePurgeScript(context.files, folder, plan, scripts);

    if (ui.columnCount(queueList) == 1) {
        ui.addColumn(queueList, "chemin", 300);
        ui.addColumn(queueList, "codec audio", 70);
        ui.addColumn(queueList, "sous titres", 70);
    }
    bool subtitleChosen = scripts.subtitleSelected && scripts.srtPath.empty() && !scripts.noSrtChecked;
    ui.addRow(queueList, {plan.baseName, plan.sourcePath, plan.audioFormat, subtitleChosen ? plan.subLang : ""});

    clearCurrentFile(context);
    ui.setStatus("Choisir un fichier");
}

void processQueue(AppContext& context) {
    Ui& ui = context.ui;
    Settings& settings = context.settings;
    const std::string home = context.state.with([](AppState& s) { return s.homeFolder; });
    for (int n = 1; n <= context.state.with([](AppState& s) { return s.queueCount; }); ++n) {
        int row = n - 1;
        std::string name = ui.cellText(queueList, row, 0);
        bool ran = runJob(context, jobFolder(home, n), name);
        std::string source = ui.cellText(queueList, row, 1);
        std::string output =
            expectedOutput(source, settings.getOption(Option::remuxdest), settings.getOption(Option::cheminremux));
        bool present = ran && !source.empty() && outputPresent(context.files, output, source);
        ui.setRowColour(queueList, row, present ? RowColour::green : RowColour::red);
    }
    ui.setStatus("file d'attente traitée, choisir un fichier"_cp);
    ui.messageBox(informationTitle, "file d'attente traitée"_cp);
    context.state.with([](AppState& s) { s.queueCount = 0; });
    ui.setProgress(progressBar, 0);
}

}  // namespace kx
