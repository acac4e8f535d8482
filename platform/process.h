// Starting external programs: the tools, MediaInfo and the batch scripts.
// Texts are cp1252. Nothing here holds shared state; every function may be
// called from several threads at once.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/stop_signal.h"

namespace kx {

enum : int {
    runWait = 1,           // wait until the started program has ended (no time limit)
    runHidden = 2,         // no visible output: its stdin, stdout and stderr are the null device
    runInheritOutput = 4,  // keep this program's stdin, stdout and stderr (the script runner)
};
// Without runHidden or runInheritOutput, the started program reads the null
// device and writes both its outputs to the output sink when one is given,
// otherwise to this program's standard error. On Windows each program gets a
// console of its own instead, shown unless runHidden (then it has none);
// runInheritOutput shares this program's console.

// Takes what a started program prints, in pieces as they come (its standard
// output and error together, native text). Called on a reading thread of the
// launcher's own: it must return quickly and never wait for the program.
using OutputSink = std::function<void(std::string_view output)>;

// The exit code of a waited program that was stopped (a value no program
// ends with on POSIX; on Windows the processes are ended with it).
inline constexpr int stoppedExitCode = -1;

struct StartResult {
    enum class State { started, notFound, notStartable };
    State state = State::notFound;
    int exitCode = 0;  // with runWait: its exit status (128 + signal when killed)
    // With runWait and a stop signal: the stop was requested before the
    // program ended, and it was ended with all it had started (or, asked
    // before the start, nothing was started). `state` is then started and
    // `exitCode` stoppedExitCode.
    bool stopped = false;
};

// Starts a ready command line (see splitCommandLine) in `workingFolder`
// (empty: the process's current folder). The first argument names the
// program: a name with a folder part is taken as is, relative to the working
// folder; a bare name is looked for in the working folder, then on PATH. A
// name ending in .bat or .cmd is run by the script runner: klarbrix-cmd from
// the running program's folder, cmd.exe from the system folder on Windows.
// No shell is involved. With `sink` (POSIX), a started program's output
// (neither hidden nor inherited) is read from a pipe and handed to it; a
// waited start returns once the program has ended and its output has been
// handed over (or, if something it left behind keeps the pipe open, soon after).
//
// With runWait and `stop`, the program runs with all it starts as one whole
// (POSIX: a process group of its own; Windows: a job object), which is ended
// when the stop is requested: politely first, then, after a short grace,
// by force (on Windows by force at once). The call then returns promptly,
// the output reader done with. Something that leaves the group on purpose
// (a new session on POSIX) is out of reach. Without runWait `stop` is unused.
// (On POSIX its own group is not the terminal's foreground one: runInheritOutput
// with `stop` suits no program that reads the terminal.)
StartResult runCommandLine(std::string_view commandLine, std::string_view workingFolder, int flags,
                           std::shared_ptr<const OutputSink> sink = nullptr,
                           std::optional<StopSignal> stop = std::nullopt);

// The launcher: builds the command line from `program` and `parameters`
// (buildCommandLine) and starts it with runCommandLine, `stop` handed on.
// When that fails and the named file exists, hands it to the desktop's
// default handler instead (not waited for, `started` with exit code 0); a
// stopped run is never handed over.
StartResult launch(std::string_view program, std::string_view parameters, std::string_view workingFolder, int flags,
                   std::shared_ptr<const OutputSink> sink = nullptr,
                   std::optional<StopSignal> stop = std::nullopt);
// As launch: 1 when something was started, 0 otherwise.
int runProgram(std::string_view program, std::string_view parameters, std::string_view workingFolder, int flags);

}  // namespace kx
