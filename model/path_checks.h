// Checks made on a freshly chosen source path: the free-space warning, the
// warning about accented letters in its folder, and the renaming of the
// folder and the file to names without the common French accents.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kx {

// The text with à â ä é è ê ë ï î ô ö û ü ÿ ç (lower case only) replaced by
// a a a e e e e i i o o u u u c.
std::string stripAccents(std::string_view text);

// Whether the folder holds é, è, ê, à, ë or ä (the letters that call for the
// accent warning).
bool hasWarnedAccent(std::string_view folder);

// The disk-space decision. `sourceSize` is the source's size (-1 missing,
// -2 a folder); four times that size must be free (strictly less warns) in
// the remux folder when `remuxdest` is exactly "1", else in the source's folder.
bool lacksDiskSpace(std::int64_t sourceSize, std::string_view remuxdest, std::int64_t remuxFolderFree,
                    std::int64_t sourceFolderFree);

struct SourcePathInputs {
    std::string sourcePath;  // the chosen file, empty after a cancelled dialog
    std::string sourceName;  // its file part
    // The remux folder chosen in this run: unset when none was chosen (the
    // current folder's volume is asked), empty after a cancelled choice.
    std::optional<std::string> chosenRemuxFolder;
    std::string remuxdest;      // value of "remuxdest = "
    std::string currentFolder;  // the process's current folder
    // Whether accented names are warned about and renamed: where the tools
    // take any name (Linux), the user's folders are left alone.
    bool renameAccents = true;
};

// The messages of the checks, as shown to the user (cp1252).
std::string diskSpaceMessage();
std::string accentMessage();

// Runs the disk-space check, the accent check and the accent renaming, and
// returns the new source path. `showMessage` is called for each warning.
// Moves never replace: when a move is refused or fails, the path keeps the
// old folder (or name) for that move, so it always names the chosen file.
std::string checkAndRenameSource(FileSystem& files, const SourcePathInputs& in,
                                 const std::function<void(const std::string& message)>& showMessage);

}  // namespace kx
