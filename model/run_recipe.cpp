// The steps of a run and the files each makes, and the views the run, the
// job and the checks take of them.
#include "model/run_recipe.h"

#include <algorithm>

#include "base/encoding.h"
#include "base/text.h"
#include "ui/texts.h"

namespace kx {

namespace {

std::string withoutFinalSeparator(std::string_view folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.remove_suffix(1);
    return std::string(folder);
}

RunStep newStep(StepKind kind, std::string_view script, std::string_view tool, std::string_view status,
             std::string_view jobStatusHead, std::vector<std::string> inputs) {
    RunStep made;
    made.kind = kind;
    made.script = script;
    made.tool = tool;
    made.status = status;
    made.jobStatusHead = jobStatusHead;
    made.inputs = std::move(inputs);
    return made;
}

StepOutput temporary(std::string path, int cleanUpRank, int purgeRank, std::string purgeName = {}) {
    if (purgeName.empty()) purgeName = path;
    return {std::move(path), std::move(purgeName), OutputRole::temporary, cleanUpRank, purgeRank};
}

// Outputs ordered by `rank`, each named by `name`, without a second name
// that differs only in letter case.
template <typename Rank, typename Name, typename Keep>
std::vector<std::string> view(const RunRecipe& recipe, Rank rank, Name name, Keep keep) {
    std::vector<const StepOutput*> outputs;
    for (const RunStep& step : recipe.steps)
        for (const StepOutput& output : step.outputs)
            if (keep(output)) outputs.push_back(&output);
    std::stable_sort(outputs.begin(), outputs.end(),
                     [&](const StepOutput* a, const StepOutput* b) { return rank(*a) < rank(*b); });
    std::vector<std::string> names;
    for (const StepOutput* output : outputs) {
        const std::string& path = name(*output);
        if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return equalsNoCase(n, path); }))
            names.push_back(path);
    }
    return names;
}

RunStep extractStep(const RunPlan& plan, const RunChoices& choices) {
    RunStep step = newStep(StepKind::extract, extractScriptName, "mkvextract.exe", "", extractingJobHead,
                            {plan.sourcePath});
    step.progressAfter = {40};
    step.pieces = [plan](const ScriptContext& c) { return extractPieces(plan, c); };
    step.outputs.push_back(temporary(plan.videoFile, 6, 6));
    // A lone dot (no audio format) names no file of this run.
    // The clean-up script names a track file as the report names its format
    // when that is its extension too ("film.DTS").
    if (!endsWith(plan.audioFile, "."))
        step.outputs.push_back(temporary(plan.audioFile, 7, 7,
                                         toLower(plan.audioFormat) == plan.audioExtension
                                             ? plan.basePath + "." + plan.audioFormat
                                             : plan.audioFile));
    if (choices.subtitleExtracted && !plan.subFile.empty()) {
        StepOutput subtitle = temporary(plan.subFile, 8, 8);
        if (choices.keepSubtitle) subtitle.role = OutputRole::kept;
        step.outputs.push_back(subtitle);
    }
    return step;
}

RunStep repairStep(const RunPlan& plan) {
    const std::string& base = plan.basePath;
    RunStep step = newStep(StepKind::repair, dtsFixScriptName, "delaycut.exe", repairingStatus,
                            repairingStatus, {plan.audioFile});
    step.progressAfter = {50};
    step.jobStatusNamed = false;
    step.scriptKept = true;
    step.pieces = [plan](const ScriptContext&) { return dtsFixPieces(plan); };
    std::string repaired = base + "_fixed." + plan.audioExtension;
    if (repaired == base + "_fixed.ac3")
        step.outputs.push_back(temporary(repaired, 3, 2));
    else if (repaired == base + "_fixed.dts")
        step.outputs.push_back(temporary(repaired, 4, 1));
    else if (!endsWith(plan.audioFile, "."))
        step.outputs.push_back(temporary(repaired, 5, 3));
    step.outputs.push_back(temporary(base + "_log.txt", 2, 4));
    step.outputs.back().toolLog = true;
    return step;
}

RunStep transcodeStep(const RunPlan& plan, const RunChoices& choices) {
    const std::string& base = plan.basePath;
    RunStep step = newStep(StepKind::transcode, eac3toScriptName, "eac3to.exe", transcodingStatus, transcodingJobHead,
                            {transcodeInput(plan, choices.repair)});
    step.progressAfter = {70};
    step.pieces = [plan](const ScriptContext& c) { return eac3toPieces(plan, c); };
    step.outputs.push_back(temporary(base + ".ac3", 0, 0));
    step.outputs.push_back(temporary(base + " - Log.txt", 1, 5, base + " - log.txt"));
    step.outputs.back().toolLog = true;
    return step;
}

RunStep remuxStep(const RunPlan& plan, const RunChoices& choices) {
    RunStep step = newStep(StepKind::remux, remuxScriptName, "mkvmerge.exe", remuxingStatus, remuxingJobHead,
                            choices.extraction ? std::vector<std::string>{plan.videoFile, plan.audioFile}
                                               : std::vector<std::string>{plan.sourcePath});
    const RemuxForm form = choices.extraction ? RemuxForm::extraction : RemuxForm::direct;
    step.pieces = [plan, form](const ScriptContext& c) { return remuxPieces(plan, c, form); };
    step.outputs.push_back({plan.remuxPart, plan.remuxPart, OutputRole::result, 0, 0});
    return step;
}

}  // namespace

std::string RunStep::jobStatus(std::string_view jobName) const {
    std::string text(jobStatusHead);
    return jobStatusNamed ? text + std::string(jobName) + std::string(jobStatusTail) : text;
}

RunRecipe makeRecipe(const RunPlan& plan, const RunChoices& choices) {
    RunRecipe recipe{plan, choices, {}};
    if (choices.extraction) {
        recipe.steps.push_back(extractStep(plan, choices));
        if (choices.repair) recipe.steps.push_back(repairStep(plan));
        // The progress marks of a step left out come after the step before.
        else recipe.steps.back().progressAfter.push_back(50);
        if (choices.transcode && plan.audioConverted) recipe.steps.push_back(transcodeStep(plan, choices));
        else recipe.steps.back().progressAfter.push_back(70);
    }
    recipe.steps.push_back(remuxStep(plan, choices));
    return recipe;
}

const RunStep* RunRecipe::find(StepKind kind) const {
    for (const RunStep& step : steps)
        if (step.kind == kind) return &step;
    return nullptr;
}

std::vector<std::string> RunRecipe::temporaries() const {
    return view(
        *this, [](const StepOutput& o) { return o.cleanUpRank; }, [](const StepOutput& o) { return o.path; },
        [](const StepOutput& o) { return o.role == OutputRole::temporary; });
}

std::vector<std::string> RunRecipe::purgeNames() const {
    return view(
        *this, [](const StepOutput& o) { return o.purgeRank; }, [](const StepOutput& o) { return o.purgeName; },
        [](const StepOutput& o) { return o.role == OutputRole::temporary; });
}

std::vector<std::string> RunRecipe::writtenNames() const {
    std::vector<std::string> names = temporaries();
    for (const std::string& name : purgeNames()) names.push_back(name);
    if (std::string kept = keptSubtitle(); !kept.empty()) names.push_back(kept);
    names.push_back(resultPart());
    names.push_back(result());
    return names;
}

bool RunRecipe::makes(const std::string& path) const {
    for (const RunStep& step : steps)
        for (const StepOutput& output : step.outputs)
            if (equalsNoCase(output.path, path)) return true;
    return false;
}

std::string sharedName(const RunRecipe& mine, const RunRecipe& other) {
    auto among = [](const std::string& name, const std::vector<std::string>& names) {
        return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return equalsNoCase(n, name); });
    };
    // The same source twice: all of their files would be shared.
    if (equalsNoCase(mine.plan.sourcePath, other.plan.sourcePath)) return mine.plan.sourcePath;
    const std::vector<std::string> mineWrites = mine.writtenNames(), otherWrites = other.writtenNames();
    for (const std::string& name : mineWrites)
        if (!name.empty() && (among(name, otherWrites) || equalsNoCase(name, other.plan.sourcePath))) return name;
    if (among(mine.plan.sourcePath, otherWrites)) return mine.plan.sourcePath;
    return {};
}

std::string RunRecipe::keptSubtitle() const {
    for (const RunStep& step : steps)
        for (const StepOutput& output : step.outputs)
            if (output.role == OutputRole::kept) return output.path;
    return {};
}

std::string purgeScriptText(const RunRecipe& recipe, bool removeFolder, std::string_view jobFolder) {
    // Only what the job makes is deleted: a file of the same name that the
    // job does not make is the user's own.
    std::string text;
    for (const std::string& name : recipe.purgeNames()) text += "del \"" + scriptName(name) + "\"\r\n";
    if (removeFolder) text += "RD /S /Q \"" + scriptName(withoutFinalSeparator(jobFolder)) + "\"\r\n";
    return text;
}

}  // namespace kx
