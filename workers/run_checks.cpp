// The checks before a run or job, the clean-up rules and the result test.
#include "workers/run_checks.h"

#include <algorithm>

#include "base/text.h"
#include "ui/ui.h"

namespace kx {

namespace {

// A file of the name of one the run makes is already there and is not the program's.
std::string fileInTheWay(const std::string& path) {
    return std::string(fileInTheWayHead) + path + std::string(fileInTheWayTail);
}

// The first of `paths` for which a file or folder exists, by its exact name
// or by one that differs only in letter case; nothing when none does.
std::optional<std::string> firstPresent(FileSystem& files, const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (!path.empty() && existsAnyCase(files, path)) return path;
    return std::nullopt;
}

// Makes room for the result; false when something is still in the way.
bool clearOldResult(FileSystem& files, const std::string& result) {
    if (result.empty()) return false;
    std::int64_t size = files.fileSize(result);
    if (size == -1) return true;
    return size >= 0 && files.removeFile(result) && !files.exists(result);
}

}  // namespace

std::string notWritten(const std::string& path) {
    return std::string(notWrittenHead) + path + std::string(notWrittenTail);
}

bool touchesSource(FileSystem& files, const RunPlan& plan, const std::string& scriptFolder) {
    // Every file any run of this plan could make, whatever the choices, and
    // the files the program writes beside its scripts.
    RunRecipe every = makeRecipe(plan, RunChoices{true, true, true, true, false});
    std::vector<std::string> touched = every.temporaries();
    std::vector<std::string> purged = every.purgeNames();
    touched.insert(touched.end(), purged.begin(), purged.end());
    touched.push_back(every.result());
    touched.push_back(plan.basePath + ".dts");  // the kept DTS track
    for (std::string_view name : programScripts) touched.push_back(scriptFolder + std::string(name));
    for (std::string_view name : {"log.txt", "extract.bat"}) touched.push_back(scriptFolder + std::string(name));
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

std::vector<std::string> madeFiles(const RunRecipe& recipe) {
    std::vector<std::string> made = recipe.temporaries();
    std::vector<std::string> purged = recipe.purgeNames();
    made.insert(made.end(), purged.begin(), purged.end());
    if (std::string kept = recipe.keptSubtitle(); !kept.empty()) made.push_back(kept);
    return made;
}

std::optional<std::string> filesInTheWay(FileSystem& files, const std::vector<std::string>& made,
                                         const std::string& result) {
    if (auto present = firstPresent(files, made)) return fileInTheWay(*present);
    if (!clearOldResult(files, result)) return fileInTheWay(result);
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

bool outputPresent(FileSystem& files, const std::string& output, const std::string& sourcePath) {
    return !output.empty() && files.fileSize(output) >= 0 && !files.sameFile(output, sourcePath);
}

}  // namespace kx
