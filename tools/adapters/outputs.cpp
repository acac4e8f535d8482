// What staging an output asks on every system before the staging itself:
// the target is a file name, no input of the step, named once, and not a file
// of someone else's; an earlier output of ours under that name goes first.
#include "tools/adapters/system.h"

namespace kx::adapt::sys {

bool Outputs::makeRoom(const std::string& target, std::string& error) {
    if (target.empty() || folderOf(target).size() == target.size() || isFolder(target)) {
        error = "the output " + target + " is not a file name";
        return false;
    }
    for (const std::string& input : inputs_)
        if (input == target || sameFile(input, target)) {
            error = "the output " + target + " is an input of this step; it is not written over";
            return false;
        }
    for (const Entry& e : entries_)
        if (e.target == target || sameFile(e.target, target)) {
            error = "the output " + target + " is named twice";
            return false;
        }
    if (!exists(target)) return true;
    if (!madeByTools(target)) {
        error = "the output " + target + " already exists and was not made by this program; it is left alone";
        return false;
    }
    // An earlier output of ours goes now, so that whatever stands under that
    // name after this run is this run's work.
    std::string why;
    if (removeFile(target, why)) return true;
    error = "cannot remove the earlier " + target + ": " + why;
    return false;
}

}  // namespace kx::adapt::sys
