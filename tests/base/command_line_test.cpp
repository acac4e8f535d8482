// Command-line splitting, quoting and the launcher's command line; the lines
// of batch scripts read as commands.
#include <gtest/gtest.h>

#include "base/batch_command.h"
#include "base/command_line.h"

using namespace kx;
using V = std::vector<std::string>;

TEST(SplitCommandLine, ProgramNameTakesNoEscapes) {
    EXPECT_EQ(splitCommandLine(R"("C:\Prog Files\a.exe" x)"), (V{R"(C:\Prog Files\a.exe)", "x"}));
    EXPECT_EQ(splitCommandLine(R"("C:\dir\" x)"), (V{R"(C:\dir\)", "x"}));  // the backslash does not escape
    EXPECT_EQ(splitCommandLine("  mkvmerge.exe\t-o"), (V{"mkvmerge.exe", "-o"}));
    EXPECT_EQ(splitCommandLine("\"\""), (V{""}));
    EXPECT_EQ(splitCommandLine(" \t "), V{});
}

TEST(SplitCommandLine, QuotesBackslashesAndEmptyArguments) {
    EXPECT_EQ(splitCommandLine(R"(p "a b"  c	"")"), (V{"p", "a b", "c", ""}));
    EXPECT_EQ(splitCommandLine(R"(p a"b c"d)"), (V{"p", "ab cd"}));
    EXPECT_EQ(splitCommandLine(R"(p a\\\"b)"), (V{"p", R"(a\"b)"}));     // 2n+1: n and a literal quote
    EXPECT_EQ(splitCommandLine(R"(p "a\\" b)"), (V{"p", R"(a\)", "b"}));  // 2n: n, the quote closes
    EXPECT_EQ(splitCommandLine(R"(p a\b\\c)"), (V{"p", R"(a\b\\c)"}));   // not before a quote: literal
    EXPECT_EQ(splitCommandLine(R"(p "a""b" c)"), (V{"p", R"(a"b)", "c"}));
    EXPECT_EQ(splitCommandLine(R"(p "" "" x)"), (V{"p", "", "", "x"}));
    EXPECT_EQ(splitCommandLine(R"(p "--sync" "0:-1500" )"), (V{"p", "--sync", "0:-1500"}));
    EXPECT_EQ(splitCommandLine(R"(p "open)"), (V{"p", "open"}));
}

TEST(SplitCommandLine, QuotedArgumentsComeBackUnchanged) {
    V args{"prog", "", "a b", R"(a\)", R"(\\server\x y\)", R"(say "hi")", "tab\there", R"(\")", "plain"};
    std::string line = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) line += ' ' + quoteArgument(args[i]);
    EXPECT_EQ(splitCommandLine(line), args);
    EXPECT_EQ(quoteArgument("plain"), "plain");
}

TEST(BuildCommandLine, QuotesTheProgramUnlessAlreadyQuoted) {
    EXPECT_EQ(buildCommandLine(R"("/opt/k/MediaInfo.exe" --LogFile="x.txt" "/m/a b.mkv")", ""),
              R"("/opt/k/MediaInfo.exe" --LogFile="x.txt" "/m/a b.mkv")");
    EXPECT_EQ(buildCommandLine("mkvmerge.bat", ""), "\"mkvmerge.bat\"");
    EXPECT_EQ(buildCommandLine("tool.exe", "-a \"b c\""), "\"tool.exe\" -a \"b c\"");
    EXPECT_EQ(buildCommandLine("", ""), "\"\"");
}

TEST(ParseBatchLine, FolderChanges) {
    using K = BatchCommand::Kind;
    for (const char* line : {"cd..", "cd ..", "CD..", "  cd ..  ", "chdir .."}) {
        auto c = parseBatchLine(line);
        EXPECT_EQ(c.kind, K::changeFolder) << line;
        EXPECT_EQ(c.names, V{".."}) << line;
    }
    EXPECT_EQ(parseBatchLine("cd Applications").names, V{"Applications"});
    EXPECT_EQ(parseBatchLine("Cd \"/home/u/Mes Films\" ").names, V{"/home/u/Mes Films"});
    EXPECT_EQ(parseBatchLine("cd /d /home/u/x y").names, V{"/home/u/x y"});
    EXPECT_EQ(parseBatchLine("cd").names, V{});
}

TEST(ParseBatchLine, DeletionsAndTheirSwitches) {
    using K = BatchCommand::Kind;
    auto del = parseBatchLine("del \"/home/u/F/a b.ac3\"");
    EXPECT_EQ(del.kind, K::deleteFiles);
    EXPECT_EQ(del.names, V{"/home/u/F/a b.ac3"});
    EXPECT_EQ(parseBatchLine("DEL /q \"/x/a.\" /x/b").names, (V{"/x/a.", "/x/b"}));  // /x/b is a name
    EXPECT_EQ(parseBatchLine("del \"\"").names, V{""});

    auto rd = parseBatchLine("RD /S /Q \"/home/u/k/job12\"");
    EXPECT_EQ(rd.kind, K::removeFolders);
    EXPECT_TRUE(rd.subfolders);
    EXPECT_EQ(rd.names, V{"/home/u/k/job12"});
    EXPECT_FALSE(parseBatchLine("rmdir \"/k/job1\"").subfolders);

    auto odd = parseBatchLine("del /S \"/x\"");
    EXPECT_EQ(odd.kind, K::invalid);
    EXPECT_EQ(odd.problem, "/S");
}

TEST(ParseBatchLine, ProgramLinesCommentsAndPercents) {
    using K = BatchCommand::Kind;
    auto run = parseBatchLine(R"(delaycut.exe  -fixcrc fix "/F/100%%.dts" "50%")");
    EXPECT_EQ(run.kind, K::runProgram);  // "delaycut" is not "del"
    EXPECT_EQ(run.commandLine, R"(delaycut.exe  -fixcrc fix "/F/100%.dts" "50%")");
    EXPECT_EQ(parseBatchLine("cdrecord.exe x").kind, K::runProgram);
    EXPECT_EQ(parseBatchLine("\"/opt/a b/tool.exe\" x").kind, K::runProgram);
    for (const char* line : {"", "  \t", "rem del \"/x\"", ":: note", "@REM"})
        EXPECT_EQ(parseBatchLine(line).kind, K::nothing) << line;
}

TEST(ChangedFolder, ResolvesNamesAndStopsAtTheRoot) {
    EXPECT_EQ(changedFolder("/home/u/k/", "Applications"), "/home/u/k/Applications/");
    EXPECT_EQ(changedFolder("/home/u/k/job3/", ".."), "/home/u/k/");
    EXPECT_EQ(changedFolder("/home/u/k/", "/opt//x/./y/../"), "/opt/x/");
    EXPECT_EQ(changedFolder("/a/", "../../.."), "/");
}
