// The open-file dialog (GetOpenFileNameW), the folder chooser (the common
// item dialog picking folders, or the older folder browser where that is
// missing), the message box and the yes/no question.
#include "frontends/win32/dialogs.h"

#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "base/encoding.h"
#include "base/text.h"
#include "platform/win32/wide.h"

namespace kx::win32 {

std::wstring filterText(std::string_view filter) {
    std::vector<std::string> parts;
    if (!filter.empty()) parts = splitOn(filter, '|');
    std::wstring out;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        bool hasPattern = i + 1 < parts.size() && !parts[i + 1].empty();
        if (parts[i].empty() && !hasPattern) continue;
        out += wide(parts[i]);
        out.push_back(L'\0');
        out += hasPattern ? wide(parts[i + 1]) : std::wstring(L"*.*");
        out.push_back(L'\0');
    }
    if (!out.empty()) out.push_back(L'\0');
    return out;
}

DialogStart fileDialogStart(std::string_view initialFile) {
    DialogStart start;
    start.folder = folderPart(initialFile);
    std::string name = filePart(initialFile);
    if (name.find_first_of("*?") == std::string::npos) start.fileName = name;
    return start;
}

std::optional<std::string> carried(std::wstring_view text) {
    return fromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

ChosenPath chosenFrom(std::wstring_view path) {
    if (std::optional<std::string> text = carried(path)) return {*text, true};
    return {narrow(path), false};
}

std::string withTrailingBackslash(std::string folder) {
    if (folder.empty()) return folder;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder + '\\';
}

void messageBox(HWND owner, std::string_view title, std::string_view text) {
    MessageBoxW(owner, wide(text).c_str(), wide(title).c_str(), MB_OK | MB_SETFOREGROUND);
}

bool askYesNo(HWND owner, std::string_view title, std::string_view text) {
    return MessageBoxW(owner, wide(text).c_str(), wide(title).c_str(), MB_YESNO | MB_DEFBUTTON2 | MB_SETFOREGROUND) ==
           IDYES;
}

ChosenPath openFileDialog(HWND owner, std::string_view title, std::string_view initialFile, std::string_view filter,
                          int firstFilter) {
    std::wstring filters = filterText(filter);
    std::wstring caption = wide(title);
    DialogStart start = fileDialogStart(initialFile);
    std::wstring folder = wide(start.folder);
    std::vector<wchar_t> name(32768, L'\0');
    std::wstring preselected = wide(start.fileName);
    if (preselected.size() < name.size()) std::copy(preselected.begin(), preselected.end(), name.begin());

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.empty() ? nullptr : filters.c_str();
    ofn.nFilterIndex = DWORD(firstFilter > 0 ? firstFilter : 1);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = DWORD(name.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = caption.c_str();
    // The program's current folder is part of its start-up state: the dialog
    // must not change it.
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&ofn)) return {};
    return chosenFrom(name.data());
}

namespace {

// The folder chooser of Windows Vista and later; false when it is missing
// (the answer is then left alone).
bool pickFolder(HWND owner, const std::wstring& title, const std::wstring& start, ChosenPath& answer) {
    IFileOpenDialog* dialog = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                reinterpret_cast<void**>(&dialog))))
        return false;
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR);
    dialog->SetTitle(title.c_str());
    if (!start.empty()) {
        IShellItem* folder = nullptr;
        if (SUCCEEDED(SHCreateItemFromParsingName(start.c_str(), nullptr, IID_IShellItem,
                                                  reinterpret_cast<void**>(&folder)))) {
            dialog->SetFolder(folder);
            folder->Release();
        }
    }
    answer = {};
    if (SUCCEEDED(dialog->Show(owner))) {
        IShellItem* chosen = nullptr;
        if (SUCCEEDED(dialog->GetResult(&chosen))) {
            wchar_t* path = nullptr;
            if (SUCCEEDED(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path) {
                answer = chosenFrom(path);
                CoTaskMemFree(path);
            }
            chosen->Release();
        }
    }
    dialog->Release();
    return true;
}

int CALLBACK browseStarted(HWND dialog, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

ChosenPath browseFolder(HWND owner, const std::wstring& title, const std::wstring& start) {
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseStarted;
    info.lParam = start.empty() ? 0 : LPARAM(start.c_str());
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen) return {};
    std::vector<wchar_t> path(32768, L'\0');
    ChosenPath answer;
    if (SHGetPathFromIDListEx(chosen, path.data(), DWORD(path.size()), GPFIDL_DEFAULT)) answer = chosenFrom(path.data());
    CoTaskMemFree(chosen);
    return answer;
}

}  // namespace

ChosenPath chooseFolder(HWND owner, std::string_view title, std::string_view initialFolder) {
    std::wstring caption = wide(title);
    std::wstring start = wide(initialFolder);
    ChosenPath answer;
    if (!pickFolder(owner, caption, start, answer)) answer = browseFolder(owner, caption, start);
    answer.path = withTrailingBackslash(answer.path);
    return answer;
}

}  // namespace kx::win32
