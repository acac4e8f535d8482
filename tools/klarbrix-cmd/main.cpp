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

int deleteFiles(const BatchCommand& command, const std::string& folder) {
    if (command.names.empty()) {
        report("nom de fichier manquant", "");
        return 1;
    }
    int status = 0;
    for (const auto& name : command.names) {
        auto path = name.empty() ? std::nullopt : actualName(pathIn(folder, name));
        const char* problem = nullptr;
        if (name.empty()) problem = "nom de fichier vide";
        else if (!path) problem = "fichier introuvable";
        else if (kx::fs::isFolder(*path)) problem = "c'est un dossier, rien n'est supprime";  // nor its contents
        else if (!kx::fs::removeFile(*path)) problem = "suppression impossible";
        if (problem) report(problem, name), status = 1;
    }
    return status;
}

int removeFolders(const BatchCommand& command, const std::string& folder) {
    if (command.names.empty()) {
        report("nom de dossier manquant", "");
        return 1;
    }
    int status = 0;
    for (const auto& name : command.names) {
        auto path = name.empty() ? std::nullopt : actualName(pathIn(folder, name));
        const char* problem = nullptr;
        if (name.empty()) problem = "nom de dossier vide";
        else if (!path || !kx::fs::isFolder(*path)) problem = "dossier introuvable";
        else if (kx::changedFolder(*path, "") == "/") problem = "la racine n'est jamais supprimee";
        else if (!command.subfolders && !kx::fs::listFolder(*path).value_or(std::vector<std::string>{}).empty())
            problem = "le dossier n'est pas vide";
        else if (!kx::fs::removeTree(*path)) problem = "suppression impossible";
        if (problem) report(problem, name), status = 1;
    }
    return status;
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
