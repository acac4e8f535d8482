// The help view: the help page asked of the help pages service off the
// windows' thread, shown in the rich-text view with its bold, italic, heading
// and link runs (or a word saying it could not be had), and its links followed.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <thread>

#include "base/encoding.h"
#include "frontends/win32/ui_impl.h"
#include "platform/default_program.h"
#include "platform/win32/wide.h"

namespace kx {

using namespace win32;

void Win32Ui::Impl::loadPage(Control& c, std::string url) {
    Page& page = *c.page;
    page.address = url;
    // Numbered across every page the front end ever asked for, so that an
    // answer for a closed window never lands in a window opened later.
    unsigned generation = page.generation = ++pageRequests;
    page.settled = false;
    page.links.clear();
    SetWindowTextW(c.hwnd, L"");
    if (!helpPages) {
        pageArrived(std::make_unique<PageArrival>(PageArrival{c.id, generation, std::nullopt}));
        return;
    }
    std::thread([box = mailbox, pages = helpPages, url = std::move(url), control = c.id, generation] {
        auto arrival = std::make_unique<PageArrival>(PageArrival{control, generation, pages->fetch(url)});
        std::lock_guard lock(box->mutex);
        if (box->target && PostMessageW(box->target, pageMessage, 0, reinterpret_cast<LPARAM>(arrival.get())))
            arrival.release();
    }).detach();
}

namespace {

struct StreamSource {
    const std::wstring* text;
    std::size_t offset = 0;  // in bytes
};

DWORD CALLBACK streamOut(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    std::size_t total = source->text->size() * sizeof(wchar_t);
    std::size_t count = std::min<std::size_t>(std::size_t(wanted), total - source->offset);
    std::memcpy(buffer, reinterpret_cast<const char*>(source->text->data()) + source->offset, count);
    source->offset += count;
    *given = LONG(count);
    return 0;
}

}  // namespace

void Win32Ui::Impl::pageArrived(std::unique_ptr<PageArrival> arrival) {
    Control* c = find(arrival->control, ControlKind::webPage);
    if (!c || arrival->generation != c->page->generation) return;  // gone, or a later page was asked for
    Page& page = *c->page;
    page.settled = true;
    if (!arrival->body) {
        SetWindowTextW(c->hwnd, wide(helpPageUnavailableText(page.address)).c_str());
        return;
    }
    win32::HelpText help = win32::htmlToHelpText(*arrival->body);
    if (richEditClass.empty()) {
        std::wstring text;
        for (wchar_t ch : help.text) {
            if (ch == L'\n') text.push_back(L'\r');
            text.push_back(ch);
        }
        SetWindowTextW(c->hwnd, text.c_str());
        return;
    }
    // Streamed in as plain text, so that a page that looks like RTF is not read as such.
    StreamSource source{&help.text};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = streamOut;
    SendMessageW(c->hwnd, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    for (const win32::HelpRun& run : help.runs) {
        CHARRANGE range{run.from, run.to};
        SendMessageW(c->hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        switch (run.kind) {
            case win32::HelpRun::bold:
                format.dwMask = CFM_BOLD;
                format.dwEffects = CFE_BOLD;
                break;
            case win32::HelpRun::italic:
                format.dwMask = CFM_ITALIC;
                format.dwEffects = CFE_ITALIC;
                break;
            case win32::HelpRun::heading:
                format.dwMask = CFM_SIZE;
                format.yHeight = 12 * 20;
                break;
            case win32::HelpRun::link:
                format.dwMask = CFM_LINK | CFM_UNDERLINE | CFM_COLOR;
                format.dwEffects = CFE_LINK | CFE_UNDERLINE;
                format.crTextColor = RGB(0, 0, 204);
                page.links.push_back(run);
                break;
        }
        SendMessageW(c->hwnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    CHARRANGE start{0, 0};
    SendMessageW(c->hwnd, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
    SendMessageW(c->hwnd, EM_SCROLLCARET, 0, 0);
}

// Links to other pages of plain HTTP sites load here too; other links go to
// the desktop.
void Win32Ui::Impl::followLink(Control& c, LONG position) {
    for (const win32::HelpRun& link : c.page->links) {
        if (position < link.from || position >= link.to) continue;
        std::string target = win32::resolveLink(toUtf8(c.page->address), link.href);
        std::optional<std::string> text = fromUtf8(target);
        if (target.empty() || !text) return;
        std::string scheme = text->substr(0, 7);
        std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](char ch) { return char(std::tolower((unsigned char)ch)); });
        if (scheme == "http://") loadPage(c, *text);
        else openWithDefaultProgram(*text);
        return;
    }
}

}  // namespace kx
