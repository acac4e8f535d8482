// The launcher on Windows: CreateProcessW with the working folder passed in.
// A bare program or script name is looked for in that working folder (Windows
// itself would look in this program's folder and its current folder instead),
// then on PATH; batch scripts are run by cmd.exe from the system folder. Each
// program gets a console of its own, shown unless runHidden. A stoppable run
// is held in a job object with all it starts, ended as a whole.
#include "platform/process.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "base/command_line.h"
#include "base/text.h"
#include "platform/files.h"
#include "platform/win32/wide.h"

namespace kx {

namespace {

using win32::narrow;
using win32::wide;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isAbsolute(std::string_view path) {
    return (!path.empty() && isSeparator(path[0])) || (path.size() > 1 && path[1] == ':');
}

bool isBatchName(std::string_view name) {
    std::string lower = toLower(name);
    return endsWith(lower, ".bat") || endsWith(lower, ".cmd");
}

bool isFile(const std::string& path) { return fs::exists(path) && !fs::isFolder(path); }

// The name and, when it has no extension, the name with ".exe", as Windows
// itself tries them.
std::vector<std::string> candidates(const std::string& name) {
    std::vector<std::string> names{name};
    if (filePart(name).find('.') == std::string::npos) names.push_back(name + ".exe");
    return names;
}

// Where the program named `name` lives, seen from `folder` (absolute, ending
// in a separator).
std::optional<std::string> findProgram(const std::string& name, const std::string& folder) {
    if (name.empty()) return std::nullopt;
    bool hasFolder = name.find_first_of("\\/:") != std::string::npos;
    std::string base = hasFolder && isAbsolute(name) ? name : folder + name;
    for (const std::string& path : candidates(base))
        if (isFile(path)) return path;
    if (hasFolder) return std::nullopt;

    // Then the folders of PATH (never this program's own folder unless listed).
    DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring list(size, L'\0');
    list.resize(GetEnvironmentVariableW(L"PATH", list.data(), size));
    std::string folders = narrow(list);
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(';', start);
        if (end == std::string::npos) end = folders.size();
        std::string dir = folders.substr(start, end - start);
        start = end + 1;
        if (dir.size() > 1 && dir.front() == '"' && dir.back() == '"') dir = dir.substr(1, dir.size() - 2);
        if (dir.empty() || dir.find('?') != std::string::npos) continue;
        if (!isSeparator(dir.back())) dir += '\\';
        if (!isAbsolute(dir)) dir = folder + dir;
        for (const std::string& path : candidates(dir + name))
            if (isFile(path)) return path;
    }
    return std::nullopt;
}

// What follows the first argument of a command line (with its blank), the
// first argument read as splitCommandLine reads it: up to the next blank or
// tab, double quotes grouping.
std::string_view afterFirstArgument(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        else if (!quoted && (line[i] == ' ' || line[i] == '\t')) break;
    }
    return line.substr(i);
}

std::string systemFolder() {
    wchar_t buffer[MAX_PATH];
    UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return "C:\\Windows\\System32\\";
    std::string folder = narrow(std::wstring_view(buffer, n));
    return isSeparator(folder.back()) ? folder : folder + '\\';
}

// A job that ends all its processes when its last handle is closed (this
// program's end included); null when the process cannot be put in one.
HANDLE jobHolding(HANDLE process) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
        AssignProcessToJobObject(job, process))
        return job;
    CloseHandle(job);
    return nullptr;
}

// Waits for the end of a process started suspended, its job ended when
// `stop` is requested first (or the process alone when it has no job).
// Its exit code, none when it was stopped.
std::optional<int> waitForExitOrStop(HANDLE process, HANDLE thread, const StopSignal& stop) {
    HANDLE job = jobHolding(process);
    ResumeThread(thread);
    struct Event {
        HANDLE handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ~Event() {
            if (handle) CloseHandle(handle);
        }
    };
    auto event = std::make_shared<Event>();
    DWORD woken;
    {
        StopSignal::Watch watch = stop.watch([event] { SetEvent(event->handle); });
        HANDLE handles[2] = {process, event->handle};
        woken = WaitForMultipleObjects(event->handle ? 2 : 1, handles, FALSE, INFINITE);
    }
    std::optional<int> exitCode;
    if (woken == WAIT_OBJECT_0 + 1) {
        if (job) TerminateJobObject(job, UINT(stoppedExitCode));
        else TerminateProcess(process, UINT(stoppedExitCode));
        WaitForSingleObject(process, INFINITE);
    } else {
        DWORD code = 0;
        exitCode = GetExitCodeProcess(process, &code) ? int(code) : 0;
        if (job) {
            // What the program left running lives on, as without a job.
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
    }
    if (job) CloseHandle(job);
    return exitCode;
}

}  // namespace

// Each program shows its output in a console of its own: no sink is fed.
StartResult runCommandLine(std::string_view commandLine, std::string_view workingFolder, int flags,
                           std::shared_ptr<const OutputSink>, std::optional<StopSignal> stop) {
    StartResult result;
    if (!(flags & runWait)) stop.reset();
    if (stop && stop->requested()) return {StartResult::State::started, stoppedExitCode, true};
    std::vector<std::string> args = splitCommandLine(commandLine);
    if (args.empty()) return result;

    // The folder is made absolute here: the program's own current folder is
    // never changed, and the search above must not depend on it.
    std::string folder(workingFolder);
    if (folder.empty()) folder = fs::currentFolder();
    else if (!isAbsolute(folder)) folder = fs::currentFolder() + folder;
    if (!isSeparator(folder.back())) folder += '\\';

    auto found = findProgram(args[0], folder);
    if (!found) return result;

    std::string application = *found;
    std::string line(commandLine);
    if (isBatchName(*found)) {
        // As Windows runs a batch file: by its command interpreter. /S keeps
        // the whole text between the outer quotes as it is. A script found in
        // the working folder is named relative to it, so nothing of the
        // folder's name is read by the interpreter.
        std::string script = *found;
        if (equalsNoCase(folderPart(script), folder)) script = ".\\" + filePart(script);
        application = systemFolder() + "cmd.exe";
        line = "cmd.exe /s /c \"\"" + script + "\"" + std::string(afterFirstArgument(commandLine)) + "\"";
    }

    DWORD creation = NORMAL_PRIORITY_CLASS;
    if (flags & runHidden) creation |= CREATE_NO_WINDOW;
    else if (!(flags & runInheritOutput)) creation |= CREATE_NEW_CONSOLE;
    if (stop) creation |= CREATE_SUSPENDED;  // nothing it starts escapes the job
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (flags & runHidden) ? SW_HIDE : SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    std::wstring wideLine = wide(line);  // CreateProcessW may write into it
    if (!CreateProcessW(wide(application).c_str(), wideLine.data(), nullptr, nullptr, FALSE, creation, nullptr,
                        wide(folder).c_str(), &startup, &process)) {
        result.state = StartResult::State::notStartable;
        return result;
    }
    result.state = StartResult::State::started;
    if (stop) {
        std::optional<int> exitCode = waitForExitOrStop(process.hProcess, process.hThread, *stop);
        result.stopped = !exitCode;
        result.exitCode = exitCode.value_or(stoppedExitCode);
    } else if (flags & runWait) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) result.exitCode = int(code);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

}  // namespace kx
