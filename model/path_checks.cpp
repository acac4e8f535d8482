// Free-space and accent warnings, and the accent renaming of a source path.
#include "model/path_checks.h"

#include <limits>

#include "base/text.h"
#include "base/encoding.h"
#include "platform/files.h"
#include "ui/texts.h"

namespace kx {

namespace {

constexpr std::string_view accented = "àâäéèêëïîôöûüÿç"_cp;
constexpr std::string_view plain = "aaaeeeeiioouuuc";
static_assert(accented.size() == plain.size());

constexpr std::string_view warned = "éèêàëä"_cp;

// The folder with its own last name stripped of accents, within the same
// parent; unchanged when a folder higher up has an accent (a rename there
// would move this folder into another one).
std::string plainFolder(const std::string& folder) {
    std::string_view trimmed = folder;
    while (!trimmed.empty() && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.remove_suffix(1);
    const std::string last = filePart(trimmed);
    const std::string_view parent = trimmed.substr(0, trimmed.size() - last.size());
    if (last.empty() || stripAccents(parent) != parent) return folder;
    return std::string(parent) + stripAccents(last) + folder.substr(trimmed.size());
}

}  // namespace

std::string stripAccents(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        std::size_t p = accented.find(c);
        if (p != std::string_view::npos) c = plain[p];
    }
    return out;
}

bool hasWarnedAccent(std::string_view folder) { return folder.find_first_of(warned) != std::string_view::npos; }

bool lacksDiskSpace(std::int64_t sourceSize, std::string_view remuxdest, std::int64_t remuxFolderFree,
                    std::int64_t sourceFolderFree) {
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    std::int64_t need = sourceSize > most / 4 ? most : sourceSize * 4;
    if (remuxdest == "1" && remuxFolderFree < need) return true;
    return sourceFolderFree < need;
}

std::string diskSpaceMessage() { return std::string(diskSpaceWarning); }

std::string accentMessage() {
    return std::string(accentWarning);
}

std::string checkAndRenameSource(FileSystem& files, const SourcePathInputs& in,
                                 const std::function<void(const std::string& message)>& showMessage) {
    const std::string sourceFolder = folderPart(in.sourcePath);

    std::int64_t size = files.fileSize(in.sourcePath);
    std::int64_t remuxFree = 0;
    if (in.remuxdest == "1")
        remuxFree = files.freeSpace(in.chosenRemuxFolder ? *in.chosenRemuxFolder : in.currentFolder);
    if (lacksDiskSpace(size, in.remuxdest, remuxFree, files.freeSpace(sourceFolder)))
        showMessage(diskSpaceMessage());

    if (in.renameAccents && hasWarnedAccent(sourceFolder)) showMessage(accentMessage());

    if (in.sourcePath.empty() || !in.renameAccents) return in.sourcePath;

    // Only a move that took place changes the path: a refused or failed one
    // (the plain name exists, or an accented folder higher up makes the
    // target unreachable) leaves that part as it was, so the path always
    // names the chosen file, and nothing is ever moved into another folder.
    std::string folder = plainFolder(sourceFolder);
    if (folder != sourceFolder && (files.exists(folder) || files.moveNoReplace(sourceFolder, folder) != fs::MoveResult::moved))
        folder = sourceFolder;
    std::string name = stripAccents(in.sourceName);
    if (name != in.sourceName &&
        (files.exists(folder + name) || files.moveNoReplace(folder + in.sourceName, folder + name) != fs::MoveResult::moved))
        name = in.sourceName;
    return folder + name;
}

}  // namespace kx
