// Scripts in the command interpreter's code page: cmd.exe reads a batch file
// in the OEM code page (850 on a French system, 437 on an English one).
#include <windows.h>

#include <gtest/gtest.h>

#include "base/encoding.h"
#include "platform/file_system.h"
#include "platform/script_encoding.h"
#include "tests/win32/scratch.h"

using namespace kx;
using kx::test::WinScratch;

TEST(Win32ScriptCodePage, FrenchLettersCarriedOthersRefused) {
    UINT oem = GetOEMCP();
    if (oem != 437 && oem != 850) GTEST_SKIP() << "OEM code page " << oem;
    const std::string text("cd \"C:\\Hélène\\à ç ô 100%% & (b)\"\r\n"_cp);
    EXPECT_EQ(toScriptCodePage(text), "cd \"C:\\H\x82l\x8ane\\\x85 \x87 \x93 100%% & (b)\"\r\n");
    EXPECT_EQ(fromScriptCodePage(*toScriptCodePage(text)), text);
    EXPECT_EQ(toScriptCodePage(""), "");
    // Neither page has the euro sign or Œ; only 850 has the accented capitals.
    EXPECT_FALSE(toScriptCodePage("C:\\€uros\\a.mkv"_cp));
    EXPECT_FALSE(scriptCodePageCarries("Œuvres"_cp));
    EXPECT_EQ(scriptCodePageCarries("ÁÊ"_cp), oem == 850);
    EXPECT_TRUE(scriptCodePageCarries("Vidéos ça"_cp));
}

TEST(Win32ScriptCodePage, ScriptFilesWrittenForTheInterpreterAndReadBack) {
    if (GetOEMCP() != 437 && GetOEMCP() != 850) GTEST_SKIP() << "OEM code page " << GetOEMCP();
    WinScratch s;
    FileSystem files;
    std::string script = s / "mkvmerge.bat";
    EXPECT_TRUE(files.writeScriptFile(script, "été"_cp));
    EXPECT_EQ(fs::readFile(script), "\x82t\x82");
    EXPECT_EQ(files.readScriptFile(script), std::string("été"_cp));
    EXPECT_TRUE(files.scriptCarries("été"_cp));
    // A text the page cannot carry: nothing written, the older script gone.
    EXPECT_FALSE(files.writeScriptFile(script, "€"_cp));
    EXPECT_FALSE(fs::exists(script));
    EXPECT_FALSE(files.scriptCarries("€"_cp));
}
