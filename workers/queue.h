// The job queue: turning the current file into a job folder of ready
// scripts with a row in the queue list, and processing the queued jobs.
#pragma once

#include "workers/context.h"

namespace kx {

// Runs on the queue-addition worker; the handler has raised queueCount to
// the new job's number.
void addJob(AppContext& context);

// Runs on the queue worker: jobs 1 to queueCount, each row turned green or red.
void processQueue(AppContext& context);

// Removes the program's scripts of jobs `from` to `to` (cleared or removed
// from the queue), except the one the queue run is processing now.
void forgetJobs(AppContext& context, int from, int to);

}  // namespace kx
