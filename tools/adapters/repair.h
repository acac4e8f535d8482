// What the tool adapters share beyond the system: their exit codes and
// messages, input checks and staged writes, and delaycut.exe, the DTS and
// AC3 repair, which is built on its own for Windows as well.
#pragma once

#include <string>
#include <vector>

#include "tools/adapters/system.h"

namespace kx::adapt {

// Exit codes: done, done with warnings, failed (message on stderr).
inline constexpr int done = 0, doneWithWarnings = 1, failed = 2;

// Writes one line (UTF-8, without its line end) to standard error; each
// program says how its console shows it.
void printError(const std::string& line);

struct Console {
    std::string tool;
    int fail(const std::string& message) const {
        printError(tool + ": error: " + message);
        return failed;
    }
    void warn(const std::string& message) const { printError(tool + ": warning: " + message); }
};

// Writes `data` into a staged file.
bool writeStaged(const std::string& staged, const std::string& data, std::string& error);
// True when `path` names an existing file; otherwise says so and sets `code`.
bool checkInput(const Console& console, const std::string& path, int& code);

// delaycut.exe -fixcrc fix -start 0 -End 0 "IN": writes IN_fixed.EXT and IN_log.txt.
int runDelaycut(const std::vector<std::string>& args);

}  // namespace kx::adapt
