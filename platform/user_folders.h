// Where the program keeps what it writes. Run from a folder of its own that
// the user may write (a build folder, an unpacked archive), everything stays
// beside it; installed for all users, the settings go to the user's
// configuration folder and the working files to the user's data folder.
#pragma once

#include <optional>
#include <string>

namespace kx {

struct UserFolders {
    std::string settingsFile;  // options.txt
    std::string workFolder;    // scripts, job folders, mediainfo.txt, log.txt, update.txt; ends in a separator
    bool ofTheUser = false;    // the user's own folders rather than the program's folder
};

// What the choice reads from the environment (empty when unset).
struct FolderEnvironment {
    std::string configHome;  // XDG_CONFIG_HOME
    std::string dataHome;    // XDG_DATA_HOME
    std::string home;        // HOME, or the account's home folder
};

// The program's folder itself when it may be written and is not a system
// folder (under /usr); otherwise <config>/klarbrix/options.txt and
// <data>/klarbrix/, where <config> and <data> are the XDG variables when they
// hold an absolute path, else ~/.config and ~/.local/share. Nothing when
// there is no home to put them in.
std::optional<UserFolders> chooseUserFolders(const std::string& programFolder, bool programFolderWritable,
                                             const FolderEnvironment& environment);

// Makes the user's folders (only the user may enter them), copies the
// delivered programFolder/options.txt there when the user has no settings
// yet, and gives the working folder an "Applications" entry leading to the
// program's tools (the scripts change into it). False when the folders
// cannot be made.
bool makeUserFolders(const UserFolders& folders, const std::string& programFolder);

// The system's choice for this user, from the environment and the folder's
// rights; the user's own folders made ready (makeUserFolders). Nothing when
// there is no home or the folders cannot be made.
std::optional<UserFolders> prepareUserFolders(const std::string& programFolder);

}  // namespace kx
