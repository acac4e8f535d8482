// The checks made before a run or a job writes anything (the source, a file
// in the way, a source already in work), the clean-up's deletion rules and
// the verdict's test of the result.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "model/run_recipe.h"
#include "workers/context.h"

namespace kx {

inline constexpr std::string_view sourceWouldBeOverwritten = "Le fichier source serait écrasé : traitement annulé"_cp;
inline constexpr std::string_view sourceAlreadyInWork =
    "Ce fichier est déjà en cours de traitement : traitement annulé"_cp;
inline constexpr std::string_view processingSucceeded = "Le traitement s'est bien passé"_cp;
inline constexpr std::string_view processingFailed = "Il y'a eu un problème lors du traitement"_cp;
// The second line of a failure: "Étape en échec : mkvextract (code de sortie 2)".
inline constexpr std::string_view stepFailedHead = "Étape en échec : "_cp;
inline constexpr std::string_view stepExitStatus = "code de sortie "_cp;
inline constexpr std::string_view stepNotStarted = "non lancée"_cp;
inline constexpr std::string_view stepNotWritten = "script non écrit"_cp;
inline constexpr std::string_view stepFileMissing = "fichier manquant : "_cp;
// A run stopped by "Annuler": the status and the log's last line.
inline constexpr std::string_view runCancelled = "traitement annulé"_cp;
// "Lancer !" while the immediate run goes on.
inline constexpr std::string_view runAlreadyGoing = "Un traitement est déjà en cours"_cp;
// A script or job folder could not be written.
std::string notWritten(const std::string& path);

// Whether the result or any file the run writes or deletes would be the
// source itself: such a run is refused before anything is touched.
bool touchesSource(FileSystem& files, const RunPlan& plan, const std::string& scriptFolder);

// A DTS repair of a track that is not DTS needs the transcode script:
// Option::notranscode becomes "0" and is saved.
void applyDtsFixRule(AppContext& context, const RunPlan& plan);

// Every name of a file the recipe makes beside the source, the result aside:
// its temporaries, then the job clean-up's names, then the kept subtitle.
std::vector<std::string> madeFiles(const RunRecipe& recipe);
// Everything checked before a run or job writes or runs anything: none of
// `made` is there and `result` can be written. The message to show when
// something is in the way, nothing when the run may go on. An earlier
// result of exactly the result's name is deleted to make room (never a name
// that differs in case, never a folder).
std::optional<std::string> filesInTheWay(FileSystem& files, const std::vector<std::string>& made,
                                         const std::string& result);

// Marks a source as being processed for the object's lifetime; `held()` is
// false (and nothing is marked) when another run already processes it.
class SourceClaim {
public:
    SourceClaim(AppContext& context, std::string source);
    ~SourceClaim();
    SourceClaim(const SourceClaim&) = delete;
    SourceClaim& operator=(const SourceClaim&) = delete;
    bool held() const { return held_; }

private:
    AppContext& context_;
    std::string source_;
    bool held_ = false;
};
bool sourceInWork(AppContext& context, const std::string& source);

// Saves the settings; when the file cannot be written the user is told.
void saveSettings(AppContext& context);

// Deletes a temporary file the run made: the exact name, else the one entry
// of its folder that matches without regard to letter case. A name that
// ends in a lone dot (an empty format) is never deleted.
void removeTemporary(FileSystem& files, const std::string& path);
// Whether `path` exists, by its exact name or one that differs only in case.
bool existsAnyCase(FileSystem& files, const std::string& path);

// The result is a file (not a folder) and not the source itself.
bool outputPresent(FileSystem& files, const std::string& output, const std::string& sourcePath);

}  // namespace kx
