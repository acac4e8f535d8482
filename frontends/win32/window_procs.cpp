// The window procedures: the program's windows and the panel's pages turn
// commands, notifications and closing into events; the list's row colours,
// the hyperlink's hand and click, and the group box's background.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

#include "frontends/win32/resource_ids.h"
#include "frontends/win32/ui_impl.h"

namespace kx {

using namespace win32;

namespace {

COLORREF colorRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

}  // namespace

void Win32Ui::Impl::registerClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSEXW top{};
    top.cbSize = sizeof top;
    top.lpfnWndProc = topProc;
    top.hInstance = instance();
    top.hIcon = LoadIconW(instance(), MAKEINTRESOURCEW(KX_PROGRAM_ICON));
    top.hIconSm = static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(KX_PROGRAM_ICON), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    top.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    top.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    top.lpszClassName = topClass;
    RegisterClassExW(&top);

    WNDCLASSEXW page = top;
    page.lpfnWndProc = pageProc;
    page.hIcon = page.hIconSm = nullptr;
    page.lpszClassName = pageClass;
    RegisterClassExW(&page);

    WNDCLASSEXW call{};
    call.cbSize = sizeof call;
    call.lpfnWndProc = callProc;
    call.hInstance = instance();
    call.lpszClassName = callClass;
    RegisterClassExW(&call);
}

bool Win32Ui::Impl::handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND: {
            HWND from = reinterpret_cast<HWND>(lParam);
            int code = HIWORD(wParam);
            if (!from) {
                int item = int(LOWORD(wParam)) - menuIdBase;
                Window* w = windowOf(hwnd);
                if (code == 0 && w && std::find(w->menuItems.begin(), w->menuItems.end(), item) != w->menuItems.end())
                    push({Event::menu, item, w->id});
                result = 0;
                return true;
            }
            Control* c = byHandle(from);
            if (!c) return false;
            bool reported = ((c->kind == ControlKind::button || c->kind == ControlKind::checkBox) && code == BN_CLICKED) ||
                            (c->kind == ControlKind::dropDown && code == CBN_SELENDOK);
            if (reported) push({Event::control, c->id, c->window});
            result = 0;
            return true;
        }
        case WM_NOTIFY:
            result = notify(reinterpret_cast<NMHDR*>(lParam));
            return true;
        case WM_CTLCOLORSTATIC: {
            Control* c = byHandle(reinterpret_cast<HWND>(lParam));
            if (!c || c->kind != ControlKind::hyperlink) return false;
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, RGB(0, 0, 0));  // black, and the same under the pointer
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            result = reinterpret_cast<LRESULT>(pageBrush);
            return true;
        }
        default: return false;
    }
}

LRESULT Win32Ui::Impl::notify(NMHDR* header) {
    Control* c = byHandle(header->hwndFrom);
    if (!c) return 0;
    if (c->kind == ControlKind::columnList && header->code == NM_CUSTOMDRAW) {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            auto colour = RowColour(draw->nmcd.lItemlParam);
            if (colour != RowColour::none) {
                // The text in white or black, whichever reads better on the row.
                draw->clrTextBk = colorRef(rowBackground(colour));
                draw->clrText = colorRef(contrastingText(rowBackground(colour)));
                return CDRF_NEWFONT;
            }
        }
        return CDRF_DODEFAULT;
    }
    if (c->kind == ControlKind::tabPanel && header->code == TCN_SELCHANGE) {
        if (Window* w = windowOf(GetAncestor(c->hwnd, GA_ROOT)))
            showPage(*w, int(SendMessageW(c->hwnd, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    if (c->kind == ControlKind::webPage && header->code == EN_LINK) {
        auto* link = reinterpret_cast<ENLINK*>(header);
        if (link->msg == WM_SETCURSOR) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
            return 1;
        }
        // Followed once the view has finished with the click.
        if (link->msg == WM_LBUTTONUP) PostMessageW(callWindow, linkMessage, WPARAM(c->id), LPARAM(link->chrg.cpMin));
        return 0;
    }
    return 0;
}

LRESULT CALLBACK Win32Ui::Impl::topProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Impl* self = frontEndOf(hwnd, message, lParam);
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result = 0;
    if (self->handle(hwnd, message, wParam, lParam, result)) return result;
    Window* w = self->windowOf(hwnd);
    switch (message) {
        case WM_CLOSE:
            // The program decides; a window without a close box ignores the request.
            if (w && hasCloseBox(w->frame)) self->push({Event::close, 0, w->id});
            return 0;
        case WM_SIZE:
            if (w && w->status) SendMessageW(w->status, WM_SIZE, 0, 0);
            break;
        case WM_ACTIVATE:
            if (!w) break;
            self->activated(*w, hwnd, LOWORD(wParam) != WA_INACTIVE);
            if (LOWORD(wParam) != WA_INACTIVE) return 0;
            break;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32Ui::Impl::pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Impl* self = frontEndOf(hwnd, message, lParam);
    LRESULT result = 0;
    if (self && self->handle(hwnd, message, wParam, lParam, result)) return result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32Ui::Impl::linkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<Impl*>(data);
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
            return TRUE;
        case WM_LBUTTONUP: {
            // Reported on release over the text.
            RECT r;
            GetClientRect(hwnd, &r);
            POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
            if (PtInRect(&r, p))
                if (Control* c = self->byHandle(hwnd)) self->push({Event::control, c->id, c->window});
            break;
        }
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, linkProc, 1); break;
        default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// A group box leaves its inside to its parent, which does not draw beneath
// its children: the box fills it itself (the controls above it are clipped).
LRESULT CALLBACK Win32Ui::Impl::groupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
    if (message == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, reinterpret_cast<Impl*>(data)->pageBrush);
        return TRUE;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, groupProc, 1);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace kx
