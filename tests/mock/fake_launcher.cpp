// The fake launcher: scripts followed line by line, the five tools simulated
// by the files they make, everything recorded.
#include "mock/fake_launcher.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "base/batch_command.h"
#include "base/command_line.h"
#include "base/text.h"
#include "platform/files.h"
#include "support/merge_identity.h"

namespace kx::test {

namespace stdfs = std::filesystem;

namespace {

bool isAbsolute(const std::string& name) {
    if (name.empty()) return false;
    if (name[0] == '/' || name[0] == '\\') return true;
    return name.size() >= 3 && name[1] == ':' && (name[2] == '\\' || name[2] == '/');
}

// A name as a program in `folder` sees it.
std::string resolve(const std::string& name, const std::string& folder) {
    return isAbsolute(name) ? name : folder + name;
}

std::string withoutExtension(const std::string& path) {
    std::size_t dot = path.rfind('.');
    std::size_t sep = path.find_last_of("\\/");
    if (dot == std::string::npos || (sep != std::string::npos && sep > dot)) return path;
    return path.substr(0, dot);
}

std::string extensionOf(const std::string& path) {
    std::string stem = withoutExtension(path);
    return stem.size() < path.size() ? path.substr(stem.size() + 1) : std::string();
}

std::optional<std::string> readWhole(const std::string& path) {
    std::ifstream in(stdfs::path(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The file a script's name stands for on a system whose names ignore letter
// case: the exact name, else the one entry of its folder that matches
// without regard to case (none when several do).
std::optional<std::string> actualName(const std::string& path) {
    if (stdfs::exists(stdfs::path(path))) return path;
    std::string folder = folderPart(path), name = filePart(path);
    std::error_code error;
    std::optional<std::string> found;
    for (const auto& entry : stdfs::directory_iterator(stdfs::path(folder.empty() ? "." : folder), error)) {
        if (!equalsNoCase(entry.path().filename().string(), name)) continue;
        if (found) return std::nullopt;
        found = folder + entry.path().filename().string();
    }
    return found;
}

bool isScript(std::string_view program) {
    std::string lower = toLower(program);
    return endsWith(lower, ".bat") || endsWith(lower, ".cmd");
}

const std::set<std::string> knownTools = {"mediainfo.exe", "mkvextract.exe", "delaycut.exe", "eac3to.exe",
                                          "mkvmerge.exe"};

// The command interpreter's status for a program it cannot find.
constexpr int notRecognised = 9009;

// What one tool reads and makes, worked out from its arguments.
struct Plan {
    std::vector<std::string> inputs;
    std::vector<std::pair<std::string, std::string>> outputs;  // name, bytes
    std::vector<std::pair<std::string, std::string>> logs;
    std::string problem;  // arguments the tool would reject
};

Plan planMediaInfo(const std::vector<std::string>& a, const std::string& report) {
    Plan p;
    for (const std::string& arg : a) {
        if (startsWith(arg, "--LogFile=")) p.outputs.push_back({arg.substr(10), report});
        else if (!startsWith(arg, "-")) p.inputs.push_back(arg);
    }
    if (p.inputs.size() != 1) p.problem = "one source expected";
    return p;
}

Plan planMkvextract(const std::vector<std::string>& a) {
    Plan p;
    if (a.size() < 3 || toLower(a[0]) != "tracks") {
        p.problem = "expected: tracks SOURCE ID:TARGET...";
        return p;
    }
    p.inputs.push_back(a[1]);
    for (std::size_t k = 2; k < a.size(); ++k) {
        std::size_t colon = a[k].find(':');
        if (colon == std::string::npos || colon == 0) {
            p.problem = "not a track target: " + a[k];
            return p;
        }
        p.outputs.push_back({a[k].substr(colon + 1), "track " + a[k].substr(0, colon) + " of " + filePart(a[1])});
    }
    return p;
}

Plan planDelaycut(const std::vector<std::string>& a) {
    Plan p;
    std::string input, output;
    for (std::size_t k = 0; k < a.size(); ++k) {
        std::string option = toLower(a[k]);
        bool takesValue = option == "-fixcrc" || option == "-start" || option == "-end" || option == "-out";
        if (takesValue && k + 1 < a.size()) {
            if (option == "-out") output = a[k + 1];
            ++k;
        } else if (!startsWith(a[k], "-")) {
            input = a[k];
        }
    }
    if (input.empty()) {
        p.problem = "no input";
        return p;
    }
    std::string extension = extensionOf(input);
    if (output.empty()) output = withoutExtension(input) + "_fixed" + (extension.empty() ? "" : "." + extension);
    p.inputs.push_back(input);
    p.outputs.push_back({output, "repaired " + filePart(input)});
    p.logs.push_back({withoutExtension(input) + "_log.txt", "repair of " + filePart(input) + "\r\n"});
    return p;
}

Plan planEac3to(const std::vector<std::string>& a) {
    Plan p;
    std::vector<std::string> files;
    for (const std::string& arg : a)
        if (!startsWith(arg, "-")) files.push_back(arg);
    if (files.size() != 2) {
        p.problem = "expected: INPUT OUTPUT";
        return p;
    }
    p.inputs.push_back(files[0]);
    p.outputs.push_back({files[1], "ac3 from " + filePart(files[0])});
    // The transcoder's own log, as the run expects it: the output's stem and " - Log.txt".
    p.logs.push_back({withoutExtension(files[1]) + " - Log.txt", "read " + files[0] + "\r\nwrote " + files[1] + "\r\n"});
    return p;
}

Plan planMkvmerge(const std::vector<std::string>& a, const std::string& report) {
    static const std::set<std::string> withValue = {
        "-o", "--output", "--default-duration", "--compression", "--sync", "--language", "-a", "--audio-tracks",
        "-d", "--video-tracks", "-s", "--subtitle-tracks", "--track-order", "--track-name", "--title",
        "--sub-charset"};
    Plan p;
    std::string output;
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (withValue.count(a[k])) {
            if (k + 1 == a.size()) {
                p.problem = a[k] + " lacks its value";
                return p;
            }
            if (a[k] == "-o" || a[k] == "--output") output = a[k + 1];
            ++k;
        } else if (!startsWith(a[k], "-")) {
            p.inputs.push_back(a[k]);
        }
    }
    if (output.empty() || p.inputs.empty()) {
        p.problem = "expected: -o OUTPUT INPUT...";
        return p;
    }
    p.outputs.push_back({output, mergeIdentity(a, report)});
    return p;
}

// A copy of one of the records, taken under the lock.
template <typename Record>
Record lockedCopy(std::mutex& mutex, const Record& record) {
    std::lock_guard lock(mutex);
    return record;
}

}  // namespace

std::string folderAfterCd(const std::string& current, const std::string& target) {
    auto slashes = [](std::string s) {
        std::replace(s.begin(), s.end(), '\\', '/');
        return s;
    };
    std::string from = slashes(current), to = slashes(target), drive;
    // A drive letter is set aside; what follows it is a folder from the root.
    auto takeDrive = [&drive](std::string& s) {
        if (s.size() < 2 || s[1] != ':') return;
        drive = s.substr(0, 2);
        s.erase(0, 2);
        if (s.empty() || s[0] != '/') s.insert(0, "/");
    };
    takeDrive(from);
    takeDrive(to);
    std::string folder = drive + changedFolder(from, to);
    if (fs::separator() != '/') std::replace(folder.begin(), folder.end(), '/', fs::separator());
    return folder;
}

FakeLauncher::FakeLauncher(std::string scratchFolder) : scratch_(std::move(scratchFolder)) {}

void FakeLauncher::setReport(std::string report) {
    std::lock_guard lock(mutex_);
    report_ = std::move(report);
}

void FakeLauncher::setBehaviour(std::string_view tool, ToolBehaviour behaviour) {
    std::lock_guard lock(mutex_);
    behaviours_[toLower(tool)] = behaviour;
}

void FakeLauncher::onTool(ToolHook hook) {
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
}

void FakeLauncher::problem(std::string text) {
    std::lock_guard lock(mutex_);
    problems_.push_back(std::move(text));
}

bool FakeLauncher::inside(const std::string& path) const {
    std::string root = stdfs::path(scratch_).lexically_normal().generic_string();
    std::string p = stdfs::path(path).lexically_normal().generic_string();
    if (root.empty() || root.back() != '/') root += '/';
    return p.size() > root.size() && p.compare(0, root.size(), root) == 0;
}

StartResult FakeLauncher::run(std::string_view program, std::string_view parameters, std::string_view workingFolder,
                              int flags, std::optional<StopSignal> stop) {
    if (!(flags & runWait)) stop.reset();
    const StartResult stopped{StartResult::State::started, stoppedExitCode, true};
    if (stop && stop->requested()) return stopped;
    {
        std::lock_guard lock(mutex_);
        calls_.push_back({std::string(program), std::string(parameters), std::string(workingFolder), flags});
    }
    std::string folder(workingFolder);
    if (folder.empty()) {
        // The workers name the folder each time; the process's own is not theirs to rely on.
        problem("started without a working folder: " + std::string(program));
        folder = stdfs::current_path().string() + fs::separator();
    }
    if (isScript(program) && parameters.empty())
        return followScript(resolve(std::string(program), folder), folder, stop);
    int status = runProgram(buildCommandLine(program, parameters), folder, "", stop);
    if (stop && stop->requested()) return stopped;
    if (status == notRecognised) return {StartResult::State::notFound, 0};
    return {StartResult::State::started, status};
}

StartResult FakeLauncher::followScript(const std::string& path, const std::string& folder,
                                      const std::optional<StopSignal>& stop) {
    std::optional<std::string> text = stdfs::is_regular_file(stdfs::path(path)) ? readWhole(path) : std::nullopt;
    if (!text) {
        problem("no script " + path);
        return {StartResult::State::notFound, 0};
    }
    {
        std::lock_guard lock(mutex_);
        scripts_.push_back(path);
    }
    std::string current = folder;
    int status = 0;
    for (const std::string& line : splitLines(*text)) {
        if (stop && stop->requested()) return {StartResult::State::started, stoppedExitCode, true};
        BatchCommand command = parseBatchLine(line);
        using Kind = BatchCommand::Kind;
        switch (command.kind) {
            case Kind::nothing: break;
            case Kind::changeFolder: {
                if (command.names.empty()) break;
                std::string next = folderAfterCd(current, command.names[0]);
                if (stdfs::is_directory(stdfs::path(next)))
                    current = next;
                else
                    problem(path + ": no folder " + next);
                break;
            }
            case Kind::deleteFiles: deleteNames(command.names, current, false, false, line); break;
            case Kind::removeFolders: deleteNames(command.names, current, true, command.subfolders, line); break;
            case Kind::runProgram: status = runProgram(command.commandLine, current, path, stop); break;
            case Kind::invalid: problem(path + ": invalid switch " + command.problem + " in " + line); break;
        }
    }
    if (stop && stop->requested()) return {StartResult::State::started, stoppedExitCode, true};
    return {StartResult::State::started, status};
}

void FakeLauncher::deleteNames(const std::vector<std::string>& names, const std::string& folder, bool folders,
                               bool subfolders, const std::string& line) {
    for (const std::string& name : names) {
        std::string named = resolve(name, folder);
        if (!inside(named)) {
            std::lock_guard lock(mutex_);
            refused_.push_back((folders ? "rd " : "del ") + named);
            continue;
        }
        std::optional<std::string> found = actualName(named);
        if (!found) continue;  // "Could Not Find", and the script goes on
        const std::string& path = *found;
        stdfs::path p(path);
        std::error_code error;
        bool done = false;
        if (folders) {
            if (!stdfs::is_directory(p)) continue;
            done = subfolders ? stdfs::remove_all(p, error) > 0 : stdfs::remove(p, error);
        } else {
            if (stdfs::is_directory(p)) {
                problem("del names a folder: " + line);
                continue;
            }
            if (!stdfs::is_regular_file(p)) continue;
            done = stdfs::remove(p, error);
        }
        std::lock_guard lock(mutex_);
        if (done) deleted_.push_back(path);
        else problems_.push_back("could not delete " + path);
    }
}

int FakeLauncher::runProgram(const std::string& commandLine, const std::string& folder, const std::string& script,
                             const std::optional<StopSignal>& stop) {
    std::vector<std::string> args = splitCommandLine(commandLine);
    if (args.empty()) return 0;
    ToolRun run;
    run.tool = filePart(args[0]);
    run.arguments.assign(args.begin() + 1, args.end());
    run.folder = folder;
    run.script = script;
    // Found as the command interpreter finds it: where the command names it,
    // a bare name in the current folder.
    std::string where = resolve(args[0], folder);
    if (!knownTools.count(toLower(run.tool)) || !stdfs::is_regular_file(stdfs::path(where))) {
        problem("'" + args[0] + "' is not recognized as a program in " + folder);
        return notRecognised;
    }
    // The program's own identification of a result, outside the scripts:
    // the answer of the fake remux's file, else that it is no Matroska file.
    if (IdentifyArgs identify = identifyArgs(run.arguments); toLower(run.tool) == "mkvmerge.exe" && !identify.file.empty()) {
        std::optional<std::string> made = readWhole(resolve(identify.file, folder));
        std::string answer = made && startsWith(*made, "{") ? *made : unrecognisedIdentity();
        put(run, resolve(identify.answer, folder), answer, ToolBehaviour::Output::whole);
        return 0;
    }
    ToolBehaviour behaviour;
    ToolHook hook;
    {
        std::lock_guard lock(mutex_);
        auto it = behaviours_.find(toLower(run.tool));
        if (it != behaviours_.end()) behaviour = it->second;
        hook = hook_;
    }
    if (hook) hook(run, behaviour);
    simulate(run, behaviour);
    if (behaviour.hangs) hang(run, stop);
    std::lock_guard lock(mutex_);
    runs_.push_back(run);
    return run.exitCode;
}

void FakeLauncher::hang(ToolRun& run, const std::optional<StopSignal>& stop) {
    std::mutex m;
    std::condition_variable woken;
    bool stopped = false;
    StopSignal::Watch watch;
    if (stop)
        watch = stop->watch([&] {
            std::lock_guard lock(m);
            stopped = true;
            woken.notify_all();
        });
    std::unique_lock lock(m);
    if (!woken.wait_for(lock, std::chrono::seconds(10), [&] { return stopped; })) {
        lock.unlock();
        problem(run.tool + " hung and was never stopped");
        return;
    }
    run.stopped = true;
    run.exitCode = stoppedExitCode;
}

void FakeLauncher::simulate(ToolRun& run, ToolBehaviour behaviour) {
    const std::string tool = toLower(run.tool);
    Plan plan;
    if (tool == "mediainfo.exe") {
        std::lock_guard lock(mutex_);
        plan = planMediaInfo(run.arguments, report_);
    } else if (tool == "mkvextract.exe") {
        plan = planMkvextract(run.arguments);
    } else if (tool == "delaycut.exe") {
        plan = planDelaycut(run.arguments);
    } else if (tool == "eac3to.exe") {
        plan = planEac3to(run.arguments);
    } else {
        std::lock_guard lock(mutex_);
        plan = planMkvmerge(run.arguments, report_);
    }
    if (!plan.problem.empty()) {
        problem(run.tool + ": " + plan.problem);
        run.exitCode = 2;
        return;
    }
    for (const std::string& input : plan.inputs)
        if (!stdfs::is_regular_file(stdfs::path(resolve(input, run.folder)))) run.missingInputs.push_back(input);
    if (!run.missingInputs.empty()) {
        run.exitCode = 2;
        return;
    }
    run.exitCode = behaviour.exitCode;
    using Output = ToolBehaviour::Output;
    switch (behaviour.output) {
        case Output::whole:
            for (const auto& [name, bytes] : plan.outputs) put(run, resolve(name, run.folder), bytes, Output::whole);
            for (const auto& [name, bytes] : plan.logs) put(run, resolve(name, run.folder), bytes, Output::whole);
            break;
        case Output::partial:
            if (!plan.outputs.empty()) {
                const auto& [name, bytes] = plan.outputs.front();
                put(run, resolve(name, run.folder), bytes.substr(0, (bytes.size() + 1) / 2), Output::whole);
            }
            break;
        case Output::empty:
            for (const auto& [name, bytes] : plan.outputs) put(run, resolve(name, run.folder), "", Output::whole);
            break;
        case Output::none: break;
        case Output::folder:
            for (const auto& [name, bytes] : plan.outputs) put(run, resolve(name, run.folder), bytes, Output::folder);
            break;
    }
}

bool FakeLauncher::put(ToolRun& run, const std::string& path, const std::string& bytes, ToolBehaviour::Output output) {
    if (!inside(path)) {
        std::lock_guard lock(mutex_);
        refused_.push_back("write " + path);
        return false;
    }
    stdfs::path p(path);
    bool made = false;
    if (output == ToolBehaviour::Output::folder) {
        std::error_code error;
        made = stdfs::create_directory(p, error) || stdfs::is_directory(p);
    } else {
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        made = bool(out << bytes) && bool(out.flush());
    }
    if (!made) {
        problem(run.tool + ": could not write " + path);
        return false;
    }
    run.wrote.push_back(path);
    return true;
}

void FakeLauncher::forget() {
    std::lock_guard lock(mutex_);
    calls_.clear();
    scripts_.clear();
    runs_.clear();
    deleted_.clear();
    refused_.clear();
    problems_.clear();
}

std::vector<LaunchCall> FakeLauncher::calls() const { return lockedCopy(mutex_, calls_); }

std::vector<std::string> FakeLauncher::scripts() const { return lockedCopy(mutex_, scripts_); }

std::vector<std::string> FakeLauncher::scriptNames() const {
    std::vector<std::string> names;
    for (const std::string& path : scripts()) names.push_back(filePart(path));
    return names;
}

std::vector<ToolRun> FakeLauncher::toolRuns() const { return lockedCopy(mutex_, runs_); }

std::vector<std::string> FakeLauncher::toolNames() const {
    std::vector<std::string> names;
    for (const ToolRun& run : toolRuns()) names.push_back(run.tool);
    return names;
}

std::vector<std::string> FakeLauncher::written() const {
    std::vector<std::string> files;
    for (const ToolRun& run : toolRuns()) files.insert(files.end(), run.wrote.begin(), run.wrote.end());
    return files;
}

std::vector<std::string> FakeLauncher::deleted() const { return lockedCopy(mutex_, deleted_); }

std::vector<std::string> FakeLauncher::refused() const { return lockedCopy(mutex_, refused_); }

std::vector<std::string> FakeLauncher::problems() const { return lockedCopy(mutex_, problems_); }

}  // namespace kx::test
