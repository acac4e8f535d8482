// The start-up version check against a scripted loopback site: which answers
// announce a new version, and that a slow, endless or cut-off answer is no
// answer and leaves nothing behind.
#include <gtest/gtest.h>

#include "shell/update_check.h"
#include "platform/file_system.h"
#include "platform/files.h"
#include "tests/platform/loopback_server.h"

using namespace kx;
using kx::test::LoopbackServer;
using kx::test::sendText;

namespace {

constexpr std::int64_t programVersion = 85;

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        fs::makeFolder(std::string(KLARBRIX_BUILD_DIR) + "/scratch-http/");
        folder_ = std::string(KLARBRIX_BUILD_DIR) + "/scratch-http/UpdateCheck." +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        fs::removeTree(folder_);
        ASSERT_TRUE(fs::makeFolder(folder_));
    }
    void TearDown() override { fs::removeTree(folder_); }

    // The site answers "/update.txt" with `answer`; the check's verdict.
    bool check(const std::string& answer) { return check({sendText(answer)}); }
    bool check(std::vector<kx::test::Step> script) {
        LoopbackServer site(std::move(script));
        bool newer = newerVersionPublished(files_, site.url(""), folder_, programVersion);
        request_ = site.request();
        return newer;
    }
    static std::string ok(const std::string& body) {
        return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }

    std::string stored() { return fs::readFile(folder_ + "update.txt").value_or("(no file)"); }

    kx::FileSystem files_;
    std::string folder_, request_;
};

}  // namespace

TEST_F(UpdateCheck, NewerVersionsAreSeen) {
    for (const char* firstLine : {"86", "  90 (beta)", "$56", "\t100\r\n85"}) {
        EXPECT_TRUE(check(ok(std::string(firstLine) + "\r\nnotes\r\n"))) << firstLine;
    }
    EXPECT_EQ(request_.substr(0, 26), "GET /update.txt HTTP/1.1\r\n");
    EXPECT_EQ(fs::readFile(folder_ + "update.txt").value_or(""), "\t100\r\n85\r\nnotes\r\n");
}

TEST_F(UpdateCheck, SameOlderOrUnreadableVersionsAreNot) {
    for (const char* firstLine : {"85", "84", "version de klarbrix=86", "", "-86", "\r\n86"}) {
        EXPECT_FALSE(check(ok(firstLine))) << firstLine;
    }
}

TEST_F(UpdateCheck, FailedOrRedirectedDownloadsSayNo) {
    // A stale copy from an earlier check is never read after a failure.
    ASSERT_TRUE(fs::writeFile(folder_ + "update.txt", "99\r\n"));
    EXPECT_FALSE(check("HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\n99"));
    EXPECT_FALSE(check(""));

    const std::string page = "<html><body>Moved</body></html>\r\n";
    EXPECT_FALSE(check("HTTP/1.1 302 Found\r\nLocation: /new\r\nContent-Length: " + std::to_string(page.size()) +
                       "\r\n\r\n" + page));
    EXPECT_EQ(fs::readFile(folder_ + "update.txt").value_or(""), page);

    // Nobody listening.
    std::uint16_t unused;
    {
        net::TcpListener l;
        ASSERT_TRUE(l.listenLoopback());
        unused = l.port();
    }
    EXPECT_FALSE(newerVersionPublished(files_, "http://127.0.0.1:" + std::to_string(unused), folder_, programVersion));
    EXPECT_FALSE(newerVersionPublished(files_, "no site", folder_, programVersion));
}

TEST_F(UpdateCheck, CutOffAnswersAreNoAnswer) {
    ASSERT_TRUE(fs::writeFile(folder_ + "update.txt", "84\r\n"));
    // The peer stops before the announced length, or before the last chunk.
    EXPECT_FALSE(check("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n86"));
    EXPECT_FALSE(check("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\n86\r\n\r\n"));
    EXPECT_EQ(stored(), "84\r\n");  // the earlier copy is left as it was

    EXPECT_TRUE(check("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\n86\r\n\r\n0\r\n\r\n"));
    EXPECT_EQ(stored(), "86\r\n");
}

TEST_F(UpdateCheck, OversizedAnswersAreNotKept) {
    // A version file holds a number: beyond 4 KiB the answer is no answer.
    const std::string padded = "86\r\n" + std::string(8 * 1024, 'x');
    EXPECT_FALSE(check(ok(padded)));
    EXPECT_FALSE(check("HTTP/1.1 200 OK\r\nContent-Length: 100000000000\r\n\r\n" + padded));
    EXPECT_FALSE(check("HTTP/1.1 200 OK\r\n\r\n" + padded));  // until the peer stops
    EXPECT_FALSE(fs::exists(folder_ + "update.txt"));

    const std::string full = "86\r\n" + std::string(4096 - 4, 'x');
    EXPECT_TRUE(check(ok(full)));
    EXPECT_EQ(stored(), full);
}

TEST_F(UpdateCheck, SlowAnswerIsCutAtTheDeadline) {
    // Every byte comes well within the wait for each block, but the whole
    // answer would take longer than the check may: it counts as no answer.
    const std::string body = "86\r\n" + std::string(75, 'x');
    EXPECT_FALSE(check({sendText("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n"),
                        sendText(body, 1, 100)}));
    EXPECT_FALSE(fs::exists(folder_ + "update.txt"));
}
