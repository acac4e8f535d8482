// What the loop's handlers do to the current source, the lists and the
// queue around the workers they start. The shell's handlers and the tests'
// bench both call these, so a test sets things up as the program does.
#pragma once

#include <string>
#include <vector>

#include "model/run_plan.h"
#include "model/script_text.h"
#include "workers/context.h"

namespace kx {

// Waits until no analysis runs, so a run never reads a half-made session.
void waitForAnalysis(AppContext& context);

// "Ouvrir", before the dialog: the tracks and the three lists forgotten and
// the old report deleted.
void forgetSource(AppContext& context);
// The file the dialog returned, before the path checks.
void chooseSource(AppContext& context, const std::string& chosen);
// The source to analyse (after the checks): its name shown and MediaInfo's arguments made.
void loadSource(AppContext& context, const std::string& path);
// "choisir un srt": the file (empty when cancelled) at the top of the subtitle list, chosen.
void addExternalSubtitle(AppContext& context, const std::string& srt);
// "Lancer !" and "Ajouter a la file": the user's choice taken from the window
// into the session. `selections`: the lists' selections as well; without
// them (an analysis still runs) the run takes the analysis' first items.
void captureChoice(AppContext& context, bool selections);

// The run plan of the current source, from the session and the settings.
RunPlan currentRunPlan(AppContext& context);
// The verdict on the chosen tracks with the settings of now, item by item
// (model/verdict.h); empty when no track was found.
std::vector<std::string> currentVerdict(AppContext& context);
// The status after an analysis, "analyse terminée", followed by the short verdict.
void showVerdict(AppContext& context);
// What the scripts read besides the plan.
ScriptContext currentScriptContext(AppContext& context);
// Empties the window for the next file and forgets the run's choices.
void clearCurrentFile(AppContext& context);

// "Ajouter a la file": a place in the queue for the new job (a finished
// queue's rows are removed first).
JobQueue::Place reserveJob(AppContext& context);
// "Effacer la file" and "Effacer le dernier élément".
void clearQueue(AppContext& context);
void removeLastJob(AppContext& context);

}  // namespace kx
