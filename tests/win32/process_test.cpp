// The Windows launcher with the tool stand-in: where a bare name is looked
// for, the working folder, exit codes, batch scripts run by cmd.exe with
// their names intact, consoles shown or not, waited for or not, stopped
// with all they started.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "base/encoding.h"
#include "model/script_text.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "tests/win32/scratch.h"

using namespace kx;
using kx::test::WinScratch;
using State = StartResult::State;

namespace {

int lineCount(const std::string& text) { return int(std::count(text.begin(), text.end(), '\n')); }

}  // namespace

TEST(Win32Launch, BareNameRunsInTheWorkingFolderNeverTheCallers) {
    WinScratch s;
    s.folders("work\\");
    s.standIn("work\\mkvmerge.exe");
    std::string before = fs::currentFolder();

    StartResult r = runCommandLine("\"mkvmerge.exe\" -o \"out put.mkv\"", s / "work", runWait | runHidden);
    EXPECT_EQ(r.state, State::started);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(fs::readFile(s / "work\\out put.mkv"), "mkv");
    EXPECT_EQ(s.calls("work\\"), "mkvmerge|-o|out put.mkv\n");
    EXPECT_EQ(fs::currentFolder(), before);

    // Without an extension ".exe" is tried; the exit code comes back.
    ASSERT_TRUE(fs::writeFile(s / "work\\fail-remux", ""));
    r = runCommandLine("mkvmerge -o x.mkv", s / "work\\", runWait | runHidden);
    EXPECT_EQ(r.state, State::started);
    EXPECT_EQ(r.exitCode, 2);

    // Windows itself would find these beside the caller: not here.
    EXPECT_EQ(runCommandLine("klarbrix-stand-in.exe", s / "work\\", runWait | runHidden).state, State::notFound);
    EXPECT_EQ(runCommandLine("klarbrix_tests.exe --help", s / "work\\", runWait | runHidden).state, State::notFound);
    EXPECT_EQ(runCommandLine("absent.exe", s / "work\\", runWait | runHidden).state, State::notFound);
    EXPECT_EQ(runCommandLine("", s / "work\\", runWait | runHidden).state, State::notFound);
    EXPECT_EQ(runCommandLine("\"" + s / "work\\mkvmerge.exe\"", s / "absent\\", runWait | runHidden).state,
              State::notStartable);
    EXPECT_EQ(lineCount(s.calls("work\\")), 2);
}

TEST(Win32Launch, QuotedPathCarriesItsOwnArguments) {
    WinScratch s;
    s.folders("Media Info\\");
    s.folders("home\\");
    s.standIn("Media Info\\MediaInfo.exe");
    ASSERT_TRUE(fs::writeFile(s / "Media Info\\report.txt", "General"));
    std::string program = "\"" + s / "Media Info\\MediaInfo.exe\" \"" + s / "films\\a b.mkv\" --LogFile=\"" +
                          s / "home\\mediainfo.txt\"";
    StartResult r = launch(program, "", s / "home\\", runWait | runHidden);
    EXPECT_EQ(r.state, State::started);
    EXPECT_EQ(fs::readFile(s / "home\\mediainfo.txt"), "General");
    EXPECT_EQ(s.calls("Media Info\\"), "MediaInfo|" + toUtf8(s / "films\\a b.mkv") + "|--LogFile=" +
                                           toUtf8(s / "home\\mediainfo.txt") + "\n");
}

TEST(Win32Launch, BatchScriptsRunThroughCmdWithTheirNamesIntact) {
    WinScratch s;
    const std::string program = std::string("Hélène & (co) 100%\\prog\\"_cp), films = s / "Hélène & (co) 100%\\films\\"_cp;
    s.folders(program + "Applications\\");
    s.folders("Hélène & (co) 100%\\films\\"_cp);
    s.standIn(program + "Applications\\mkvmerge.exe");
    const std::string output = films + "a&b (1) 100%.mkv";
    const std::string script = "cd Applications\r\nmkvmerge.exe -o \"" + scriptName(output) + "\"";
    FileSystem files;
    ASSERT_TRUE(files.writeScriptFile(s / program + "mkvmerge.bat", script));

    // Shown in a console of its own and waited for.
    StartResult r = launch("mkvmerge.bat", "", s / program, runWait);
    EXPECT_EQ(r.state, State::started);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(s.calls(program + "Applications\\"), "mkvmerge|-o|" + toUtf8(output) + "\n");
    EXPECT_EQ(fs::readFile(output), "mkv");

    // The interpreter's exit code is the last tool's.
    ASSERT_TRUE(fs::writeFile(s / program + "Applications\\fail-remux", ""));
    r = launch("mkvmerge.bat", "", s / program, runWait | runHidden);
    EXPECT_EQ(r.exitCode, 2);
    ASSERT_TRUE(fs::removeFile(s / program + "Applications\\fail-remux"));

    // Not waited for: the call comes back, the script still runs.
    r = launch("mkvmerge.bat", "", s / program, runHidden);
    EXPECT_EQ(r.state, State::started);
    for (int i = 0; i < 400 && lineCount(s.calls(program + "Applications\\")) < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(lineCount(s.calls(program + "Applications\\")), 3);
}

// A script whose tool hangs: once the stop is asked, cmd.exe and the tool
// both end. A signal never asked changes nothing.
TEST(Win32Launch, StopEndsTheScriptWithItsTool) {
    WinScratch s;
    s.folders("Applications\\");
    s.standIn("Applications\\hang.exe");
    s.standIn("Applications\\mkvmerge.exe");
    ASSERT_TRUE(fs::writeFile(s / "hang.bat", "cd Applications\r\nhang.exe\r\n"));
    StopSignal stop;
    auto run = std::async(std::launch::async, [&] { return launch("hang.bat", "", s.root, runWait | runHidden, nullptr, stop); });
    for (int i = 0; i < 400 && !fs::exists(s / "Applications\\hang.pid"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    HANDLE tool = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                              DWORD(std::stoul(fs::readFile(s / "Applications\\hang.pid").value_or("0"))));
    ASSERT_TRUE(tool);
    stop.request();

    if (run.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        TerminateProcess(tool, 1);
        FAIL() << "the stopped run did not return";
    }
    StartResult r = run.get();
    EXPECT_EQ(r.state, State::started);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.exitCode, stoppedExitCode);
    EXPECT_EQ(WaitForSingleObject(tool, 10000), WAIT_OBJECT_0);  // cmd.exe has ended: the call waited for it
    CloseHandle(tool);

    ASSERT_TRUE(fs::writeFile(s / "Applications\\fail-remux", ""));
    ASSERT_TRUE(fs::writeFile(s / "remux.bat", "cd Applications\r\nmkvmerge.exe -o x.mkv\r\n"));
    StopSignal never;
    r = launch("remux.bat", "", s.root, runWait | runHidden, nullptr, never);
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.exitCode, 2);
}
