// Steps shared by the three processing workers.
#include "workers/run_steps.h"

#include <chrono>
#include <thread>

#include "base/text.h"
#include "platform/files.h"
#include "ui/ui.h"

namespace kx {

void waitForAnalysis(AppContext& context) {
    while (context.analysisRunning && context.analysisRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

RunPlan currentRunPlan(AppContext& context) {
    Ui& ui = context.ui;
    RunInputs in;
    context.state.with([&](AppState& s) {
        in.sourcePath = s.sourcePath;
        in.tracks = s.trackTable;
    });
    in.videoItem = ui.itemText(videoCombo, ui.selected(videoCombo));
    in.audioItem = ui.itemText(audioCombo, ui.selected(audioCombo));
    in.subtitleSelected = ui.selected(subtitleCombo) >= 0;
    in.subtitleItem = ui.itemText(subtitleCombo, ui.selected(subtitleCombo));
    in.remuxdest = context.settings.getOption(Option::remuxdest);
    in.cheminremux = context.settings.getOption(Option::cheminremux);
    return makeRunPlan(in);
}

ScriptContext currentScriptContext(AppContext& context) {
    ScriptContext c;
    Settings& settings = context.settings;
    c.option = [&settings](Option key) { return settings.getOption(key); };
    c.subtitleSelected = context.ui.selected(subtitleCombo) >= 0;
    c.noSrtChecked = context.ui.checked(noSrtCheck);
    context.state.with([&](AppState& s) {
        c.srtPath = s.srtPath;
        c.frameRate = s.frameRate;
    });
    c.fileExists = [&files = context.files](const std::string& path) { return files.exists(path); };
    return c;
}

bool touchesSource(FileSystem& files, const RunPlan& plan, const std::string& scriptFolder) {
    const std::string& source = plan.sourcePath;
    const std::string& base = plan.basePath;
    const std::string touched[] = {
        plan.remuxOutput,          base + "_remux.mkv",     plan.videoFile,           plan.audioFile,
        plan.subFile,              base + ".ac3",           base + ".dts",            base + " - log.txt",
        base + "_log.txt",         base + "_fixed.ac3",     base + "_fixed.dts",      scriptFolder + "log.txt",
        scriptFolder + "mkvextract.bat", scriptFolder + "dtsfix.bat", scriptFolder + "eac3to.bat",
        scriptFolder + "mkvmerge.bat",   scriptFolder + "mkvpurge.bat", scriptFolder + "extract.bat"};
    for (const std::string& path : touched)
        if (!path.empty() && (equalsNoCase(path, source) || files.sameFile(path, source))) return true;
    return false;
}

void applyDtsFixRule(AppContext& context, const RunPlan& plan) {
    if (context.settings.isOn(Option::dtsfix) && toLower(plan.audioFormat) != "dts") {
        context.settings.setOption(Option::notranscode, "0");
        saveSettings(context);
    }
}

bool takesExtractionPath(Settings& settings) { return settings.isOff(Option::notranscode) || settings.isOn(Option::dtsfix); }

StartResult runScript(AppContext& context, const std::string& folder, std::string_view name) {
    return context.launcher.run(name, "", folder, runWait);
}

void saveSettings(AppContext& context) {
    if (!context.settings.saveOptions())
        context.ui.messageBox(informationTitle, settingsNotSaved(context.settings.path()));
}

void removeTemporary(FileSystem& files, const std::string& path) {
    if (path.empty() || endsWith(path, ".")) return;
    if (files.exists(path)) {
        files.removeFile(path);
        return;
    }
    auto names = files.listFolder(folderPart(path));
    if (!names) return;
    std::string name = filePart(path), found;
    for (const std::string& entry : *names) {
        if (!equalsNoCase(entry, name)) continue;
        if (!found.empty()) return;  // several: none is surely ours
        found = entry;
    }
    if (!found.empty()) files.removeFile(folderPart(path) + found);
}

bool existsAnyCase(FileSystem& files, const std::string& path) {
    if (files.exists(path)) return true;
    auto names = files.listFolder(folderPart(path));
    if (!names) return false;
    std::string name = filePart(path);
    for (const std::string& entry : *names)
        if (equalsNoCase(entry, name)) return true;
    return false;
}

std::string expectedOutput(const std::string& sourcePath, const std::string& remuxdest,
                           const std::string& cheminremux) {
    if (remuxdest != "0" && cheminremux.empty()) return {};
    RunInputs in;
    in.sourcePath = sourcePath;
    in.remuxdest = remuxdest;
    in.cheminremux = cheminremux;
    return makeRunPlan(in).remuxOutput;
}

bool outputPresent(FileSystem& files, const std::string& output, const std::string& sourcePath) {
    return !output.empty() && files.exists(output) && !files.sameFile(output, sourcePath);
}

void clearCurrentFile(AppContext& context) {
    Ui& ui = context.ui;
    ui.clearItems(videoCombo);
    ui.clearItems(audioCombo);
    ui.clearItems(subtitleCombo);
    ui.setText(frameRateField, "");
    ui.setText(fileNameField, "");
    context.state.with([](AppState& s) {
        s.srtPath.clear();
        s.trackTable = {};
    });
}

}  // namespace kx
