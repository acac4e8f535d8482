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

}  // namespace

std::string notWritten(const std::string& path) {
    return std::string(notWrittenHead) + path + std::string(notWrittenTail);
}

bool touchesSource(FileSystem& files, const RunPlan& plan, const std::string& scriptFolder) {
    // Every file any run of this plan could make, whatever the choices, and
    // the files the program writes beside its scripts.
    RunRecipe every = makeRecipe(plan, RunChoices{true, true, true, true, false});
    std::vector<std::string> touched = every.writtenNames();
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

std::optional<std::string> filesInTheWay(FileSystem& files, MadeFiles& made, const RunRecipe& recipe) {
    // The result's folder (the remux folder, or the source's) must be there before anything is made.
    if (const std::string folder = folderPart(recipe.result()); !folder.empty() && !files.isFolder(folder))
        return std::string(resultFolderMissingHead) + folder + std::string(notWrittenTail);
    for (const std::string& path : recipe.writtenNames()) {
        if (path.empty()) continue;
        // A file the program made and that nobody changed since may be
        // replaced; it is removed only when the step that makes it again starts.
        if (!existsAnyCase(files, path)) continue;
        if (auto name = files.findAnyCase(path); name && made.owns(*name)) continue;
        return fileInTheWay(path);
    }
    return std::nullopt;
}

std::optional<std::string> otherWorkUses(const RunRecipe& recipe, const std::vector<RunRecipe>& others) {
    for (const RunRecipe& other : others)
        if (std::string name = sharedName(recipe, other); !name.empty())
            return std::string(usedByOtherWorkHead) + name + std::string(notWrittenTail);
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

RunClaim::RunClaim(AppContext& context, const RunRecipe& recipe) : context_(context) {
    problem_ = context_.state.with([&](AppState& s) {
        auto problem = otherWorkUses(recipe, context_.queue.recipesInWork());
        if (!problem) s.immediateRun = recipe;
        return problem;
    });
}

RunClaim::~RunClaim() {
    if (!problem_) context_.state.with([](AppState& s) { s.immediateRun.reset(); });
}

std::optional<std::string> completeJob(AppContext& context, int place, Job job) {
    // Under the state's lock, so a run that starts now sees the job, or the job the run.
    return context.state.with([&](AppState& s) {
        std::vector<RunRecipe> others = context.queue.recipesInWork(place);
        if (s.immediateRun) others.push_back(*s.immediateRun);
        auto problem = otherWorkUses(job.recipe, others);
        if (!problem) context.queue.complete(place, std::move(job));
        return problem;
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

}  // namespace kx
