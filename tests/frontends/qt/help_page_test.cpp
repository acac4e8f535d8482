// The help window's page: the program fetches the address off the windows'
// thread and shows it; an unreachable site leaves an empty page, and a window
// closed before the answer comes is not touched by it.
#include <gtest/gtest.h>

#include <QTextBrowser>

#include <atomic>
#include <thread>

#include "platform/socket.h"
#include "support.h"

namespace kx {
namespace {

// Answers one request with `body` once `release` is set.
class OnePageServer {
public:
    OnePageServer(std::string body, std::atomic<bool>& release) {
        listener_.listenLoopback();
        thread_ = std::thread([this, body = std::move(body), &release] {
            net::TcpConnection c = listener_.accept(20000);
            if (!c.isOpen()) return;
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos && c.waitReadable(20000)) {
                net::Transfer t = c.receive(buffer, sizeof buffer);
                if (t.status != net::Transfer::ok) break;
                request.append(buffer, t.count);
            }
            firstLine_ = request.substr(0, request.find("\r\n"));
            while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                 std::to_string(body.size()) + "\r\n\r\n" + body;
            for (std::string_view rest = answer; !rest.empty() && c.waitWritable(20000);) {
                net::Transfer t = c.send(rest);
                if (t.status != net::Transfer::ok) break;
                rest.remove_prefix(t.count);
            }
            c.shutdownSend();
        });
    }
    ~OnePageServer() { thread_.join(); }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(listener_.port()) + path; }
    std::string firstLine() const { return firstLine_; }

private:
    net::TcpListener listener_;
    std::string firstLine_;
    std::thread thread_;
};

TEST(HelpPage, ShowsThePageFetchedFromTheSite) {
    std::atomic<bool> release{true};
    OnePageServer server("<html><body><h1>Aide</h1><p>Les options expliqu\xC3\xA9" "es</p></body></html>", release);
    QtUi ui;
    ASSERT_TRUE(openHelpWindow(ui, server.url("/aide/")));
    auto* page = test::control<HelpPage>(ui, helpWindow, "helpPage");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ui.text(helpPage), server.url("/aide/"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->settled(); }, 20000));
    EXPECT_TRUE(page->toPlainText().contains(QString::fromUtf8("Les options expliquées")));
    EXPECT_EQ(server.firstLine(), "GET /aide/ HTTP/1.1");
}

TEST(HelpPage, AnUnreachableSiteGivesAnEmptyPage) {
    QtUi ui;
    ASSERT_TRUE(openHelpWindow(ui, "http://127.0.0.1:1/aide/"));
    auto* page = test::control<HelpPage>(ui, helpWindow, "helpPage");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->settled(); }, 20000));
    EXPECT_TRUE(page->toPlainText().isEmpty());
}

TEST(HelpPage, AnAnswerAfterTheWindowClosedIsDropped) {
    std::atomic<bool> release{false};
    {
        OnePageServer server("<p>trop tard</p>", release);
        QtUi ui;
        ASSERT_TRUE(openHelpWindow(ui, server.url("/les-options")));
        // The window is served while the page is on its way.
        ui.setText(frameRateField, "x");
        ui.closeWindow(helpWindow);
        EXPECT_EQ(ui.windowWidget(helpWindow), nullptr);
        release = true;
    }  // the server has answered once this scope ends
    QTest::qWait(300);  // let a late answer arrive: it must find nothing to touch
    SUCCEED();
}

}  // namespace
}  // namespace kx
