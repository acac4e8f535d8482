// The job queue: turning the current file into a job folder of ready
// scripts with a row in the queue list, and processing the queued jobs.
#pragma once

#include <optional>

#include "platform/stop_signal.h"
#include "workers/context.h"

namespace kx {

// Runs on the queue-addition worker for the place the handler reserved
// (reserveJob).
void addJob(AppContext& context, const JobQueue::Place& place);

// Runs on the queue worker: the jobs in order, each row turned green or red.
// A request of `stop` ends the current job (red) and leaves the jobs after
// it queued for a later run.
void processQueue(AppContext& context, std::optional<StopSignal> stop = std::nullopt);

}  // namespace kx
