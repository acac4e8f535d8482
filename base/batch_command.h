// The lines of the batch scripts this program writes, read the way the
// Windows command interpreter reads them: folder changes, deletions, and
// command lines that start a program. Pure text work; running is elsewhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kx {

struct BatchCommand {
    enum class Kind {
        nothing,       // empty line or comment
        changeFolder,  // cd, chdir (no name: show the current folder)
        deleteFiles,   // del, erase
        removeFolders, // rd, rmdir
        runProgram,    // anything else: a command line naming a program
        invalid,       // a built-in command with a switch it does not know
    };
    Kind kind = Kind::nothing;
    std::vector<std::string> names;  // folder or file names, quotes removed
    bool subfolders = false;         // rd /S
    std::string commandLine;         // runProgram: the line as the program gets it
    std::string problem;             // invalid: the switch at fault
};

// Reads one script line. "%%" is read as "%"; a lone "%" stays as it is.
// Command words are recognised without regard to letter case, also when a
// dot, quote or slash follows them directly ("cd..").
BatchCommand parseBatchLine(std::string_view line);

// The folder that "cd target" leads to from `current` (an absolute folder
// ending in '/'): an absolute target replaces it, a relative one is joined to
// it; "." and ".." are resolved by name (never above the root). The result
// ends in '/'.
std::string changedFolder(std::string_view current, std::string_view target);

}  // namespace kx
