// Reading the dialogs' filter lists, initial files and initial folders.
#include "frontends/qt/dialog_rules.h"

#include "base/text.h"

namespace kx {

namespace {

bool isDrivePath(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

}  // namespace

std::vector<FileFilter> parseFileFilters(std::string_view filter) {
    std::vector<std::string> parts = splitOn(filter, '|');
    std::vector<FileFilter> filters;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        FileFilter f;
        f.label = parts[i];
        std::string_view patterns = i + 1 < parts.size() ? std::string_view(parts[i + 1]) : std::string_view("*");
        std::size_t from = 0;
        while (from <= patterns.size()) {
            std::size_t semi = patterns.find(';', from);
            if (semi == std::string_view::npos) semi = patterns.size();
            std::string pattern = trimmed(patterns.substr(from, semi - from));
            if (pattern == "*.*") pattern = "*";
            if (!pattern.empty()) f.patterns.push_back(pattern);
            from = semi + 1;
        }
        if (f.patterns.empty()) f.patterns.push_back("*");
        if (f.label.empty() && i + 1 >= parts.size()) continue;  // a trailing "|"
        filters.push_back(std::move(f));
    }
    return filters;
}

DialogStart fileDialogStart(std::string_view initialFile) {
    DialogStart start;
    std::string folder = folderPart(initialFile);
    std::string name = filePart(initialFile);
    if (!folder.empty() && !isDrivePath(folder)) start.folder = folder;
    if (name.find_first_of("*?") == std::string::npos) start.fileName = name;
    return start;
}

std::string folderDialogStart(std::string_view initialFolder) {
    if (isDrivePath(initialFolder)) return "/";
    return std::string(initialFolder);
}

std::string withTrailingSeparator(std::string folder) {
    if (folder.empty()) return folder;
    while (folder.size() > 1 && folder.back() == '/' && folder[folder.size() - 2] == '/') folder.pop_back();
    if (folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace kx
