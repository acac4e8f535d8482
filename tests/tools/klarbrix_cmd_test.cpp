// The script runner klarbrix-cmd on real scripts, with test-double tools
// that record their folder and arguments.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/scratch_folder.h"

using kx::test::ScratchFolder;

namespace {

// Runs `script` with `folder` as the current folder; its standard error
// lands in dir/err. The runner's exit status.
int runScript(const ScratchFolder& dir, const std::string& folder, const std::string& script) {
    std::string command = "cd '" + folder + "' && '" KLARBRIX_BUILD_DIR "/klarbrix-cmd' '" + script + "' 2> '" +
                          dir.file("err") + "'";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(KlarbrixCmd, ToolGetsQuotedPathsAccentsAndPercents) {
    ScratchFolder dir;
    dir.writeRecorder("home/Applications/mkvmerge.exe", "rec");
    // cp1252 script: \xE9 is "é".
    dir.write("home/mkvmerge.bat", "cd Applications\r\nmkvmerge.exe -o \"" + dir.path +
                                       "/Mes films/\xE9t\xE9_remux.mkv\" \"100%%\" 50% \"--compression\" \"0:none\" ");
    EXPECT_EQ(runScript(dir, dir.file("home"), "mkvmerge.bat"), 0);
    EXPECT_EQ(dir.read("rec"), dir.file("home/Applications") + "\n[-o]\n[" + dir.path +
                                   "/Mes films/été_remux.mkv]\n[100%]\n[50%]\n[--compression]\n[0:none]\n");
}

TEST(KlarbrixCmd, JobScriptGoesUpFirst) {
    ScratchFolder dir;
    dir.writeRecorder("home/Applications/eac3to.exe", "rec");
    dir.write("home/job1/eac3to.bat", "cd..\r\ncd Applications\r\neac3to.exe \"/F/a.dts\" \"/F/a.ac3\" -libav");
    EXPECT_EQ(runScript(dir, dir.file("home/job1"), "eac3to.bat"), 0);
    EXPECT_EQ(dir.read("rec"), dir.file("home/Applications") + "\n[/F/a.dts]\n[/F/a.ac3]\n[-libav]\n");
}

TEST(KlarbrixCmd, CleanUpScriptDeletesWhatItNamesAndItsJobFolder) {
    ScratchFolder dir;
    for (const char* name : {"F/a.ac3", "F/A.H264", "F/keep.txt", "F/b.dts", "F/B.DTS", "F/a.srt/inside", "home/job1/x"})
        dir.write(name, "data");
    std::string f = dir.file("F") + "/";
    dir.write("home/job1/mkvpurge.bat", "del \"" + f + "a.ac3\"\r\ndel \"" + f + "a.h264\"\r\ndel \"" + f +
                                            "b.Dts\"\r\ndel \"" + f + "absent.ac3\"\r\ndel \"" + f + "a.srt\"\r\n" +
                                            "RD /S /Q \"" + dir.file("home/job1") + "\"\r\n");
    EXPECT_EQ(runScript(dir, dir.file("home/job1"), "mkvpurge.bat"), 0);
    EXPECT_FALSE(dir.has("F/a.ac3"));
    EXPECT_FALSE(dir.has("F/A.H264"));  // named in another letter case
    EXPECT_TRUE(dir.has("F/keep.txt"));
    EXPECT_TRUE(dir.has("F/b.dts"));  // two names fit b.Dts: neither is taken
    EXPECT_TRUE(dir.has("F/B.DTS"));
    EXPECT_TRUE(dir.has("F/a.srt/inside"));  // del never empties a folder
    EXPECT_FALSE(dir.has("home/job1"));
    EXPECT_TRUE(dir.has("home"));
    std::string err = dir.read("err");
    EXPECT_NE(err.find("absent.ac3"), std::string::npos);
    EXPECT_NE(err.find("a.srt"), std::string::npos);
}

TEST(KlarbrixCmd, FailuresAreReportedAndTheScriptGoesOn) {
    ScratchFolder dir;
    dir.writeRecorder("home/Applications/tool.exe", "rec", "exit 3");
    dir.write("home/a.bat", "cd nowhere\r\ncd Applications\r\n\r\nabsent.exe x\r\ntool.exe y\r\n");
    EXPECT_EQ(runScript(dir, dir.file("home"), "a.bat"), 3);  // the last command's status
    EXPECT_EQ(dir.read("rec"), dir.file("home/Applications") + "\n[y]\n");
    std::string err = dir.read("err");
    EXPECT_NE(err.find("nowhere"), std::string::npos);
    EXPECT_NE(err.find("absent.exe"), std::string::npos);

    dir.write("home/b.bat", "cd Applications\r\ntool.exe\r\nabsent.exe\r\n");
    EXPECT_EQ(runScript(dir, dir.file("home"), "b.bat"), 127);
    EXPECT_EQ(runScript(dir, dir.file("home"), "missing.bat"), 1);
}
