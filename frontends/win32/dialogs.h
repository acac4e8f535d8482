// The common dialogs of the Windows front end: open-file dialog, folder
// chooser and message box, and the plain rules behind their arguments
// ("label|pattern|..." filters, initial files such as "C:\*.mkv").
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "ui/ui.h"

namespace kx::win32 {

// The filter list as the open-file dialog takes it: pairs of label and
// pattern, each ended by a zero, the whole ended by one more. A label
// without its pattern matches every file; a trailing "|" adds nothing.
std::wstring filterText(std::string_view filter);

// Where the open-file dialog starts: the folder part of the initial file
// (empty: the dialog's own choice), and its file part when it is a name to
// preselect rather than a pattern.
struct DialogStart {
    std::string folder;
    std::string fileName;
};
DialogStart fileDialogStart(std::string_view initialFile);

// The text as cp1252; nothing when it holds a letter cp1252 lacks.
std::optional<std::string> carried(std::wstring_view text);
// A name a dialog returned, as cp1252; not carriable (with '?' for the
// letters) when cp1252 lacks one of its letters.
ChosenPath chosenFrom(std::wstring_view path);
// The folder with exactly one trailing backslash (empty stays empty).
std::string withTrailingBackslash(std::string folder);

// Each blocks until answered; `owner` is disabled meanwhile (may be null).
void messageBox(HWND owner, std::string_view title, std::string_view text);
// Buttons "Oui" and "Non" (the system's words), "Non" the default; true for "Oui".
bool askYesNo(HWND owner, std::string_view title, std::string_view text);
ChosenPath openFileDialog(HWND owner, std::string_view title, std::string_view initialFile, std::string_view filter,
                          int firstFilter);
ChosenPath chooseFolder(HWND owner, std::string_view title, std::string_view initialFolder);

}  // namespace kx::win32
