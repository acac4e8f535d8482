// Process start-up shared by the launcher and the shell service on POSIX.
// Every text here is already native (UTF-8); the callers convert at their edge.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/stop_signal.h"

namespace kx::posix {

// nullDevice: no input, output thrown away; toStandardError: no input, both
// outputs to this program's standard error; toDescriptor: no input, both
// outputs to the given descriptor; inherit: the three standard descriptors kept.
enum class Output { nullDevice, toStandardError, toDescriptor, inherit };

// `path` as seen from `folder` (unchanged when absolute or `folder` is empty).
std::string inFolder(const std::string& folder, const std::string& path);

// A program on PATH: the first regular file of that name (that may be
// executed, when `executable`). Relative entries are taken from `folder`.
std::optional<std::string> findOnPath(const std::string& name, const std::string& folder, bool executable = true);

// Starts `path` with `argv` in `folder` (empty: this process's folder), with no
// inherited descriptor beyond the three standard ones and default signal
// handling; `newSession` detaches it from this program's terminal, `ownGroup`
// (without newSession) puts it in a process group of its own, which what it
// starts joins. `descriptor` is the one of Output::toDescriptor.
// The process id, or minus the error number when it could not be started.
int spawn(const std::string& path, const std::vector<std::string>& argv, const std::string& folder, Output output,
          bool newSession, int descriptor = -1, bool ownGroup = false);

// Waits for the end of a started process (EINTR safe): its exit status, or
// 128 + the signal that ended it.
int waitForExit(int pid);

// Waits for the end of a process started in a group of its own, as
// waitForExit, unless `stop` is requested first: the group is then sent
// SIGTERM, and SIGKILL when anything of it is still there after `grace`.
// Its exit status as waitForExit, none when it was stopped; the process is
// collected either way.
std::optional<int> waitForExitOrStop(int pid, const StopSignal& stop, std::chrono::milliseconds grace);

// Collects the process when it ends, on a thread of its own, so that it never
// stays a zombie.
void reapWhenDone(int pid);

}  // namespace kx::posix
