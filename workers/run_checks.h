// The checks made before a run or a job writes anything (the source, a file
// in the way, a source already in work), the clean-up's deletion rules and
// the verdict's test of the result.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/run_recipe.h"
#include "workers/context.h"

namespace kx {

// A script or job folder could not be written.
std::string notWritten(const std::string& path);

// Whether the result or any file the run writes or deletes would be the
// source itself: such a run is refused before anything is touched.
bool touchesSource(FileSystem& files, const RunPlan& plan, const std::string& scriptFolder);

// A DTS repair of a track that is not DTS needs the transcode script:
// Option::notranscode becomes "0" and is saved.
void applyDtsFixRule(AppContext& context, const RunPlan& plan);

// Checked before a run or job writes or runs anything: every file it may
// write (RunRecipe::writtenNames) is absent, or one the program made and
// nobody changed since. The message to show when something is in the way,
// nothing when the run may go on. Nothing is deleted here.
std::optional<std::string> filesInTheWay(FileSystem& files, MadeFiles& made, const RunRecipe& recipe);
// Checked when a run or job is prepared: no file it writes is written or
// read as a source by one of `others` (the queued jobs, the run in progress).
std::optional<std::string> otherWorkUses(const RunRecipe& recipe, const std::vector<RunRecipe>& others);

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

// The immediate run's hold on the files it writes, from its checks to its
// end. Not held (and `problem()` says why) when a queued or running job
// writes one of them or reads one as its source.
class RunClaim {
public:
    RunClaim(AppContext& context, const RunRecipe& recipe);
    ~RunClaim();
    RunClaim(const RunClaim&) = delete;
    RunClaim& operator=(const RunClaim&) = delete;
    const std::optional<std::string>& problem() const { return problem_; }

private:
    AppContext& context_;
    std::optional<std::string> problem_;
};
// Puts a prepared job in the queue at `place`, unless a file it writes is
// written or read as a source by another job or by the immediate run in
// progress: then the message to show, and the queue is unchanged.
std::optional<std::string> completeJob(AppContext& context, int place, Job job);

// Saves the settings; when the file cannot be written the user is told.
void saveSettings(AppContext& context);

// Deletes a temporary file the run made: the exact name, else the one entry
// of its folder that matches without regard to letter case. A name that
// ends in a lone dot (an empty format) is never deleted.
void removeTemporary(FileSystem& files, const std::string& path);
// Whether `path` exists, by its exact name or one that differs only in case.
bool existsAnyCase(FileSystem& files, const std::string& path);

}  // namespace kx
