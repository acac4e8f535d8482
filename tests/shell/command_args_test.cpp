// The desktop programs' command line: what each form asks for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/version.h"
#include "shell/command_args.h"

using namespace kx;
using Action = CommandArgs::Action;

TEST(CommandArgs, EachFormAndWhatItAsksFor) {
    struct Case {
        std::vector<std::string> args;
        Action action;
        std::string file;
    };
    const Case cases[] = {
        {{}, Action::run, ""},
        {{"film.mkv"}, Action::run, "film.mkv"},
        {{"--help"}, Action::help, ""},
        {{"film.mkv", "--version"}, Action::version, ""},
        {{"--", "--help"}, Action::run, "--help"},                  // a file that begins with dashes
        {{"-platform", "offscreen", "film.mkv"}, Action::run, "film.mkv"},  // the window system's own
        {{"-style=fusion", "-reverse"}, Action::run, ""},
        {{"--aide"}, Action::refuse, ""},
        {{"-x", "film.mkv"}, Action::refuse, ""},
        {{"a.mkv", "b.mkv"}, Action::refuse, ""},
    };
    for (const Case& c : cases) {
        CommandArgs parsed = parseCommandArgs(c.args);
        EXPECT_EQ(parsed.action, c.action) << ::testing::PrintToString(c.args);
        EXPECT_EQ(parsed.file, c.file) << ::testing::PrintToString(c.args);
        if (!c.file.empty()) {
            EXPECT_EQ(c.args.at(std::size_t(parsed.fileIndex)), c.file);
        }
        EXPECT_EQ(parsed.message.empty(), c.action != Action::refuse) << ::testing::PrintToString(c.args);
    }
    EXPECT_EQ(parseCommandArgs({"--aide"}).message, "option inconnue : --aide");
    EXPECT_EQ(commandVersion(), std::string("Klarbrix ") + KLARBRIX_VERSION + "\n");
    EXPECT_NE(commandHelp().find("--version"), std::string::npos);
}
