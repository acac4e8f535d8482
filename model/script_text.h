// The batch scripts of a run: extraction, audio repair, transcode, remux (both
// forms) and a queued job's clean-up. Each script is line 1 "cd Applications"
// and one command line built from pieces, with no line end after the last.
// Which scripts a run writes, and in what order, is its recipe's (run_recipe.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/options.h"
#include "platform/file_system.h"
#include "model/run_plan.h"

namespace kx {

// What the scripts read besides the run plan, taken when a script is written.
struct ScriptContext {
    // Value of a setting, the key given with its " = " (Option::dtsfix).
    std::function<std::string(Option option)> option;
    bool subtitleSelected = false;  // the subtitle list has a selection
    bool noSrtChecked = false;      // "no subtitles" is checked
    std::string srtPath;            // external subtitle file, or empty
    std::string srtCharset;         // its charset (textFileCharset), empty when it could not be read
    std::string frameRate;          // e.g. "23.976"
    // Whether a file exists at the moment the script is written.
    std::function<bool(const std::string& path)> fileExists;
};

using ScriptPieces = std::vector<std::string>;

// A queued job's scripts run in its job folder and start with "cd..".
enum class ScriptPlace { programFolder, jobFolder };
enum class RemuxForm { extraction, direct };

inline constexpr std::string_view extractScriptName = "mkvextract.bat";
inline constexpr std::string_view dtsFixScriptName = "dtsfix.bat";
inline constexpr std::string_view eac3toScriptName = "eac3to.bat";
inline constexpr std::string_view remuxScriptName = "mkvmerge.bat";
inline constexpr std::string_view purgeScriptName = "mkvpurge.bat";

// A name as a script must carry it: every "%" doubled, since the command
// interpreter expands %...% even between quotes.
std::string scriptName(std::string_view name);

// The file the transcode reads: the extracted track, for DTS the repaired one
// when `repaired`.
std::string transcodeInput(const RunPlan& plan, bool repaired);

// The extraction path is taken when Option::notranscode is "0" or Option::dtsfix is "1".
bool takesExtractionPath(const ScriptContext& context);
// A subtitle track of the source is extracted and muxed: one is selected,
// no external subtitle file is chosen and "no subtitles" is not checked.
bool subtitleChosen(const ScriptContext& context);
// The choices that decide which steps the run takes and which files it makes.
RunChoices runChoices(const ScriptContext& context);
// The frame rate as a script carries it: its digits and dots only.
std::string safeFrameRate(std::string_view frameRate);

// The audio delay in milliseconds (64-bit, saturating).
std::int64_t audioDelay(const RunPlan& plan);

ScriptPieces extractPieces(const RunPlan& plan, const ScriptContext& context);
ScriptPieces dtsFixPieces(const RunPlan& plan);
ScriptPieces eac3toPieces(const RunPlan& plan, const ScriptContext& context);
ScriptPieces remuxPieces(const RunPlan& plan, const ScriptContext& context, RemuxForm form);

// The whole file: ["cd.." CR LF] "cd Applications" CR LF, then the pieces.
std::string scriptText(ScriptPlace place, const ScriptPieces& pieces);

// Creates or truncates `path` with the script text, in the code page the
// command interpreter reads (FileSystem::writeScriptFile); false when it cannot.
bool writeScript(FileSystem& files, const std::string& path, ScriptPlace place, const ScriptPieces& pieces);

}  // namespace kx
