// The job queue: turning the current file into a job folder of ready
// scripts with a row in the queue list, and processing the queued jobs.
#pragma once

#include "workers/context.h"

namespace kx {

// Runs on the queue-addition worker for the place the handler reserved
// (reserveJob).
void addJob(AppContext& context, const JobQueue::Place& place);

// Runs on the queue worker: the jobs in order, each row turned green or red.
void processQueue(AppContext& context);

}  // namespace kx
