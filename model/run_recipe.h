// The recipe of one run or job, worked out once from its plan and choices:
// the tool steps in order, each with its script, tool, inputs and outputs,
// and what becomes of every output (a temporary, the kept subtitle, the
// result). The run, the job writer, the job's clean-up script, the checks
// made before a run, the log and the clean-up all read this one list.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/run_plan.h"
#include "model/script_text.h"

namespace kx {

enum class StepKind { extract, repair, transcode, remux };
enum class OutputRole { temporary, kept, result };

struct StepOutput {
    std::string path;
    std::string purgeName;  // as the job's clean-up script names it
    OutputRole role = OutputRole::temporary;
    int cleanUpRank = 0;  // place in the immediate run's clean-up
    int purgeRank = 0;    // place in the job's clean-up script
    bool toolLog = false;  // the tool's own log: its absence is no failure
};

struct RunStep {
    StepKind kind;
    std::string_view script;  // the batch file that starts the tool
    std::string_view tool;
    std::vector<std::string> inputs;
    std::vector<StepOutput> outputs;
    std::string_view status;        // immediate run: status text set before it; empty: none
    std::vector<int> progressAfter;  // immediate run: progress values set after it
    std::string_view jobStatusHead;  // queue run: status text, followed by the job's name when named
    bool jobStatusNamed = true;
    bool scriptKept = false;  // the run's clean-up leaves its script in place
    // The script's command pieces, from the options and files at the time of writing.
    std::function<ScriptPieces(const ScriptContext&)> pieces;

    std::string jobStatus(std::string_view jobName) const;
};

struct RunRecipe {
    RunPlan plan;
    RunChoices choices;
    std::vector<RunStep> steps;

    const RunStep* find(StepKind kind) const;
    // The tools' intermediate files in the immediate run's clean-up order.
    std::vector<std::string> temporaries() const;
    // Every file the job's clean-up script deletes, in its order and named as
    // it names them (the audio extension as the report gives it).
    std::vector<std::string> purgeNames() const;
    // The extracted subtitle left beside the source, or empty.
    std::string keptSubtitle() const;
    const std::string& result() const { return plan.remuxOutput; }
    // What the remux writes before the result is put in its place.
    const std::string& resultPart() const { return plan.remuxPart; }
    // Every file the run may write, replace or delete: the temporaries, the
    // clean-up's names, the kept subtitle, the remux's file and the result.
    std::vector<std::string> writtenNames() const;
    // Whether one of the steps makes the file (letter case aside): the
    // scripts take only such files, never a file of the user's of that name.
    bool makes(const std::string& path) const;
};

// A file both runs would use: their common source, else the first file one
// writes that the other writes or reads as its source; empty when they can
// run side by side.
std::string sharedName(const RunRecipe& mine, const RunRecipe& other);

RunRecipe makeRecipe(const RunPlan& plan, const RunChoices& choices);

// Every name the program's scripts may carry in a job folder.
inline constexpr std::string_view programScripts[] = {extractScriptName, dtsFixScriptName, eac3toScriptName,
                                                      remuxScriptName, purgeScriptName};

// The clean-up script of a queued job (every line ends with CR LF). The last
// line removes `jobFolder` itself when `removeFolder`.
std::string purgeScriptText(const RunRecipe& recipe, bool removeFolder, std::string_view jobFolder);

}  // namespace kx
