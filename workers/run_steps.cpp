// Steps shared by the three processing workers.
#include "workers/run_steps.h"

#include <algorithm>

#include "base/text.h"
#include "ui/ui.h"

namespace kx {

std::string fileInTheWay(const std::string& path) {
    return std::string("Un fichier que le traitement doit créer existe déjà : "_cp) + path +
           std::string("\r\nDéplacez-le ou renommez-le, puis recommencez : traitement annulé"_cp);
}

std::string notWritten(const std::string& path) {
    return std::string("Impossible d'écrire "_cp) + path + std::string(" : traitement annulé"_cp);
}

void waitForAnalysis(AppContext& context) {
    if (context.waitForAnalysis) context.waitForAnalysis();
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
    // Every file any run of this plan could make, whatever the choices, and
    // the files the program writes beside its scripts.
    RunChoices every{true, true, true, true, false};
    RunFiles made = runFiles(plan, every);
    std::vector<std::string> touched = made.temporaries;
    touched.insert(touched.end(), made.purgeNames.begin(), made.purgeNames.end());
    touched.push_back(made.result);
    touched.push_back(plan.basePath + ".dts");  // the kept DTS track
    for (std::string_view name : {"log.txt", "mkvextract.bat", "dtsfix.bat", "eac3to.bat", "mkvmerge.bat",
                                  "mkvpurge.bat", "extract.bat"})
        touched.push_back(scriptFolder + std::string(name));
    for (const std::string& path : touched)
        if (!path.empty() && (equalsNoCase(path, plan.sourcePath) || files.sameFile(path, plan.sourcePath)))
            return true;
    return false;
}

void applyDtsFixRule(AppContext& context, const RunPlan& plan) {
    if (context.settings.isOn(Option::dtsfix) && toLower(plan.audioFormat) != "dts") {
        context.settings.setOption(Option::notranscode, "0");
        saveSettings(context);
    }
}

std::optional<std::string> firstPresent(FileSystem& files, const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (!path.empty() && existsAnyCase(files, path)) return path;
    return std::nullopt;
}

bool clearOldResult(FileSystem& files, const std::string& result) {
    if (result.empty()) return false;
    std::int64_t size = files.fileSize(result);
    if (size == -1) return true;
    return size >= 0 && files.removeFile(result) && !files.exists(result);
}

std::optional<std::string> filesInTheWay(FileSystem& files, const RunFiles& run) {
    std::vector<std::string> made = run.temporaries;
    made.insert(made.end(), run.purgeNames.begin(), run.purgeNames.end());
    if (!run.keptSubtitle.empty()) made.push_back(run.keptSubtitle);
    if (auto present = firstPresent(files, made)) return fileInTheWay(*present);
    if (!clearOldResult(files, run.result)) return fileInTheWay(run.result);
    return std::nullopt;
}

namespace {

bool sameSource(FileSystem& files, const std::string& a, const std::string& b) {
    return equalsNoCase(a, b) || files.sameFile(a, b);
}

}  // namespace

SourceClaim::SourceClaim(AppContext& context, std::string source) : context_(context), source_(std::move(source)) {
    held_ = context_.state.with([this](AppState& s) {
        for (const std::string& busy : s.sourcesInWork)
            if (sameSource(context_.files, busy, source_)) return false;
        s.sourcesInWork.push_back(source_);
        return true;
    });
}

SourceClaim::~SourceClaim() {
    if (!held_) return;
    context_.state.with([this](AppState& s) {
        auto at = std::find(s.sourcesInWork.begin(), s.sourcesInWork.end(), source_);
        if (at != s.sourcesInWork.end()) s.sourcesInWork.erase(at);
    });
}

bool sourceInWork(AppContext& context, const std::string& source) {
    return context.state.with([&](AppState& s) {
        for (const std::string& busy : s.sourcesInWork)
            if (sameSource(context.files, busy, source)) return true;
        return false;
    });
}

StartResult runScript(AppContext& context, const std::string& folder, std::string_view name) {
    return context.launcher.run(name, "", folder, runWait);
}

bool endedWell(const StartResult& result) {
    return result.state == StartResult::State::started && (result.exitCode == 0 || result.exitCode == 1);
}

void saveSettings(AppContext& context) {
    if (!context.settings.saveOptions())
        context.ui.messageBox(informationTitle, settingsNotSaved(context.settings.path()));
}

void removeTemporary(FileSystem& files, const std::string& path) {
    if (path.empty() || endsWith(path, ".")) return;
    if (auto name = files.findAnyCase(path)) files.removeFile(*name);
}

bool existsAnyCase(FileSystem& files, const std::string& path) {
    if (files.exists(path)) return true;
    // Several entries that differ only in case count as present too.
    auto names = files.listFolder(folderPart(path));
    if (!names) return false;
    for (const std::string& entry : *names)
        if (equalsNoCase(entry, filePart(path))) return true;
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
    return !output.empty() && files.fileSize(output) >= 0 && !files.sameFile(output, sourcePath);
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
