// The launcher with test-double programs: where programs are found, what
// they receive, waiting, output wiring, descriptors, the script runner,
// stopping a waited run and the fallback to the desktop's handler.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/process.h"
#include "platform/scratch_folder.h"
#include "platform/default_program.h"

using namespace kx;
using kx::test::ScratchFolder;

namespace {

std::string target(const std::string& link) {
    std::error_code e;
    return std::filesystem::read_symlink(link, e).string();
}

// Whether the process still runs (an ended one not yet collected does not).
bool running(int pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) return false;
    return line.substr(line.rfind(')') + 2, 1) != "Z";
}

// Whether it has ended within a generous while (a killed one ends at once).
bool ends(int pid) {
    for (int i = 0; i < 200 && running(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return !running(pid);
}

}  // namespace

TEST(RunProgram, BareNameIsFoundInTheWorkingFolder) {
    ScratchFolder dir;
    dir.writeRecorder("tool.exe", "rec");
    EXPECT_EQ(runProgram("tool.exe", "-o \"a b\" \"\" 100%", dir.path, runWait | runHidden), 1);
    EXPECT_EQ(dir.read("rec"), dir.path + "\n[-o]\n[a b]\n[]\n[100%]\n");

    std::string relative = std::filesystem::relative(dir.path).string();  // from this process's folder
    EXPECT_EQ(runProgram("tool.exe", "", relative, runWait | runHidden), 1);
    EXPECT_EQ(dir.read("rec"), dir.path + "\n");
}

TEST(RunProgram, QuotedPathCarriesItsOwnArguments) {
    ScratchFolder dir, other;
    dir.writeRecorder("Media Info/MediaInfo.exe", "rec");
    std::string program = "\"" + dir.file("Media Info/MediaInfo.exe") + "\" --LogFile=\"a b.txt\" \"/m/x.mkv\"";
    EXPECT_EQ(runProgram(program, "", other.path, runWait | runHidden), 1);
    EXPECT_EQ(dir.read("rec"), other.path + "\n[--LogFile=a b.txt]\n[/m/x.mkv]\n");
}

TEST(RunProgram, WaitsOnlyWhenAsked) {
    ScratchFolder dir;
    dir.write("slow.exe", "#!/bin/sh\nsleep 0.2\necho done > done\n", true);
    EXPECT_EQ(runProgram("slow.exe", "", dir.path, runWait | runHidden), 1);
    EXPECT_TRUE(dir.has("done"));

    // Without runWait the call must come back while the program still waits for "go".
    dir.write("waiter.exe",
              "#!/bin/sh\ni=0\nwhile [ ! -f go ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done\n"
              "if [ -f go ]; then echo went > out; else echo gave-up > out; fi\n",
              true);
    EXPECT_EQ(runProgram("waiter.exe", "", dir.path, runHidden), 1);
    dir.write("go", "");
    ASSERT_TRUE(dir.waitFor("out"));
    EXPECT_EQ(dir.read("out"), "went\n");
}

TEST(RunProgram, OutputIsHiddenOrSentToStandardError) {
    ScratchFolder dir;
    dir.write("fds.exe", "#!/bin/sh\nfds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\necho \"$fds\" > \"$1\"\n", true);
    runProgram("fds.exe", "hidden", dir.path, runWait | runHidden);
    EXPECT_EQ(dir.read("hidden"), "/dev/null\n/dev/null\n/dev/null\n");

    std::string err = target("/proc/self/fd/2");
    runProgram("fds.exe", "shown", dir.path, runWait);
    EXPECT_EQ(dir.read("shown"), "/dev/null\n" + err + "\n" + err + "\n");
}

// What a sink receives, gathered from the reading threads.
class Gathered {
public:
    std::shared_ptr<const OutputSink> sink() {
        return std::make_shared<const OutputSink>([this](std::string_view piece) {
            std::lock_guard lock(mutex_);
            text_.append(piece);
        });
    }
    std::string text() {
        std::lock_guard lock(mutex_);
        return text_;
    }

private:
    std::mutex mutex_;
    std::string text_;
};

TEST(RunProgram, OutputGoesToTheSinkWhenOneIsGiven) {
    ScratchFolder dir;
    dir.write("talk.exe", "#!/bin/sh\nreadlink /proc/$$/fd/0 > fd0\necho out\necho err >&2\nprintf 'a\\rb'\n", true);
    Gathered shown;
    EXPECT_EQ(launch("talk.exe", "", dir.path, runWait, shown.sink()).state, StartResult::State::started);
    EXPECT_EQ(shown.text(), "out\nerr\na\rb");  // all of it, in order, once the waited program has ended
    EXPECT_EQ(dir.read("fd0"), "/dev/null\n");

    Gathered hidden;
    launch("talk.exe", "", dir.path, runWait | runHidden, hidden.sink());
    EXPECT_EQ(hidden.text(), "");
}

// A script's commands are shown before they run, then what its tools print.
TEST(RunProgram, ScriptRunnerShowsEachCommandBeforeItsOutput) {
    ScratchFolder dir;
    dir.write("Applications/tool.exe", "#!/bin/sh\necho \"tool got $1\"\n", true);
    dir.write("run.bat", "cd Applications\r\n\r\ntool.exe \"\xE9t\xE9\"\r\n");
    Gathered shown;
    launch("run.bat", "", dir.path, runWait, shown.sink());
    EXPECT_EQ(shown.text(), "\n" + dir.path + ">cd Applications\n\n" + dir.file("Applications") +
                                ">tool.exe \"\xC3\xA9t\xC3\xA9\"\ntool got \xC3\xA9t\xC3\xA9\n");
}

// Something the program leaves running may keep the output open: the
// waited start still returns once the program itself has ended.
TEST(RunProgram, OutputKeptOpenByALeftoverDoesNotHoldTheCallerUp) {
    ScratchFolder dir;
    dir.write("leave.exe", "#!/bin/sh\necho first\nsleep 30 &\necho $! > pid\n", true);
    Gathered shown;
    StartResult result = launch("leave.exe", "", dir.path, runWait, shown.sink());
    EXPECT_EQ(result.state, StartResult::State::started);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(shown.text(), "first\n");
    ::kill(std::stoi(dir.read("pid")), SIGTERM);
}

// A script whose tool starts a program of its own and hangs: once the stop
// is asked, the script runner, the tool and its program all end, whether
// they end when asked or ignore it.
TEST(RunProgram, StopEndsTheWholeTreeOfAWaitedScript) {
    for (std::string ignoring : {"", "trap '' TERM\n"}) {
        SCOPED_TRACE(ignoring);
        ScratchFolder dir;
        dir.write("Applications/hang.exe",
                  "#!/bin/sh\n" + ignoring + "sleep 600 &\necho $PPID $$ $! > p.tmp\nmv p.tmp pids\nwait\n", true);
        dir.write("run.bat", "cd Applications\r\nhang.exe\r\n");
        StopSignal stop;
        Gathered shown;
        auto run = std::async(std::launch::async, [&] { return launch("run.bat", "", dir.path, runWait, shown.sink(), stop); });
        ASSERT_TRUE(dir.waitFor("Applications/pids"));
        std::vector<int> pids;
        std::istringstream listed(dir.read("Applications/pids"));
        for (int pid; listed >> pid;) pids.push_back(pid);
        ASSERT_EQ(pids.size(), 3u);  // klarbrix-cmd, the tool, its program
        stop.request();

        if (run.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            for (int pid : pids) ::kill(pid, SIGKILL);
            FAIL() << "the stopped run did not return";
        }
        StartResult result = run.get();
        EXPECT_EQ(result.state, StartResult::State::started);
        EXPECT_TRUE(result.stopped);
        EXPECT_EQ(result.exitCode, stoppedExitCode);
        for (int pid : pids) EXPECT_TRUE(ends(pid)) << pid;
        EXPECT_NE(shown.text().find(">hang.exe\n"), std::string::npos);
    }
}

// A stop asked before the start starts nothing; a signal never asked
// changes nothing.
TEST(RunProgram, StopAskedBeforeTheStartOrNever) {
    ScratchFolder dir;
    dir.write("tool.exe", "#!/bin/sh\necho ran > ran\nexit 3\n", true);
    StopSignal early, never;
    early.request();
    StartResult result = runCommandLine("tool.exe", dir.path, runWait | runHidden, nullptr, early);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.exitCode, stoppedExitCode);
    EXPECT_FALSE(dir.has("ran"));

    result = launch("tool.exe", "", dir.path, runWait | runHidden, nullptr, never);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_TRUE(dir.has("ran"));
}

TEST(RunProgram, NoDescriptorLeaksIntoTheProgram) {
    ScratchFolder dir;
    int leaky = ::open(dir.path.c_str(), O_RDONLY);  // deliberately without close-on-exec
    ASSERT_GE(leaky, 3);
    dir.write("fds.exe", "#!/bin/sh\nls /proc/$$/fd > fds\n", true);
    runProgram("fds.exe", "", dir.path, runWait | runHidden);
    ::close(leaky);
    EXPECT_EQ(("\n" + dir.read("fds")).find("\n" + std::to_string(leaky) + "\n"), std::string::npos);
}

TEST(RunProgram, MissingOrUnnamedProgramStartsNothing) {
    ScratchFolder dir;
    EXPECT_EQ(runProgram("nowhere.exe", "x", dir.path, runWait), 0);
    EXPECT_EQ(runProgram(dir.file("nowhere.exe"), "", "", runWait), 0);
    EXPECT_EQ(runProgram("", "", dir.path, runWait), 0);
    EXPECT_EQ(runProgram("nothing.bat", "", dir.path, runWait), 0);
    EXPECT_EQ(runCommandLine("nowhere.exe", dir.path, runWait).state, StartResult::State::notFound);
}

TEST(RunProgram, BatchScriptIsRunByTheScriptRunner) {
    ScratchFolder dir;
    dir.writeRecorder("Applications/tool.exe", "rec");
    dir.write("mkvmerge.BAT", "cd Applications\r\ntool.exe -o \"/F/a b.mkv\" ");
    EXPECT_EQ(runProgram("mkvmerge.BAT", "", dir.path, runWait | runHidden), 1);
    EXPECT_EQ(dir.read("rec"), dir.file("Applications") + "\n[-o]\n[/F/a b.mkv]\n");
}

TEST(RunProgram, SeveralThreadsAtOnce) {
    ScratchFolder dir;
    dir.write("t.exe", "#!/bin/sh\nsleep 0.1\necho \"$1\" > \"out$1\"\n", true);
    std::vector<std::thread> threads;
    for (int i = 0; i < 6; ++i)
        threads.emplace_back([&dir, i] { runProgram("t.exe", std::to_string(i), dir.path, runWait | runHidden); });
    for (auto& t : threads) t.join();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(dir.read("out" + std::to_string(i)), std::to_string(i) + "\n");
}

// With a stand-in xdg-open on PATH: files that cannot be started are opened
// with the desktop's handler; openWithDefaultProgram hands over its target unchanged.
TEST(ShellOpen, DesktopHandlerAndLauncherFallback) {
    ScratchFolder dir;
    dir.write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + dir.file("opened.tmp") + "\"\nmv \"" +
                                  dir.file("opened.tmp") + "\" \"" + dir.file("opened") + "\"\n", true);
    std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", (dir.file("bin") + ":" + oldPath).c_str(), 1);

    EXPECT_TRUE(openWithDefaultProgram("http://klarbrix.fr/aide/"));
    ASSERT_TRUE(dir.waitFor("opened"));
    EXPECT_EQ(dir.read("opened"), "http://klarbrix.fr/aide/\n");
    std::filesystem::remove(dir.file("opened"));

    dir.write("log.txt", "not a program");
    EXPECT_EQ(runProgram("log.txt", "", dir.path, runWait), 1);
    ASSERT_TRUE(dir.waitFor("opened"));
    EXPECT_EQ(dir.read("opened"), dir.file("log.txt") + "\n");
    EXPECT_EQ(runProgram("absent.txt", "", dir.path, runWait), 0);

    setenv("PATH", oldPath.c_str(), 1);
}
