// Steps shared by the immediate run, the addition of a job and the queue
// run: reading the current choices, the checks made before anything is
// written, the clean-up rules and the verdict.
#pragma once

#include <string>

#include "workers/context.h"
#include "base/encoding.h"
#include "model/run_plan.h"
#include "model/script_text.h"

namespace kx {

inline constexpr std::string_view sourceWouldBeOverwritten = "Le fichier source serait écrasé : traitement annulé"_cp;

// Waits until no analysis runs, so the plan never reads a half-filled table.
void waitForAnalysis(AppContext& context);

// The run plan of the current file, from the window, the state and the settings.
RunPlan currentRunPlan(AppContext& context);
// What the scripts read, taken now (the controls' state at this moment).
ScriptContext currentScriptContext(AppContext& context);

// Whether the result or any file the run writes or deletes would be the
// source itself: such a run is refused before anything is touched.
bool touchesSource(FileSystem& files, const RunPlan& plan, const std::string& scriptFolder);

// A DTS repair of a track that is not DTS needs the transcode script:
// Option::notranscode becomes "0" and is saved.
void applyDtsFixRule(AppContext& context, const RunPlan& plan);
bool takesExtractionPath(Settings& settings);

// Starts a script of `folder` there, in a console the user sees, and waits for it.
StartResult runScript(AppContext& context, const std::string& folder, std::string_view name);
// Saves the settings; when the file cannot be written the user is told.
void saveSettings(AppContext& context);

// Deletes a temporary file the run made: the exact name, else the one entry
// of its folder that matches without regard to letter case. A name that
// ends in a lone dot (an empty format) is never deleted.
void removeTemporary(FileSystem& files, const std::string& path);
// Whether `path` exists, by its exact name or one that differs only in case.
bool existsAnyCase(FileSystem& files, const std::string& path);

// The result of a source: beside it as base + "_remux.mkv" when `remuxdest`
// is "0", otherwise in `cheminremux`. Empty when that folder is not set.
std::string expectedOutput(const std::string& sourcePath, const std::string& remuxdest,
                           const std::string& cheminremux);
// The result is there, and it is not the source itself.
bool outputPresent(FileSystem& files, const std::string& output, const std::string& sourcePath);

// Empties the window for the next file and forgets the run's choices.
void clearCurrentFile(AppContext& context);

}  // namespace kx
