// The fake launcher itself: it must follow scripts as the command interpreter
// does and refuse what a real run could not do, or the worker tests that lean
// on it prove nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "mock/bench.h"

using namespace kx;
using namespace kx::test;

namespace {

std::string slashes(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

}  // namespace

TEST(FakeLauncher, FolderChangesWithEitherSeparatorAndADrive) {
    EXPECT_EQ(slashes(folderAfterCd("C:\\kx\\job1\\", "..")), "C:/kx/");
    EXPECT_EQ(slashes(folderAfterCd("C:\\kx\\", "Applications")), "C:/kx/Applications/");
    EXPECT_EQ(slashes(folderAfterCd("/a/b/", "D:\\c")), "D:/c/");
    EXPECT_EQ(slashes(folderAfterCd("/a/b/", "../../..")), "/");
}

TEST(FakeLauncher, ScriptRunsItsToolsInTheFolderItChangesToAndEndsWithTheLastStatus) {
    Bench b;
    b.write(b.films + "in.mkv", "x");
    b.write(b.films + "gone.txt", "x");
    b.write(b.films + "Other.TXT", "x");
    b.launcher.setBehaviour("MKVMERGE.exe", {ToolBehaviour::Output::whole, 1});
    b.write(b.program + "a.bat", "cd Applications\r\nmkvextract.exe tracks \"" + b.films + "missing.mkv\" 1:\"" +
                                     b.films + "t.h264\"\r\n@del \"" + b.films + "gone.txt\" \"" + b.films +
                                     "other.txt\"\r\nmkvmerge.exe -o \"" + b.films + "out.mkv\" \"" + b.films +
                                     "in.mkv\"");
    StartResult r = b.launcher.run("a.bat", "", b.program, runWait);
    EXPECT_EQ(r.state, StartResult::State::started);
    EXPECT_EQ(r.exitCode, 1);  // the last program's, not the failed extraction's
    ASSERT_EQ(b.launcher.toolRuns().size(), 2u);
    ToolRun extract = b.launcher.toolRuns()[0], merge = b.launcher.toolRuns()[1];
    EXPECT_EQ(extract.folder, b.tools);
    EXPECT_EQ(extract.exitCode, 2);
    EXPECT_EQ(extract.missingInputs, std::vector<std::string>{b.films + "missing.mkv"});
    EXPECT_TRUE(extract.wrote.empty());
    EXPECT_EQ(merge.script, b.program + "a.bat");
    EXPECT_EQ(merge.wrote, std::vector<std::string>{b.films + "out.mkv"});
    // Deleted by exact name, or by the one name that differs only in case.
    EXPECT_EQ(b.namesIn(b.films), (std::vector<std::string>{"in.mkv", "out.mkv"}));
    EXPECT_TRUE(b.launcher.problems().empty());
}

TEST(FakeLauncher, WhatARealRunCouldNotDoIsRefusedAndRecorded) {
    Bench b, elsewhere;
    b.write(b.films + "in.mkv", "x");
    elsewhere.write(elsewhere.films + "keep.txt", "x");
    // No "cd Applications": the tool is not where the script looks for it.
    b.write(b.program + "a.bat", "mkvmerge.exe -o \"" + b.films + "out.mkv\" \"" + b.films + "in.mkv\"\r\n" +
                                     "del \"" + elsewhere.films + "keep.txt\"\r\nrd /S /Q \"" + elsewhere.films +
                                     "\"\r\ncd Applications\r\nmkvmerge.exe -o \"" + elsewhere.films + "out.mkv\" \"" +
                                     b.films + "in.mkv\"\r\n");
    StartResult r = b.launcher.run("a.bat", "", b.program, runWait);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(b.launcher.problems().size(), 1u);  // the program not found
    EXPECT_EQ(b.launcher.refused().size(), 3u);
    EXPECT_TRUE(elsewhere.exists(elsewhere.films + "keep.txt"));
    EXPECT_FALSE(elsewhere.exists(elsewhere.films + "out.mkv"));
    EXPECT_EQ(b.launcher.run("none.bat", "", b.program, runWait).state, StartResult::State::notFound);
}

TEST(FakeLauncher, ToolBehavioursAndTheFilesEachToolMakes) {
    Bench b;
    const std::string base = b.films + "a";
    b.write(base + ".dts", "dts");
    b.launcher.onTool([&](const ToolRun& run, ToolBehaviour& behaviour) {
        if (run.tool == "delaycut.exe") behaviour = {ToolBehaviour::Output::partial, 2};
    });
    b.launcher.setBehaviour("eac3to.exe", {ToolBehaviour::Output::folder, 0});
    b.write(b.program + "x.bat", "cd Applications\r\ndelaycut.exe  -fixcrc fix -start 0 -End 0 \"" + base +
                                     ".dts\"\r\neac3to.exe \"" + base + ".dts\" \"" + base + ".ac3\" -libav");
    b.launcher.run("x.bat", "", b.program, runWait);
    std::vector<ToolRun> runs = b.launcher.toolRuns();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].exitCode, 2);
    EXPECT_EQ(runs[0].wrote, std::vector<std::string>{base + "_fixed.dts"});
    EXPECT_FALSE(b.exists(base + "_log.txt"));
    EXPECT_TRUE(b.isFolder(base + ".ac3"));
    EXPECT_FALSE(b.exists(base + " - Log.txt"));

    b.launcher.setBehaviour("eac3to.exe", {});
    b.write(b.program + "y.bat", "cd Applications\r\neac3to.exe \"" + base + ".dts\" \"" + base + "2.ac3\"");
    b.launcher.run("y.bat", "", b.program, runWait);
    EXPECT_EQ(b.read(base + "2 - Log.txt"), "read " + base + ".dts\r\nwrote " + base + "2.ac3\r\n");
}
