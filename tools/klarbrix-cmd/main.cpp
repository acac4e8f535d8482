// klarbrix-cmd SCRIPT: runs a batch script written by the program, line by
// line, in the folder it was started in: cd, del, rd and program command
// lines, each program waited for, each line shown after the folder as a
// prompt before it runs. Exit status: that of the last command.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/batch_command.h"
#include "base/command_line.h"
#include "base/encoding.h"
#include "platform/files.h"
#include "platform/process.h"

namespace {

using kx::BatchCommand;

// Messages go to standard error; `name` is cp1252.
void report(std::string_view message, const std::string& name) {
    std::string text = "klarbrix-cmd : ";
    text += message;
    if (!name.empty()) text += " : " + name;
    text += '\n';
    std::fputs(kx::toUtf8(text).c_str(), stderr);
}

std::string pathIn(const std::string& folder, const std::string& name) {
    std::string path = kx::startsWith(name, "/") ? name : folder + name;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// Names are read as Windows reads them.
std::optional<std::string> actualName(const std::string& path) { return kx::fs::findAnyCase(path); }

int changeFolder(const BatchCommand& command, std::string& folder) {
    if (command.names.empty()) {
        std::fputs((kx::toUtf8(folder) + "\n").c_str(), stdout);
        return 0;
    }
    std::string target = kx::changedFolder(folder, command.names.front());
    if (!kx::fs::isFolder(target)) {
        report("dossier introuvable", command.names.front());
        return 1;
    }
    folder = target;
    return 0;
}

using Path = std::optional<std::string>;

// Checks each name of a del or rd line: `problemOf` acts on one name (its
// path as found, whatever the case) and says what went wrong, if anything.
// Every problem is reported; the line fails when any name had one.
template <typename ProblemOf>
int forEachName(const BatchCommand& command, const std::string& folder, const char* missing, ProblemOf problemOf) {
    if (command.names.empty()) {
        report(missing, "");
        return 1;
    }
    int status = 0;
    for (const auto& name : command.names) {
        Path path = name.empty() ? std::nullopt : actualName(pathIn(folder, name));
        if (const char* problem = problemOf(name, path)) report(problem, name), status = 1;
    }
    return status;
}

int deleteFiles(const BatchCommand& command, const std::string& folder) {
    return forEachName(command, folder, "nom de fichier manquant", [](const std::string& name, const Path& path) {
        if (name.empty()) return "nom de fichier vide";
        if (!path) return "fichier introuvable";
        if (kx::fs::isFolder(*path)) return "c'est un dossier, rien n'est supprime";  // nor its contents
        if (!kx::fs::removeFile(*path)) return "suppression impossible";
        return static_cast<const char*>(nullptr);
    });
}

int removeFolders(const BatchCommand& command, const std::string& folder) {
    return forEachName(command, folder, "nom de dossier manquant", [&](const std::string& name, const Path& path) {
        if (name.empty()) return "nom de dossier vide";
        if (!path || !kx::fs::isFolder(*path)) return "dossier introuvable";
        if (kx::changedFolder(*path, "") == "/") return "la racine n'est jamais supprimee";
        if (!command.subfolders && !kx::fs::listFolder(*path).value_or(std::vector<std::string>{}).empty())
            return "le dossier n'est pas vide";
        if (!kx::fs::removeTree(*path)) return "suppression impossible";
        return static_cast<const char*>(nullptr);
    });
}

// Each command is shown before it runs, after an empty line and the folder
// as a prompt, as the Windows command interpreter shows it.
void echo(const std::string& folder, std::string_view line) {
    std::string prompt = folder;
    if (prompt.size() > 1 && prompt.back() == '/') prompt.pop_back();
    std::string text = "\n" + prompt + ">" + std::string(line) + "\n";
    std::fputs(kx::toUtf8(text).c_str(), stdout);
    std::fflush(stdout);
}

int runLine(const BatchCommand& command, const std::string& folder) {
    auto result = kx::runCommandLine(command.commandLine, folder, kx::runWait | kx::runInheritOutput);
    auto args = kx::splitCommandLine(command.commandLine);
    std::string program = args.empty() ? std::string() : args.front();
    switch (result.state) {
        case kx::StartResult::State::started:
            return result.exitCode;
        case kx::StartResult::State::notFound:
            report("programme introuvable", program);
            return 127;
        case kx::StartResult::State::notStartable:
            break;
    }
    report("impossible de lancer le programme", program);
    return 126;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage : klarbrix-cmd SCRIPT.bat\n", stderr);
        return 1;
    }
    std::string script = kx::fromUtf8Lossy(argv[1]);
    auto data = kx::fs::readFile(script);
    if (!data) {
        report("script illisible", script);
        return 1;
    }

    std::string folder = kx::fs::currentFolder();
    int status = 0;
    for (const auto& line : kx::splitLines(*data)) {
        BatchCommand command = kx::parseBatchLine(line);
        if (command.kind != BatchCommand::Kind::nothing) echo(folder, line);
        switch (command.kind) {
            case BatchCommand::Kind::nothing:
                break;
            case BatchCommand::Kind::changeFolder:
                status = changeFolder(command, folder);
                break;
            case BatchCommand::Kind::deleteFiles:
                status = deleteFiles(command, folder);
                break;
            case BatchCommand::Kind::removeFolders:
                status = removeFolders(command, folder);
                break;
            case BatchCommand::Kind::runProgram:
                status = runLine(command, folder);
                break;
            case BatchCommand::Kind::invalid:
                report("option non prise en charge", command.problem);
                status = 1;
                break;
        }
    }
    return status;
}
