// Splitting and quoting of Windows-style command lines.
#include "base/command_line.h"

namespace kx {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i == line.size()) return args;

    // The program name: quotes only group, backslashes are plain letters.
    std::string program;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') quoted = !quoted;
        else if (!quoted && isBlank(c)) break;
        else program += c;
    }
    args.push_back(std::move(program));

    for (;;) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i == line.size()) break;
        std::string arg;
        quoted = false;
        while (i < line.size()) {
            std::size_t slashes = 0;
            while (i < line.size() && line[i] == '\\') ++slashes, ++i;
            if (i < line.size() && line[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    arg += '"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg += '"';  // "" inside quotes: a literal quote, still quoted
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
                continue;
            }
            arg.append(slashes, '\\');
            if (i == line.size() || (!quoted && isBlank(line[i]))) break;
            arg += line[i++];
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::string quoteArgument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string_view::npos) return std::string(argument);
    std::string out = "\"";
    std::size_t slashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');  // before the closing quote
    out += '"';
    return out;
}

std::string buildCommandLine(std::string_view program, std::string_view parameters) {
    std::string line;
    if (!program.empty() && program.front() == '"') {
        line = program;
    } else {
        line = "\"";
        line += program;
        line += '"';
    }
    if (!parameters.empty()) {
        line += ' ';
        line += parameters;
    }
    return line;
}

}  // namespace kx
