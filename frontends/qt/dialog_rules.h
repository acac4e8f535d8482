// How the program's Windows-style dialog arguments read on this desktop:
// "label|pattern|..." filter lists, initial files such as "C:\*.mkv" and
// initial folders such as "C:\". Plain text rules, kept apart from the widgets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kx {

struct FileFilter {
    std::string label;                  // shown as given
    std::vector<std::string> patterns;  // as this desktop matches names ("*.*" becomes "*")
};

// Pairs of label and ";"-separated patterns; a label without its pattern
// matches every file.
std::vector<FileFilter> parseFileFilters(std::string_view filter);

// Where a dialog starts: `folder` empty means the user's home folder.
struct DialogStart {
    std::string folder;
    std::string fileName;  // a name to preselect; empty for patterns
};

// "C:\*.mkv", "*.srt" and other drive or folder-less names start in the
// home folder; a name without wildcards is preselected.
DialogStart fileDialogStart(std::string_view initialFile);

// A drive root such as "C:\" means the file-system root; empty means home.
std::string folderDialogStart(std::string_view initialFolder);

// The chosen folder with exactly one trailing "/".
std::string withTrailingSeparator(std::string folder);

}  // namespace kx
