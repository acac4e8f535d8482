// The help window's page: HTML turned into the rich-text view's text and
// runs, links resolved against the page, and the page fetched off the
// windows' thread (an unreachable site leaves it empty, a late answer for a
// closed window touches nothing).
#include <gtest/gtest.h>

#include <richedit.h>

#include <atomic>
#include <thread>

#include "base/encoding.h"
#include "platform/socket.h"
#include "support.h"
#include "frontends/win32/help_text.h"

namespace kx {
namespace {

using namespace test;
using win32::HelpRun;
using win32::htmlToHelpText;
using win32::resolveLink;

std::wstring runText(const win32::HelpText& t, const HelpRun& r) { return t.text.substr(std::size_t(r.from), std::size_t(r.to - r.from)); }

TEST(HelpText, BlocksLinesEntitiesAndWhiteSpace) {
    win32::HelpText t = htmlToHelpText(
        "<html><head><title>Aide</title><style>p { color: red }</style></head><body>\n"
        "<h1>Aide  de\n Klarbrix</h1><p>Les options   expliqu\xC3\xA9" "es &amp; d&eacute;taill&#233;es&nbsp;!</p>"
        "<script>var x = '<p>non</p>';</script><!-- <p>commentaire</p> -->"
        "<ul><li>un</li><li>deux<br>suite</li></ul><pre>a   b\n  c</pre><p>fin &unknown; &#x1F600;</p></body></html>");
    EXPECT_EQ(t.text, L"Aide de Klarbrix\n\nLes options expliqu\u00e9es & d\u00e9taill\u00e9es\u00a0!\n\n"
                      L"\u2022 un\n\u2022 deux\nsuite\n\na   b\n  c\n\nfin &unknown; \U0001F600\n");
    ASSERT_GE(t.runs.size(), 2u);
    EXPECT_EQ(runText(t, t.runs[0]), L"Aide de Klarbrix");
}

TEST(HelpText, RunsForEmphasisHeadingsAndLinks) {
    win32::HelpText t = htmlToHelpText(
        "<h2>Titre</h2><p>Un <b>gras</b>, un <em>italique</em> et <a href=\"/les-options\">les options</a>, "
        "<a href='http://ailleurs.example/x?a=1&amp;b=2'>ailleurs</a>.</p><p>\xE9t\xE9</p>");
    std::vector<std::pair<HelpRun::Kind, std::wstring>> runs;
    std::vector<std::string> links;
    for (const HelpRun& r : t.runs) {
        runs.emplace_back(r.kind, runText(t, r));
        if (r.kind == HelpRun::link) links.push_back(r.href);
    }
    EXPECT_EQ(runs, (std::vector<std::pair<HelpRun::Kind, std::wstring>>{{HelpRun::heading, L"Titre"},
                                                                       {HelpRun::bold, L"Titre"},
                                                                       {HelpRun::bold, L"gras"},
                                                                       {HelpRun::italic, L"italique"},
                                                                       {HelpRun::link, L"les options"},
                                                                       {HelpRun::link, L"ailleurs"}}));
    EXPECT_EQ(links, (std::vector<std::string>{"/les-options", "http://ailleurs.example/x?a=1&b=2"}));
    // A page that is not UTF-8 is read as cp1252.
    EXPECT_NE(t.text.find(L"\u00e9t\u00e9"), std::wstring::npos);
    // A letter beyond the first plane takes two units, and runs after it move along.
    t = htmlToHelpText("&#x1F600; <b>x</b>");
    ASSERT_EQ(t.runs.size(), 1u);
    EXPECT_EQ(runText(t, t.runs[0]), L"x");
}

TEST(HelpText, LinksResolveAgainstThePage) {
    std::string page = "http://klarbrix.fr/aide/index.html?x=1";
    EXPECT_EQ(resolveLink(page, "/les-options"), "http://klarbrix.fr/les-options");
    EXPECT_EQ(resolveLink(page, "options.html"), "http://klarbrix.fr/aide/options.html");
    EXPECT_EQ(resolveLink(page, "../telecharger/"), "http://klarbrix.fr/telecharger/");
    EXPECT_EQ(resolveLink(page, "./a/b"), "http://klarbrix.fr/aide/a/b");
    EXPECT_EQ(resolveLink(page, "//autre.example/p"), "http://autre.example/p");
    EXPECT_EQ(resolveLink(page, "https://autre.example/"), "https://autre.example/");
    EXPECT_EQ(resolveLink(page, "mailto:moi@klarbrix.fr"), "mailto:moi@klarbrix.fr");
    EXPECT_EQ(resolveLink(page, "#haut"), "");
    EXPECT_EQ(resolveLink(page, "  "), "");
    EXPECT_EQ(resolveLink("http://klarbrix.fr", "aide/"), "http://klarbrix.fr/aide/");
    EXPECT_EQ(resolveLink("http://klarbrix.fr/", "../../x"), "http://klarbrix.fr/x");
}

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

std::wstring shownText(HWND view) {
    GETTEXTLENGTHEX length{GTL_DEFAULT, 1200};
    LRESULT n = SendMessageW(view, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    std::wstring text(std::size_t(std::max<LRESULT>(n, 0)) + 1, L'\0');
    GETTEXTEX get{DWORD(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    LRESULT got = SendMessageW(view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::size_t(std::max<LRESULT>(got, 0)));
    return text;
}

TEST(HelpPage, ShowsThePageFetchedFromTheSiteWithItsBoldAndLinks) {
    std::atomic<bool> release{true};
    OnePageServer server("<html><body><h1>Aide</h1><p>Les options <b>expliqu\xC3\xA9" "es</b>, "
                         "voir <a href=\"/les-options\">ici</a></p><p>{\\rtf1 pas du RTF}</p></body></html>",
                         release);
    Win32Ui ui;
    ASSERT_TRUE(openHelpWindow(ui, server.url("/aide/")));
    EXPECT_EQ(ui.text(helpPage), server.url("/aide/"));
    ASSERT_TRUE(serveUntil(ui, [&] { return ui.pageSettled(helpPage); }));
    HWND view = handle(ui, helpPage);
    std::wstring text = shownText(view);
    EXPECT_NE(text.find(L"Les options expliqu\u00e9es, voir ici"), std::wstring::npos);
    EXPECT_NE(text.find(L"{\\rtf1 pas du RTF}"), std::wstring::npos);  // shown as text
    EXPECT_EQ(server.firstLine(), "GET /aide/ HTTP/1.1");

    auto effectsAt = [&](const std::wstring& word) {
        LONG at = LONG(text.find(word));
        CHARRANGE range{at + 1, at + 2};
        SendMessageW(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        SendMessageW(view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        return format.dwEffects;
    };
    EXPECT_TRUE(effectsAt(L"expliqu") & CFE_BOLD);
    EXPECT_FALSE(effectsAt(L"options") & CFE_BOLD);
    EXPECT_TRUE(effectsAt(L"ici") & CFE_LINK);
}

TEST(HelpPage, AClickedLinkOfTheSiteLoadsInTheWindow) {
    std::atomic<bool> release{true};
    OnePageServer second("<p>Page des options</p>", release);
    std::string link = second.url("/les-options");
    OnePageServer first("<p>Voir <a href=\"" + link + "\">les options</a></p>", release);
    Win32Ui ui;
    ASSERT_TRUE(openHelpWindow(ui, first.url("/aide/")));
    ASSERT_TRUE(serveUntil(ui, [&] { return ui.pageSettled(helpPage); }));
    HWND view = handle(ui, helpPage);
    std::wstring text = shownText(view);
    LONG at = LONG(text.find(L"options"));
    ASSERT_GE(at, 0);
    // The view tells its window of a release over the link, as a click does.
    ENLINK click{};
    click.nmhdr = {view, UINT_PTR(GetDlgCtrlID(view)), UINT(EN_LINK)};
    click.msg = WM_LBUTTONUP;
    click.chrg = {at, at + 7};
    SendMessageW(GetParent(view), WM_NOTIFY, click.nmhdr.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_TRUE(serveUntil(ui, [&] { return ui.text(helpPage) == link; }));
    ASSERT_TRUE(serveUntil(ui, [&] { return ui.pageSettled(helpPage); }));
    EXPECT_NE(shownText(view).find(L"Page des options"), std::wstring::npos);
    EXPECT_EQ(second.firstLine(), "GET /les-options HTTP/1.1");
}

TEST(HelpPage, AnUnreachableSiteGivesAnEmptyPage) {
    Win32Ui ui;
    ASSERT_TRUE(openHelpWindow(ui, "http://127.0.0.1:1/aide/"));
    ASSERT_TRUE(serveUntil(ui, [&] { return ui.pageSettled(helpPage); }));
    EXPECT_EQ(shownText(handle(ui, helpPage)), L"");
}

TEST(HelpPage, AnAnswerAfterTheWindowClosedIsDropped) {
    std::atomic<bool> release{false};
    {
        OnePageServer server("<p>trop tard</p>", release);
        Win32Ui ui;
        ASSERT_TRUE(openHelpWindow(ui, server.url("/les-options")));
        ASSERT_TRUE(openMainWindow(ui));
        // The windows are served while the page is on its way.
        ui.setText(frameRateField, "x");
        ui.closeWindow(helpWindow);
        EXPECT_EQ(ui.windowHandle(helpWindow), nullptr);
        release = true;
        // A window opened again gets its own page, never the old answer.
        ASSERT_TRUE(openHelpWindow(ui, "http://127.0.0.1:1/aide/"));
        ASSERT_TRUE(serveUntil(ui, [&] { return ui.pageSettled(helpPage); }));
        serveFor(ui, 300);
        EXPECT_EQ(shownText(handle(ui, helpPage)), L"");
    }  // the server has answered once this scope ends; the front end is gone
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a late answer finds nothing to touch
    SUCCEED();
}

}  // namespace
}  // namespace kx
