// The window builder: the program's windows and their controls made from
// their descriptions (ui/window_desc.h), captions fitted to their room, the
// panel's pages, balloon tips, and the windows' closing.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

#include "frontends/win32/ui_impl.h"
#include "platform/win32/wide.h"

namespace kx {

using namespace win32;

namespace {

constexpr int dropDownOpenHeight = 350;
constexpr int tipMaxWidth = 180;
constexpr int statusMinHeight = 18;

DWORD styleFor(WindowFrame frame) {
    switch (frame) {
        case WindowFrame::fixedWithMinimise: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        case WindowFrame::resizableNoClose: return WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
        case WindowFrame::titleOnly: return WS_OVERLAPPED | WS_CAPTION;
        case WindowFrame::closable: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    }
    return WS_OVERLAPPED | WS_CAPTION;
}

}  // namespace

namespace win32 {

std::wstring shownAsTyped(std::string_view text) {
    std::wstring out;
    for (wchar_t c : wide(text)) {
        out.push_back(c);
        if (c == L'&') out.push_back(L'&');
    }
    return out;
}

std::string typedFromShown(std::wstring_view shown) {
    std::wstring out;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        out.push_back(shown[i]);
        if (shown[i] == L'&' && i + 1 < shown.size() && shown[i + 1] == L'&') ++i;
    }
    return narrow(out);
}

std::wstring windowText(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    std::wstring text(std::size_t(std::max(length, 0)) + 1, L'\0');
    int got = GetWindowTextW(hwnd, text.data(), int(text.size()));
    text.resize(std::size_t(std::max(got, 0)));
    return text;
}

}  // namespace win32

bool Win32Ui::Impl::open(const WindowDesc& desc) {
    close(desc.id);
    DWORD style = styleFor(desc.frame) | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    Window window;
    window.id = desc.id;
    window.frame = desc.frame;
    if (!desc.menuTitle.empty()) {
        // Without a menu the window is still built.
        window.menuBar = CreateMenu();
        HMENU items = window.menuBar ? CreatePopupMenu() : nullptr;
        if (items) {
            for (const MenuItemDesc& item : desc.menuItems) {
                AppendMenuW(items, MF_STRING, UINT_PTR(menuIdBase + item.id), shownAsTyped(item.text).c_str());
                window.menuItems.push_back(item.id);
            }
            AppendMenuW(window.menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(items), shownAsTyped(desc.menuTitle).c_str());
        }
    }

    RECT frame{0, 0, desc.clientWidth, desc.clientHeight};
    AdjustWindowRectEx(&frame, style, window.menuBar != nullptr, exStyle);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HWND top = CreateWindowExW(exStyle, topClass, wide(desc.title).c_str(), style, 0, 0, width, height, nullptr,
                               window.menuBar, instance(), this);
    if (!top) {
        if (window.menuBar) DestroyMenu(window.menuBar);
        return false;
    }
    window.hwnd = top;
    // A menu bar on two lines takes more room than the frame was sized for.
    RECT client;
    GetClientRect(top, &client);
    width += desc.clientWidth - (client.right - client.left);
    height += desc.clientHeight - (client.bottom - client.top);
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left, y = work.top;
    if (desc.centred) {
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }
    SetWindowPos(top, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    auto& entry = windows[desc.id] = std::move(window);

    if (desc.statusBar) {
        entry.status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0, top,
                                       nullptr, instance(), nullptr);
        if (entry.status) {
            SendMessageW(entry.status, WM_SETFONT, WPARAM(font), FALSE);
            int whole = -1;
            SendMessageW(entry.status, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&whole));
            SendMessageW(entry.status, SB_SETMINHEIGHT, statusMinHeight, 0);
            SendMessageW(entry.status, WM_SIZE, 0, 0);
        }
    }

    // Controls in creation order; the pages of the panel hold theirs.
    for (const ControlDesc& c : desc.controls) {
        HWND parent = top;
        if (c.page >= 0 && c.page < int(entry.pages.size())) parent = entry.pages[std::size_t(c.page)];
        HWND hwnd = makeControl(c, entry, parent);
        if (!hwnd) continue;
        if (c.kind == ControlKind::tabPanel && !entry.tabs) {
            entry.tabs = hwnd;
            for (std::size_t i = 0; i < desc.tabs.size(); ++i) {
                std::wstring title = shownAsTyped(desc.tabs[i]);
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = title.data();
                SendMessageW(hwnd, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
            }
            // The pages lie over the panel's display area, above it.
            RECT area{0, 0, c.width, c.height};
            SendMessageW(hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
            for (std::size_t i = 0; i < desc.tabs.size(); ++i) {
                HWND page = CreateWindowExW(WS_EX_CONTROLPARENT, pageClass, L"",
                                            WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | (i == 0 ? WS_VISIBLE : 0),
                                            c.x + area.left, c.y + area.top, area.right - area.left,
                                            area.bottom - area.top, top, nullptr, instance(), this);
                SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                entry.pages.push_back(page);
            }
        }
    }
    // Frames are drawn beneath the controls they surround.
    for (int id : entry.order)
        if (Control* c = find(id); c && c->kind == ControlKind::frame)
            SetWindowPos(c->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (entry.status) SetWindowPos(entry.status, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(top, SW_SHOW);
    UpdateWindow(top);
    return true;
}

HWND Win32Ui::Impl::makeControl(const ControlDesc& c, Window& window, HWND parent) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    const wchar_t* cls = WC_STATICW;
    std::wstring caption;
    int height = c.height;
    switch (c.kind) {
        case ControlKind::label:
            style |= (c.centred ? SS_CENTER : SS_LEFT) | SS_CENTERIMAGE | SS_NOPREFIX | (c.sunken ? SS_SUNKEN : 0);
            caption = wide(c.caption);
            break;
        case ControlKind::button:
            cls = WC_BUTTONW;
            style |= BS_PUSHBUTTON;
            caption = shownAsTyped(c.caption);
            break;
        case ControlKind::checkBox:
            cls = WC_BUTTONW;
            style |= BS_AUTOCHECKBOX;
            break;
        case ControlKind::dropDown:
            cls = WC_COMBOBOXW;
            style |= CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT | WS_VSCROLL;
            height = dropDownOpenHeight;  // the control and its open list together
            break;
        case ControlKind::columnList:
            cls = WC_LISTVIEWW;
            style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::progress:
            cls = PROGRESS_CLASSW;
            style |= PBS_SMOOTH;
            break;
        case ControlKind::image: style |= SS_ICON | SS_CENTERIMAGE; break;
        case ControlKind::frame:
            if (c.sunken) {
                style |= SS_SUNKEN;
            } else {
                cls = WC_BUTTONW;
                style |= BS_GROUPBOX;
            }
            break;
        case ControlKind::hyperlink:
            style |= SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX | SS_NOTIFY;
            caption = wide(c.caption);
            break;
        case ControlKind::tabPanel:
            cls = WC_TABCONTROLW;
            break;
        case ControlKind::webPage:
            cls = richEditClass.empty() ? WC_EDITW : richEditClass.c_str();
            style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
    }
    if (takesFocus(c.kind)) style |= WS_TABSTOP;
    HWND hwnd = CreateWindowExW(exStyle, cls, caption.c_str(), style, c.x, c.y, c.width, height, parent,
                                reinterpret_cast<HMENU>(INT_PTR(controlIdBase + c.id)), instance(), nullptr);
    if (!hwnd) return nullptr;
    SendMessageW(hwnd, WM_SETFONT, WPARAM(font), FALSE);

    switch (c.kind) {
        case ControlKind::label:
            if (!c.sunken) fitCaption(hwnd, caption, c.width);
            break;
        case ControlKind::button: fitCaption(hwnd, wide(c.caption), c.width - 8); break;
        case ControlKind::dropDown: setClosedHeight(hwnd, c.width, c.height); break;
        case ControlKind::columnList: {
            SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
                         LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
            std::wstring title = wide(c.caption);
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH;
            column.pszText = title.data();
            column.cx = 100;
            SendMessageW(hwnd, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
            break;
        }
        case ControlKind::progress:
            SendMessageW(hwnd, PBM_SETRANGE32, 0, 100);
            SendMessageW(hwnd, PBM_SETPOS, 0, 0);
            break;
        case ControlKind::image:
            if (logo) SendMessageW(hwnd, STM_SETICON, WPARAM(logo), 0);
            SetWindowPos(hwnd, nullptr, c.x, c.y, c.width, c.height, SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        case ControlKind::hyperlink:
            SetWindowSubclass(hwnd, linkProc, 1, reinterpret_cast<DWORD_PTR>(this));
            break;
        case ControlKind::frame:
            if (!c.sunken) SetWindowSubclass(hwnd, groupProc, 1, reinterpret_cast<DWORD_PTR>(this));
            break;
        case ControlKind::webPage:
            SendMessageW(hwnd, EM_SETEVENTMASK, 0, ENM_LINK);
            break;
        default: break;
    }

    Control control;
    control.id = c.id;
    control.kind = c.kind;
    control.window = window.id;
    control.hwnd = hwnd;
    if (c.kind == ControlKind::webPage) control.page = std::make_unique<Page>();
    if (Control* old = find(c.id)) handles.erase(old->hwnd);
    controls[c.id] = std::move(control);
    handles[hwnd] = c.id;
    window.order.push_back(c.id);
    return hwnd;
}

// A caption wider than its room is drawn with a narrower font (down to 62 %),
// so that it reads whole in the fixed layout instead of being cut.
void Win32Ui::Impl::fitCaption(HWND hwnd, const std::wstring& text, int room) {
    if (text.empty() || room <= 0) return;
    HDC dc = GetDC(hwnd);
    if (!dc) return;
    HGDIOBJ old = SelectObject(dc, font);
    auto widthWith = [&](HFONT f) {
        SelectObject(dc, f);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        return int(size.cx);
    };
    int natural = widthWith(font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    HFONT chosen = nullptr;
    if (natural > room && metrics.tmAveCharWidth > 0) {
        LOGFONTW base{};
        GetObjectW(font, sizeof base, &base);
        for (int stretch = std::max(62, 100 * room / natural); stretch >= 62; stretch -= 2) {
            HFONT& f = narrowFonts[stretch];
            if (!f) {
                LOGFONTW narrower = base;
                narrower.lfWidth = std::max(1L, LONG(metrics.tmAveCharWidth) * stretch / 100);
                f = CreateFontIndirectW(&narrower);
            }
            chosen = f;
            if (f && widthWith(f) <= room) break;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    if (chosen) SendMessageW(hwnd, WM_SETFONT, WPARAM(chosen), FALSE);
}

// Closed, a drop-down list is exactly as high as described; open, it and its
// list are as high as it was made. The height of its field is asked for until
// the whole control has the height wanted (systems add their own borders).
void Win32Ui::Impl::setClosedHeight(HWND combo, int width, int height) {
    LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, WPARAM(-1), 0);
    if (field == CB_ERR) return;
    LONG asked = LONG(field);
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT r;
        GetWindowRect(combo, &r);
        int now = r.bottom - r.top;
        if (now == height) break;
        asked = std::max(1L, asked + height - now);
        SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), LPARAM(asked));
    }
    SetWindowPos(combo, nullptr, 0, 0, width, dropDownOpenHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Ui::Impl::showPage(Window& window, int page) {
    if (page < 0 || page >= int(window.pages.size())) return;
    HWND focus = GetFocus();
    for (std::size_t i = 0; i < window.pages.size(); ++i) {
        bool shown = int(i) == page;
        if (!shown && focus && IsChild(window.pages[i], focus)) SetFocus(window.tabs);
        ShowWindow(window.pages[i], shown ? SW_SHOW : SW_HIDE);
    }
    if (int(SendMessageW(window.tabs, TCM_GETCURSEL, 0, 0)) != page) SendMessageW(window.tabs, TCM_SETCURSEL, page, 0);
}

void Win32Ui::Impl::close(int id) {
    auto it = windows.find(id);
    if (it == windows.end()) return;
    HWND top = it->second.hwnd;
    for (int control : it->second.order) {
        auto c = controls.find(control);
        if (c != controls.end() && c->second.window == id) {
            handles.erase(c->second.hwnd);
            if (c->second.tip) DestroyWindow(c->second.tip);
            controls.erase(c);
        }
    }
    windows.erase(it);
    DestroyWindow(top);  // its controls and menu go with it
}

void Win32Ui::Impl::attachTip(Control& c, std::string_view text, std::string_view title, int icon) {
    if (c.tip) DestroyWindow(c.tip);
    c.tip = nullptr;
    if (text.empty()) return;  // an empty tip is never shown, whatever its title
    HWND top = GetAncestor(c.hwnd, GA_ROOT);
    // Not TTS_ALWAYSTIP: the tip shows only while its window is active.
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_BALLOON | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, top, nullptr, instance(),
                               nullptr);
    if (!tip) return;
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, tipMaxWidth);
    SendMessageW(tip, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
    SendMessageW(tip, TTM_SETTIPBKCOLOR, GetSysColor(COLOR_INFOBK), 0);
    std::wstring tipText = wide(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(c.hwnd);
    tool.uId = reinterpret_cast<UINT_PTR>(c.hwnd);
    tool.lpszText = tipText.data();
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!title.empty())
        SendMessageW(tip, TTM_SETTITLEW, WPARAM(std::clamp(icon, 0, 3)), reinterpret_cast<LPARAM>(wide(title).c_str()));
    // A text control lets the mouse through to its parent unless it notifies:
    // the tip watches the control's own mouse moves.
    if (c.kind == ControlKind::label || c.kind == ControlKind::image)
        SetWindowLongPtrW(c.hwnd, GWL_STYLE, GetWindowLongPtrW(c.hwnd, GWL_STYLE) | SS_NOTIFY);
    c.tip = tip;
}

}  // namespace kx
