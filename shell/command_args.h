// The desktop programs' command line: a file to open, --help and --version,
// and the options of the window system passed on untouched. Texts are cp1252;
// each program prints or shows them its own way.
#pragma once

#include <string>
#include <vector>

namespace kx {

struct CommandArgs {
    enum class Action { run, help, version, refuse };
    Action action = Action::run;
    std::string file;     // the file to open at start-up, empty when none
    int fileIndex = -1;   // its place in the arguments, -1 when none
    std::string message;  // for refuse: what was wrong, to show with usageHint
};

// `args` without the program's own name. "--" ends the options, so a file
// may begin with a dash. The window system's own options ("-platform X",
// "-style X", ...) are left to it.
CommandArgs parseCommandArgs(const std::vector<std::string>& args);

// What --help and --version print, each line ended by a line feed.
std::string commandHelp();
std::string commandVersion();
// The line that follows a refusal.
std::string usageHint();

}  // namespace kx
