// Starting external programs: the tools, MediaInfo and the batch scripts.
// Texts are cp1252. Nothing here holds shared state; every function may be
// called from several threads at once.
#pragma once

#include <string_view>

namespace kx {

enum : int {
    runWait = 1,           // wait until the started program has ended (no time limit)
    runHidden = 2,         // no visible output: its stdin, stdout and stderr are the null device
    runInheritOutput = 4,  // keep this program's stdin, stdout and stderr (the script runner)
};
// Without runHidden or runInheritOutput, the started program reads the null
// device and writes both its outputs to this program's standard error. On
// Windows each program gets a console of its own instead, shown unless
// runHidden (then it has none); runInheritOutput shares this program's console.

struct StartResult {
    enum class State { started, notFound, notStartable };
    State state = State::notFound;
    int exitCode = 0;  // with runWait: its exit status (128 + signal when killed)
};

// Starts a ready command line (see splitCommandLine) in `workingFolder`
// (empty: the process's current folder). The first argument names the
// program: a name with a folder part is taken as is, relative to the working
// folder; a bare name is looked for in the working folder, then on PATH. A
// name ending in .bat or .cmd is run by the script runner: klarbrix-cmd from
// the running program's folder, cmd.exe from the system folder on Windows.
StartResult runCommandLine(std::string_view commandLine, std::string_view workingFolder, int flags);

// The launcher: builds the command line from `program` and `parameters`
// (buildCommandLine) and starts it with runCommandLine. When that fails and
// the named file exists, hands it to the desktop's default handler instead
// (not waited for, `started` with exit code 0).
StartResult launch(std::string_view program, std::string_view parameters, std::string_view workingFolder, int flags);
// As launch: 1 when something was started, 0 otherwise.
int runProgram(std::string_view program, std::string_view parameters, std::string_view workingFolder, int flags);

}  // namespace kx
