// A launcher for in-process tests: records every start, follows batch scripts
// line by line as the command interpreter would, and stands in for the media
// tools by making the files each one would make. Portable: no shell, no fork.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/launcher.h"

namespace kx::test {

// How a simulated tool behaves: what it leaves behind and how it ends.
struct ToolBehaviour {
    enum class Output {
        whole,    // every output file, whole (logs included)
        partial,  // half of its first output, nothing else
        empty,    // every output file, with nothing in it
        none,     // nothing at all
        folder,   // a folder where each output file should be
    };
    Output output = Output::whole;
    int exitCode = 0;  // a missing input always ends with 2, whatever this says
    // A hung tool: after making its files it waits until its run is stopped
    // (a run without a stop signal gives up after a while, as a problem).
    bool hangs = false;
};

// One simulated tool run.
struct ToolRun {
    std::string tool;                    // bare name as the command named it ("mkvmerge.exe")
    std::vector<std::string> arguments;  // after the program name, as split
    std::string folder;                  // the folder it ran in
    std::string script;                  // the script that started it; empty when started directly
    std::vector<std::string> missingInputs;
    std::vector<std::string> wrote;      // files (or folders) it made, in order
    int exitCode = 0;
    bool stopped = false;  // ended by a stop request
};

// One call of run().
struct LaunchCall {
    std::string program, parameters, workingFolder;
    int flags = 0;
};

class FakeLauncher : public Launcher {
public:
    // Scripts may delete only inside `scratchFolder`, and tools may write only
    // there; anything else is refused and recorded.
    explicit FakeLauncher(std::string scratchFolder);

    // A stop request ends the script being followed after the line that runs,
    // and a hung tool at once.
    StartResult run(std::string_view program, std::string_view parameters, std::string_view workingFolder,
                    int flags, std::optional<StopSignal> stop = std::nullopt) override;

    // What MediaInfo writes to its --LogFile=.
    void setReport(std::string report);
    // Behaviour of one tool, by its bare name in any letter case ("mkvmerge.exe").
    void setBehaviour(std::string_view tool, ToolBehaviour behaviour);
    // Called before each tool acts; may touch files or change this run's behaviour.
    using ToolHook = std::function<void(const ToolRun& run, ToolBehaviour& behaviour)>;
    void onTool(ToolHook hook);

    // Forgets everything recorded so far (behaviours and the report stay).
    void forget();

    std::vector<LaunchCall> calls() const;
    // Every script followed, as full paths, in order.
    std::vector<std::string> scripts() const;
    // Their file names only ("mkvextract.bat").
    std::vector<std::string> scriptNames() const;
    std::vector<ToolRun> toolRuns() const;
    // Bare names of the tools run, in order.
    std::vector<std::string> toolNames() const;
    // Every file a tool wrote, in order.
    std::vector<std::string> written() const;
    // What scripts deleted (files and folders), in order.
    std::vector<std::string> deleted() const;
    // Deletions and writes refused because they lay outside the scratch folder.
    std::vector<std::string> refused() const;
    // Lines the command interpreter would have complained about.
    std::vector<std::string> problems() const;

private:
    StartResult followScript(const std::string& path, const std::string& folder, const std::optional<StopSignal>& stop);
    int runProgram(const std::string& commandLine, const std::string& folder, const std::string& script,
                   const std::optional<StopSignal>& stop);
    void simulate(ToolRun& run, ToolBehaviour behaviour);
    void hang(ToolRun& run, const std::optional<StopSignal>& stop);
    bool put(ToolRun& run, const std::string& path, const std::string& bytes, ToolBehaviour::Output output);
    void deleteNames(const std::vector<std::string>& names, const std::string& folder, bool folders,
                     bool subfolders, const std::string& line);
    bool inside(const std::string& path) const;
    void problem(std::string text);

    const std::string scratch_;
    mutable std::mutex mutex_;
    std::string report_;
    std::map<std::string, ToolBehaviour> behaviours_;  // by lower-cased name
    ToolHook hook_;
    std::vector<LaunchCall> calls_;
    std::vector<std::string> scripts_;
    std::vector<ToolRun> runs_;
    std::vector<std::string> deleted_, refused_, problems_;
};

// The folder a "cd" leads to from `current` (ending in a separator), for
// folders written with either separator and an optional drive letter.
std::string folderAfterCd(const std::string& current, const std::string& target);

}  // namespace kx::test
