// The help window's page: HTML turned into the rich-text view's text and
// runs, links resolved against the page, the page shown with its bold and
// links and its links followed; and the help page contract run on this front end.
#include <gtest/gtest.h>

#include <richedit.h>

#include "frontends/help_page_contract.h"
#include "frontends/win32/help_text.h"
#include "support.h"

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

std::wstring shownText(HWND view) {
    GETTEXTLENGTHEX length{GTL_DEFAULT, 1200};
    LRESULT n = SendMessageW(view, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    std::wstring text(std::size_t(std::max<LRESULT>(n, 0)) + 1, L'\0');
    GETTEXTEX get{DWORD(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    LRESULT got = SendMessageW(view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::size_t(std::max<LRESULT>(got, 0)));
    return text;
}

std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

class Win32Front {
public:
    explicit Win32Front(std::shared_ptr<HelpPages> pages) : ui_(std::move(pages)) {}
    Ui& ui() { return ui_; }
    bool settle() { return serveUntil(ui_, [&] { return ui_.pageSettled(helpPage); }); }
    std::string shown() { return utf8(shownText(handle(ui_, helpPage))); }
    void serveFor(int milliseconds) { test::serveFor(ui_, milliseconds); }
    bool isOpen(int window) { return ui_.windowHandle(window) != nullptr; }

private:
    Win32Ui ui_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, HelpPageContract, ::testing::Types<Win32Front>);

TEST(HelpPage, ShowsItsBoldAndLinksAndAPageThatLooksLikeRtfAsText) {
    auto pages = std::make_shared<FakeHelpPages>();
    const std::string url = "http://klarbrix.example/aide/";
    pages->add(url, "<html><body><h1>Aide</h1><p>Les options <b>expliqu\xC3\xA9" "es</b>, "
                    "voir <a href=\"/les-options\">ici</a></p><p>{\\rtf1 pas du RTF}</p></body></html>");
    Win32Ui ui(pages);
    ASSERT_TRUE(openHelpWindow(ui, url));
    ASSERT_TRUE(serveUntil(ui, [&] { return ui.pageSettled(helpPage); }));
    HWND view = handle(ui, helpPage);
    std::wstring text = shownText(view);
    EXPECT_NE(text.find(L"Les options expliqu\u00e9es, voir ici"), std::wstring::npos);
    EXPECT_NE(text.find(L"{\\rtf1 pas du RTF}"), std::wstring::npos);  // shown as text

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
    auto pages = std::make_shared<FakeHelpPages>();
    const std::string first = "http://klarbrix.example/aide/", link = "http://klarbrix.example/les-options";
    pages->add(first, "<p>Voir <a href=\"/les-options\">les options</a></p>");
    pages->add(link, "<p>Page des options</p>");
    Win32Ui ui(pages);
    ASSERT_TRUE(openHelpWindow(ui, first));
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
    EXPECT_EQ(pages->asked(), (std::vector<std::string>{first, link}));
}

}  // namespace
}  // namespace kx
