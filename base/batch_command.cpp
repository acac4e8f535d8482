// Reading batch script lines into commands.
#include "base/batch_command.h"

#include "base/text.h"

namespace kx {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// The words after a built-in command, as the interpreter splits them: blanks
// separate, quotes group and are removed. A bare word of a slash and one
// letter is a switch (kept with `isSwitch`); a longer one such as /home/x is a name.
struct Word {
    std::string text;
    bool isSwitch;
};

std::vector<Word> words(std::string_view rest) {
    std::vector<Word> out;
    std::size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && isBlank(rest[i])) ++i;
        if (i == rest.size()) break;
        std::string text;
        bool quoted = false, anyQuote = false;
        for (; i < rest.size() && (quoted || !isBlank(rest[i])); ++i) {
            if (rest[i] == '"') quoted = !quoted, anyQuote = true;
            else text += rest[i];
        }
        bool isSwitch = !anyQuote && text.size() == 2 && text[0] == '/';
        out.push_back({std::move(text), isSwitch});
    }
    return out;
}

// Fills names and switches; false (with the problem set) for a switch
// outside `allowed` (upper-case letters).
bool takeWords(std::string_view rest, std::string_view allowed, BatchCommand& command) {
    for (auto& w : words(rest)) {
        if (!w.isSwitch) {
            command.names.push_back(std::move(w.text));
            continue;
        }
        char letter = w.text[1];
        if (letter >= 'a' && letter <= 'z') letter = char(letter - 'a' + 'A');
        if (allowed.find(letter) == std::string_view::npos) {
            command.problem = w.text;
            return false;
        }
        if (letter == 'S') command.subfolders = true;
    }
    return true;
}

}  // namespace

BatchCommand parseBatchLine(std::string_view raw) {
    BatchCommand command;
    std::string text = replaceAll(raw, "%%", "%");
    std::string_view line = text;
    while (!line.empty() && (isBlank(line.front()) || line.front() == '@')) line.remove_prefix(1);
    if (trimmed(line).empty() || startsWith(line, "::")) return command;

    std::size_t end = 0;
    while (end < line.size() && std::string_view(" \t\"/\\.,;=").find(line[end]) == std::string_view::npos) ++end;
    std::string_view word = line.substr(0, end), rest = line.substr(end);
    using Kind = BatchCommand::Kind;

    if (equalsNoCase(word, "rem")) return command;
    if (equalsNoCase(word, "cd") || equalsNoCase(word, "chdir")) {
        // The rest of the line is one folder name, blanks included.
        rest = trimmed(rest);
        if (rest.size() >= 2 && rest[0] == '/' && (rest[1] == 'd' || rest[1] == 'D') &&
            (rest.size() == 2 || isBlank(rest[2])))
            rest = trimmed(rest.substr(2));
        command.kind = Kind::changeFolder;
        std::string name = replaceAll(rest, "\"", "");
        if (!trimmed(name).empty()) command.names.emplace_back(trimmed(name));
        return command;
    }
    if (equalsNoCase(word, "del") || equalsNoCase(word, "erase")) {
        command.kind = takeWords(rest, "QF", command) ? Kind::deleteFiles : Kind::invalid;
        return command;
    }
    if (equalsNoCase(word, "rd") || equalsNoCase(word, "rmdir")) {
        command.kind = takeWords(rest, "SQ", command) ? Kind::removeFolders : Kind::invalid;
        return command;
    }
    command.kind = Kind::runProgram;
    command.commandLine = line;
    return command;
}

std::string changedFolder(std::string_view current, std::string_view target) {
    std::vector<std::string_view> parts;
    auto add = [&parts](std::string_view path) {
        while (!path.empty()) {
            std::size_t slash = path.find('/');
            std::string_view part = path.substr(0, slash);
            path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
            if (part.empty() || part == ".") continue;
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
                continue;
            }
            parts.push_back(part);
        }
    };
    if (!startsWith(target, "/")) add(current);
    add(target);
    std::string folder = "/";
    for (auto part : parts) {
        folder += part;
        folder += '/';
    }
    return folder;
}

}  // namespace kx
