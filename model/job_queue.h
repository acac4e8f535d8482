// The job queue: the jobs in the order they were added, each with its
// recipe, its folder, its state and its result. The only place that hands
// out, reuses and frees job folders ("job" + number beside the program).
// Safe to use from the loop and the workers at once.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "model/run_recipe.h"
#include "platform/file_system.h"

namespace kx {

enum class JobState { adding, queued, running, done, failed };

struct Job {
    std::string folder;  // ends in a separator
    std::string name;    // the source's name without its extension
    std::string source;  // the source's path
    std::string audioFormat;
    std::string subtitleLanguage;  // empty when no subtitle track is chosen
    RunRecipe recipe;
    JobState state = JobState::adding;
    std::string problem;  // what the user is told of a failure, empty when nothing

    // The job's row in the queue list.
    std::vector<std::string> row() const { return {name, source, audioFormat, subtitleLanguage}; }
};

class JobQueue {
public:
    explicit JobQueue(FileSystem& files) : files_(files) {}

    struct Place {
        int place = 0;       // 1 for the first job of the queue
        std::string folder;  // its folder, ending in a separator
        bool firstOfQueue = false;
    };
    // A new job at the end, being added. Its folder is `home` + "job" + its
    // place, unless the job the queue run is processing has that folder:
    // then the next number that no job uses.
    Place add(const std::string& home);
    // Makes the job's folder and empties it of the program's scripts, so
    // only what this job writes runs with it. False when it cannot.
    bool openFolder(const std::string& folder);
    // Removes the program's scripts from a folder; false when one stays.
    bool emptyFolder(const std::string& folder);
    // The job at `place` is complete and waits for the queue run.
    void complete(int place, Job job);
    // An addition that did not complete gives its place back, when it is still the last.
    void giveBack(int place);
    // Whether the job at `place` is still being added.
    bool adding(int place) const;

    // "Effacer la file" and "Effacer le dernier élément": the jobs are
    // forgotten and their folders freed (the program's scripts removed),
    // except the folder the queue run is processing. removeLast gives the
    // place of the job removed, 0 when the queue is empty.
    void clear();
    int removeLast();

    int size() const;
    // The recipes of the jobs waiting or running, but the one at `except`.
    std::vector<RunRecipe> recipesInWork(int except = 0) const;
    // The queue run: the job at `place`, now running; nothing past the end.
    std::optional<Job> start(int place);
    void finish(int place, bool ok, std::string problem);
    // The run has ended: the queue is empty, or, when `keep` (a cancelled
    // run), every job stays, the ones not processed still queued.
    void endRun(bool keep = false);

private:
    void free(const std::vector<std::string>& folders);

    FileSystem& files_;
    mutable std::mutex mutex_;
    std::vector<Job> jobs_;
    std::string runningFolder_;
};

}  // namespace kx
