// Job bookkeeping and the job folders' hand-out and release.
#include "model/job_queue.h"

#include <algorithm>

#include "platform/files.h"

namespace kx {

JobQueue::Place JobQueue::add(const std::string& home) {
    std::lock_guard lock(mutex_);
    Place place;
    place.firstOfQueue = jobs_.empty();
    place.place = int(jobs_.size()) + 1;
    auto folderOf = [&](int n) { return home + "job" + std::to_string(n) + fs::separator(); };
    int number = place.place;
    auto used = [&](const std::string& folder) {
        return folder == runningFolder_ ||
               std::any_of(jobs_.begin(), jobs_.end(), [&](const Job& job) { return job.folder == folder; });
    };
    while (used(folderOf(number))) ++number;
    Job job;
    job.folder = place.folder = folderOf(number);
    jobs_.push_back(std::move(job));
    return place;
}

bool JobQueue::emptyFolder(const std::string& folder) {
    bool ok = true;
    for (std::string_view name : programScripts) {
        std::string path = folder + std::string(name);
        if (files_.exists(path) && !(files_.removeFile(path) && !files_.exists(path))) ok = false;
    }
    return ok;
}

bool JobQueue::openFolder(const std::string& folder) {
    return files_.makeFolder(folder) && files_.isFolder(folder) && emptyFolder(folder);
}

void JobQueue::complete(int place, Job job) {
    std::lock_guard lock(mutex_);
    if (place < 1 || place > int(jobs_.size()) || jobs_[std::size_t(place - 1)].folder != job.folder) return;
    job.state = JobState::queued;
    jobs_[std::size_t(place - 1)] = std::move(job);
}

void JobQueue::giveBack(int place) {
    std::lock_guard lock(mutex_);
    if (place == int(jobs_.size())) jobs_.pop_back();
}

bool JobQueue::adding(int place) const {
    std::lock_guard lock(mutex_);
    return place >= 1 && place <= int(jobs_.size()) && jobs_[std::size_t(place - 1)].state == JobState::adding;
}

void JobQueue::free(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) emptyFolder(folder);
}

void JobQueue::clear() {
    std::vector<std::string> folders;
    {
        std::lock_guard lock(mutex_);
        for (const Job& job : jobs_)
            if (job.folder != runningFolder_) folders.push_back(job.folder);
        jobs_.clear();
    }
    free(folders);
}

int JobQueue::removeLast() {
    std::vector<std::string> folders;
    int removed = 0;
    {
        std::lock_guard lock(mutex_);
        if (jobs_.empty()) return 0;
        removed = int(jobs_.size());
        if (jobs_.back().folder != runningFolder_) folders.push_back(jobs_.back().folder);
        jobs_.pop_back();
    }
    free(folders);
    return removed;
}

std::vector<RunRecipe> JobQueue::recipesInWork(int except) const {
    std::lock_guard lock(mutex_);
    std::vector<RunRecipe> recipes;
    for (std::size_t i = 0; i < jobs_.size(); ++i)
        if (int(i) + 1 != except && (jobs_[i].state == JobState::queued || jobs_[i].state == JobState::running))
            recipes.push_back(jobs_[i].recipe);
    return recipes;
}

int JobQueue::size() const {
    std::lock_guard lock(mutex_);
    return int(jobs_.size());
}

std::optional<Job> JobQueue::start(int place) {
    std::lock_guard lock(mutex_);
    if (place < 1 || place > int(jobs_.size())) {
        runningFolder_.clear();
        return std::nullopt;
    }
    Job& job = jobs_[std::size_t(place - 1)];
    runningFolder_ = job.folder;
    if (job.state == JobState::queued) job.state = JobState::running;
    return job;
}

void JobQueue::finish(int place, bool ok, std::string problem) {
    std::lock_guard lock(mutex_);
    if (place < 1 || place > int(jobs_.size())) return;
    Job& job = jobs_[std::size_t(place - 1)];
    job.state = ok ? JobState::done : JobState::failed;
    job.problem = std::move(problem);
}

void JobQueue::endRun(bool keep) {
    std::lock_guard lock(mutex_);
    if (!keep) jobs_.clear();
    runningFolder_.clear();
}

}  // namespace kx
