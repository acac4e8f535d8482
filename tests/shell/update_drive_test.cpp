// The update check at start-up through klarbrix-drive --site, against a
// scripted loopback server: which first lines announce a new version, that
// the window is served while the check waits, and that nothing is fetched
// unless the check is allowed.
#include <gtest/gtest.h>

#include "drive.h"
#include "platform/socket.h"
#include "tests/platform/loopback_server.h"

using kx::test::drive;
using kx::test::LoopbackServer;
using kx::test::pauseFor;
using kx::test::ProgramFolder;
using kx::test::sendText;

namespace {

const std::string announced = "menus: Menu | Une nouvelle version est en ligne !";

std::string answer(const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The menu bar after a start-up whose update check gets `response`.
std::string menusAfter(const std::string& response) {
    ProgramFolder folder;
    folder.write("options.txt", "checkupdate = 1\r\n");
    LoopbackServer server({sendText(response)});
    auto t = drive(folder, "wait\nmenus\n", {"--site", server.url("")});
    EXPECT_NE(server.request().find("GET /update.txt HTTP/1.1\r\n"), std::string::npos);
    return t.lines.at(1);
}

}  // namespace

TEST(UpdateCheckAtStartUp, NewerNumbersAddTheTitle) {
    for (const char* first : {"86", "  90 (beta)\r\nrest", "$56"})
        EXPECT_EQ(menusAfter(answer("200 OK", first)), announced) << first;
}

TEST(UpdateCheckAtStartUp, SameOrUnreadableNumbersAndRefusedAnswersDoNot) {
    for (const std::string& response :
         {answer("200 OK", "85"), answer("200 OK", "version de klarbrix=86"), answer("404 Not Found", "86"),
          answer("302 Found", "<html><body>86</body></html>")})
        EXPECT_EQ(menusAfter(response), "menus: Menu") << response;
}

TEST(UpdateCheckAtStartUp, WindowIsServedWhileTheCheckWaits) {
    ProgramFolder folder;
    folder.write("options.txt", "checkupdate = 1\r\n");
    // The site answers after two seconds; the menu bar is asked for at once.
    LoopbackServer server({pauseFor(2000), sendText(answer("200 OK", "86"))});
    auto t = drive(folder, "menus\nwait\nmenus\n", {"--site", server.url("")});
    int first = t.find("menus: Menu");
    EXPECT_GE(first, 0) << t.text();
    EXPECT_GT(t.find(announced, first), first) << t.text();
}

// The driver's own limit on "wait", shown with the check as the worker that
// keeps it waiting: "timeout", no further command, exit status 3.
TEST(UpdateCheckAtStartUp, AWaitThatRunsOutEndsTheDriver) {
    ProgramFolder folder;
    folder.write("options.txt", "checkupdate = 1\r\n");
    LoopbackServer server({pauseFor(3000), sendText(answer("200 OK", "86"))});
    auto t = drive(folder, "wait\nmenus\n", {"--site", server.url(""), "--wait-limit", "1"});
    EXPECT_EQ(t.status, 3) << t.text();
    EXPECT_TRUE(t.has("timeout")) << t.text();
    EXPECT_EQ(t.find("menus: Menu"), -1) << t.text();
}

TEST(UpdateCheckAtStartUp, NothingIsFetchedUnlessAllowed) {
    for (const char* options : {"checkupdate = 0\r\n", "soundenable = 1\r\n", "checkupdate = 1 \r\n"}) {
        ProgramFolder folder;
        folder.write("options.txt", options);
        kx::net::TcpListener listener;
        ASSERT_TRUE(listener.listenLoopback());
        auto t = drive(folder, "menus\n", {"--site", "http://127.0.0.1:" + std::to_string(listener.port())});
        EXPECT_EQ(t.lines.at(1), "menus: Menu");
        EXPECT_FALSE(listener.accept(100).isOpen()) << options;
        EXPECT_FALSE(folder.exists("update.txt"));
    }
}
