// The Win32 realisation of the Ui boundary. The thread that made the front
// end owns every window; calls from other threads are sent to a hidden
// message window and run there while the caller waits. User actions become
// events in a queue that waitEvent() serves while it pumps the messages.
#include "frontends/win32/win32_ui.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>

#include "base/encoding.h"
#include "platform/files.h"
#include "platform/http.h"
#include "platform/default_program.h"
#include "frontends/win32/dialogs.h"
#include "frontends/win32/help_text.h"
#include "frontends/win32/resource_ids.h"
#include "platform/win32/wide.h"

namespace kx {

using win32::narrow;
using win32::wide;

namespace {

constexpr UINT callMessage = WM_APP + 1;  // lParam: the std::function<void()> to run
constexpr UINT pageMessage = WM_APP + 2;  // lParam: a PageArrival to take over
constexpr UINT linkMessage = WM_APP + 3;  // wParam: the help page's control, lParam: the position clicked
// Win32 identifiers: control numbers and menu items are moved clear of IDOK,
// IDCANCEL and of each other.
constexpr int controlIdBase = 1000;
constexpr int menuIdBase = 40000;
constexpr int extraTitleId = 49000;

constexpr int dropDownOpenHeight = 350;
constexpr int tipMaxWidth = 180;
constexpr int statusMinHeight = 18;
constexpr COLORREF green = RGB(0, 200, 0), red = RGB(200, 0, 0);

const wchar_t topClass[] = L"KlarbrixWindow";
const wchar_t pageClass[] = L"KlarbrixPage";
const wchar_t callClass[] = L"KlarbrixCalls";

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

DWORD styleFor(WindowFrame frame) {
    switch (frame) {
        case WindowFrame::fixedWithMinimise: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        case WindowFrame::resizableNoClose: return WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
        case WindowFrame::titleOnly: return WS_OVERLAPPED | WS_CAPTION;
        case WindowFrame::closable: return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    }
    return WS_OVERLAPPED | WS_CAPTION;
}

// Buttons, tabs and menus would take "&x" as a keyboard mark: ampersands are
// doubled so that they show as typed.
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

// A page that arrived for the help view, on its way to the windows' thread.
struct PageArrival {
    int control;
    unsigned generation;
    bool ok;
    std::string body;
};

// What a download thread shares with the front end: the window that takes
// arrivals, null once the front end has gone.
struct Mailbox {
    std::mutex mutex;
    HWND target = nullptr;
};

}  // namespace

class Win32Ui::Impl {
public:
    struct Window {
        int id = 0;
        HWND hwnd = nullptr;
        WindowFrame frame = WindowFrame::closable;
        HWND status = nullptr;
        HMENU menuBar = nullptr;
        std::vector<int> menuItems;
        HWND tabs = nullptr;
        std::vector<HWND> pages;
        HWND lastFocus = nullptr;
        std::vector<int> order;  // the window's controls in creation order
    };
    struct Page {
        std::string address;
        unsigned generation = 0;
        bool settled = true;
        std::vector<win32::HelpRun> links;
    };
    struct Control {
        int id = 0;
        ControlKind kind = ControlKind::label;
        int window = 0;
        HWND hwnd = nullptr;
        HWND tip = nullptr;
        std::unique_ptr<Page> page;
    };

    Impl();
    ~Impl();

    // Runs `f` on the owning thread and returns its result; other threads wait.
    template <typename F>
    auto onGui(F&& f) -> std::invoke_result_t<F&> {
        using R = std::invoke_result_t<F&>;
        if (GetCurrentThreadId() == thread) return f();
        if constexpr (std::is_void_v<R>) {
            std::function<void()> call = [&] { f(); };
            SendMessageW(callWindow, callMessage, 0, reinterpret_cast<LPARAM>(&call));
        } else {
            R result{};
            std::function<void()> call = [&] { result = f(); };
            SendMessageW(callWindow, callMessage, 0, reinterpret_cast<LPARAM>(&call));
            return result;
        }
    }

    Control* find(int id) {
        auto it = controls.find(id);
        return it == controls.end() ? nullptr : &it->second;
    }
    Control* find(int id, ControlKind kind) {
        Control* c = find(id);
        return c && c->kind == kind ? c : nullptr;
    }
    Control* byHandle(HWND hwnd) {
        auto it = handles.find(hwnd);
        return it == handles.end() ? nullptr : find(it->second);
    }
    Window* windowOf(HWND top) {
        for (auto& [id, w] : windows)
            if (w.hwnd == top) return &w;
        return nullptr;
    }

    void push(Event event) {
        {
            std::lock_guard lock(queueMutex);
            queue.push_back(event);
        }
        queueChanged.notify_all();
    }
    std::optional<Event> pop() {
        std::lock_guard lock(queueMutex);
        if (queue.empty()) return std::nullopt;
        Event e = queue.front();
        queue.pop_front();
        return e;
    }

    bool open(const WindowDesc& desc);
    void close(int id);
    HWND makeControl(const ControlDesc& c, Window& window, HWND parent);
    void fitCaption(HWND hwnd, const std::wstring& text, int room);
    void setClosedHeight(HWND combo, int width, int height);
    void showPage(Window& window, int page);
    void attachTip(Control& c, std::string_view text, std::string_view title, int icon);
    void loadPage(Control& c, std::string url);
    void pageArrived(std::unique_ptr<PageArrival> arrival);
    void followLink(Control& c, LONG position);
    HWND modalOwner();

    // While a dialog or message box is up, every window of the program waits
    // for it (the dialog disables its owner itself).
    class ModalScope {
    public:
        ModalScope(const std::map<int, Window>& windows, HWND owner) {
            for (const auto& [id, w] : windows)
                if (w.hwnd != owner && IsWindowEnabled(w.hwnd)) {
                    EnableWindow(w.hwnd, FALSE);
                    disabled_.push_back(w.hwnd);
                }
        }
        ~ModalScope() {
            for (HWND w : disabled_)
                if (IsWindow(w)) EnableWindow(w, TRUE);
        }

    private:
        std::vector<HWND> disabled_;
    };

    // Messages of the program's windows and pages; true when handled.
    bool handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT notify(NMHDR* header);
    // Tab, Shift+Tab, Ctrl+Tab and Enter in the program's windows.
    bool keyboard(const MSG& msg);
    void dispatch(MSG& msg) {
        if (keyboard(msg)) return;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    static void registerClasses();
    static LRESULT CALLBACK topProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK callProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK linkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
    static LRESULT CALLBACK groupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);

    DWORD thread = GetCurrentThreadId();
    HWND callWindow = nullptr;
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    std::map<int, HFONT> narrowFonts;  // the GUI font drawn narrower, by width in percent
    HICON logo = nullptr;
    HBRUSH pageBrush = GetSysColorBrush(COLOR_BTNFACE);
    std::wstring richEditClass;
    std::map<int, Window> windows;
    std::map<int, Control> controls;
    std::map<HWND, int> handles;
    std::shared_ptr<Mailbox> mailbox = std::make_shared<Mailbox>();
    unsigned pageRequests = 0;

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<Event> queue;
    bool quit = false;
};

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

Win32Ui::Impl::Impl() {
    registerClasses();
    callWindow = CreateWindowExW(0, callClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance(), this);
    mailbox->target = callWindow;
    logo = static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(KX_LOGO_ICON), IMAGE_ICON, 64, 64, 0));
    // The newest rich-text view there is.
    if (LoadLibraryW(L"msftedit.dll")) richEditClass = MSFTEDIT_CLASS;
    else if (LoadLibraryW(L"riched20.dll")) richEditClass = RICHEDIT_CLASSW;
}

Win32Ui::Impl::~Impl() {
    {
        std::lock_guard lock(mailbox->mutex);
        mailbox->target = nullptr;
    }
    std::vector<int> open;
    for (auto& [id, w] : windows) open.push_back(id);
    for (int id : open) close(id);
    if (callWindow) DestroyWindow(callWindow);
    for (auto& [width, f] : narrowFonts) DeleteObject(f);
    if (logo) DestroyIcon(logo);
}

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

void Win32Ui::Impl::loadPage(Control& c, std::string url) {
    Page& page = *c.page;
    page.address = url;
    // Numbered across every page the front end ever asked for, so that an
    // answer for a closed window never lands in a window opened later.
    unsigned generation = page.generation = ++pageRequests;
    page.settled = false;
    page.links.clear();
    SetWindowTextW(c.hwnd, L"");

    // A file of our own for the answer, removed once read.
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t name[MAX_PATH + 1] = {};
    std::optional<std::string> file;
    DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length > 0 && length <= MAX_PATH && GetTempFileNameW(folder, L"kxp", 0, name)) {
        file = win32::carried(name);
        if (!file) DeleteFileW(name);
    }
    if (!file) {
        pageArrived(std::make_unique<PageArrival>(PageArrival{c.id, generation, false, {}}));
        return;
    }
    std::thread([box = mailbox, url = std::move(url), file = *file, control = c.id, generation] {
        auto arrival = std::make_unique<PageArrival>(PageArrival{control, generation, false, {}});
        arrival->ok = httpGet(url, file) == 1;
        if (arrival->ok) arrival->body = fs::readFile(file).value_or(std::string());
        fs::removeFile(file);
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
    if (!arrival->ok) {
        SetWindowTextW(c->hwnd, L"");
        return;
    }
    win32::HelpText help = win32::htmlToHelpText(arrival->body);
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

HWND Win32Ui::Impl::modalOwner() {
    HWND active = GetActiveWindow();
    if (active && windowOf(active)) return active;
    auto it = windows.find(mainWindow);
    if (it != windows.end()) return it->second.hwnd;
    return windows.empty() ? nullptr : windows.begin()->second.hwnd;
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
            if (colour == RowColour::green || colour == RowColour::red) {
                draw->clrTextBk = colour == RowColour::green ? green : red;
                draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
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

bool Win32Ui::Impl::keyboard(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.wParam != VK_TAB && msg.wParam != VK_RETURN)) return false;
    HWND top = GetAncestor(msg.hwnd, GA_ROOT);
    Window* w = top ? windowOf(top) : nullptr;
    if (!w || !IsWindowEnabled(top)) return false;
    // The control that has the keyboard (or holds the window that has it).
    Control* current = nullptr;
    for (HWND h = msg.hwnd; h && h != top && !current; h = GetParent(h)) current = byHandle(h);

    if (msg.wParam == VK_RETURN) {
        if (!current || current->kind != ControlKind::button) return false;
        SendMessageW(current->hwnd, BM_CLICK, 0, 0);
        return true;
    }
    bool back = GetKeyState(VK_SHIFT) < 0;
    if (GetKeyState(VK_CONTROL) < 0) {
        if (!w->tabs || w->pages.empty()) return false;
        int count = int(w->pages.size());
        int page = int(SendMessageW(w->tabs, TCM_GETCURSEL, 0, 0));
        showPage(*w, ((page + (back ? -1 : 1)) % count + count) % count);
        return true;
    }
    // Tab order: the window's controls that take the keyboard, in creation
    // order, those shown and usable.
    std::vector<HWND> order;
    int at = -1;
    for (int id : w->order) {
        Control* c = find(id);
        if (!c || !takesFocus(c->kind) || !IsWindowVisible(c->hwnd) || !IsWindowEnabled(c->hwnd)) continue;
        if (c == current) at = int(order.size());
        order.push_back(c->hwnd);
    }
    if (order.empty()) return true;
    int count = int(order.size());
    int next = at < 0 ? (back ? count - 1 : 0) : ((at + (back ? -1 : 1)) % count + count) % count;
    SetFocus(order[std::size_t(next)]);
    return true;
}

LRESULT CALLBACK Win32Ui::Impl::topProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd, focus)) w->lastFocus = focus;
            } else {
                HWND focus = w->lastFocus;
                if (!focus || !IsWindow(focus) || !IsChild(hwnd, focus) || !IsWindowVisible(focus)) {
                    focus = nullptr;
                    for (int id : w->order) {
                        Control* c = self->find(id);
                        if (c && takesFocus(c->kind) && IsWindowVisible(c->hwnd) && IsWindowEnabled(c->hwnd)) {
                            focus = c->hwnd;
                            break;
                        }
                    }
                }
                if (focus) SetFocus(focus);
                return 0;
            }
            break;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32Ui::Impl::pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (self && self->handle(hwnd, message, wParam, lParam, result)) return result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32Ui::Impl::callProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == callMessage) {
        (*reinterpret_cast<std::function<void()>*>(lParam))();
        return 0;
    }
    if (message == linkMessage) {
        if (self)
            if (Control* c = self->find(int(wParam), ControlKind::webPage)) self->followLink(*c, LONG(lParam));
        return 0;
    }
    if (message == pageMessage) {
        std::unique_ptr<PageArrival> arrival(reinterpret_cast<PageArrival*>(lParam));
        if (self) self->pageArrived(std::move(arrival));
        return 0;
    }
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

// ---- Win32Ui ----------------------------------------------------------------

void Win32Ui::initialiseThread() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

Win32Ui::Win32Ui() : d_(std::make_unique<Impl>()) {}

Win32Ui::~Win32Ui() = default;

bool Win32Ui::openWindow(const WindowDesc& window) {
    return d_->onGui([&] { return d_->open(window); });
}

void Win32Ui::closeWindow(int window) {
    d_->onGui([&] { d_->close(window); });
}

void Win32Ui::addMenuTitle(int window, std::string_view title) {
    d_->onGui([&] {
        auto it = d_->windows.find(window);
        if (it == d_->windows.end() || !it->second.menuBar) return;
        // A title without items does nothing when chosen.
        AppendMenuW(it->second.menuBar, MF_STRING, extraTitleId, shownAsTyped(title).c_str());
        DrawMenuBar(it->second.hwnd);
    });
}

void Win32Ui::setText(int control, std::string_view text) {
    d_->onGui([&] {
        Impl::Control* c = d_->find(control);
        if (!c) return;
        switch (c->kind) {
            case ControlKind::webPage: d_->loadPage(*c, std::string(text)); break;
            case ControlKind::button: SetWindowTextW(c->hwnd, shownAsTyped(text).c_str()); break;
            case ControlKind::label:
            case ControlKind::hyperlink: SetWindowTextW(c->hwnd, wide(text).c_str()); break;
            default: break;
        }
    });
}

std::string Win32Ui::text(int control) {
    return d_->onGui([&] {
        Impl::Control* c = d_->find(control);
        if (!c) return std::string();
        switch (c->kind) {
            case ControlKind::webPage: return c->page->address;
            case ControlKind::button: return typedFromShown(windowText(c->hwnd));
            case ControlKind::label:
            case ControlKind::hyperlink: return narrow(windowText(c->hwnd));
            case ControlKind::dropDown: {
                int chosen = int(SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0));
                return chosen < 0 ? std::string() : itemText(control, chosen);
            }
            default: return std::string();
        }
    });
}

void Win32Ui::setChecked(int control, bool checked) {
    d_->onGui([&] {
        if (Impl::Control* c = d_->find(control, ControlKind::checkBox))
            SendMessageW(c->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    });
}

bool Win32Ui::checked(int control) {
    return d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::checkBox);
        return c && SendMessageW(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    });
}

void Win32Ui::addItem(int control, std::string_view text) {
    d_->onGui([&] {
        if (Impl::Control* c = d_->find(control, ControlKind::dropDown))
            SendMessageW(c->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text).c_str()));
    });
}

void Win32Ui::insertItem(int control, int index, std::string_view text) {
    d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::dropDown);
        if (!c || index < 0 || index > int(SendMessageW(c->hwnd, CB_GETCOUNT, 0, 0))) return;
        int chosen = int(SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0));
        SendMessageW(c->hwnd, CB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(wide(text).c_str()));
        // The same item stays chosen.
        SendMessageW(c->hwnd, CB_SETCURSEL, WPARAM(chosen >= index ? chosen + 1 : chosen), 0);
    });
}

void Win32Ui::clearItems(int control) {
    d_->onGui([&] {
        Impl::Control* c = d_->find(control);
        if (!c) return;
        if (c->kind == ControlKind::dropDown) SendMessageW(c->hwnd, CB_RESETCONTENT, 0, 0);
        else if (c->kind == ControlKind::columnList) SendMessageW(c->hwnd, LVM_DELETEALLITEMS, 0, 0);
    });
}

int Win32Ui::itemCount(int control) {
    return d_->onGui([&] {
        Impl::Control* c = d_->find(control);
        if (!c) return 0;
        if (c->kind == ControlKind::dropDown) return int(SendMessageW(c->hwnd, CB_GETCOUNT, 0, 0));
        if (c->kind == ControlKind::columnList) return int(SendMessageW(c->hwnd, LVM_GETITEMCOUNT, 0, 0));
        return 0;
    });
}

std::string Win32Ui::itemText(int control, int index) {
    return d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::dropDown);
        if (!c || index < 0 || index >= int(SendMessageW(c->hwnd, CB_GETCOUNT, 0, 0))) return std::string();
        LRESULT length = SendMessageW(c->hwnd, CB_GETLBTEXTLEN, WPARAM(index), 0);
        if (length == CB_ERR) return std::string();
        std::wstring text(std::size_t(length) + 1, L'\0');
        LRESULT got = SendMessageW(c->hwnd, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(got == CB_ERR ? 0 : std::size_t(got));
        return narrow(text);
    });
}

void Win32Ui::select(int control, int index) {
    d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::dropDown);
        if (c && index >= -1 && index < int(SendMessageW(c->hwnd, CB_GETCOUNT, 0, 0)))
            SendMessageW(c->hwnd, CB_SETCURSEL, WPARAM(index), 0);
    });
}

int Win32Ui::selected(int control) {
    return d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::dropDown);
        if (!c) return -1;
        LRESULT chosen = SendMessageW(c->hwnd, CB_GETCURSEL, 0, 0);
        return chosen == CB_ERR ? -1 : int(chosen);
    });
}

void Win32Ui::addColumn(int control, std::string_view title, int width) {
    d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::columnList);
        if (!c) return;
        std::wstring text = wide(title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = text.data();
        column.cx = width;
        int at = columnCount(control);
        column.iSubItem = at;
        SendMessageW(c->hwnd, LVM_INSERTCOLUMNW, WPARAM(at), reinterpret_cast<LPARAM>(&column));
    });
}

int Win32Ui::columnCount(int control) {
    return d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::columnList);
        if (!c) return 0;
        auto header = reinterpret_cast<HWND>(SendMessageW(c->hwnd, LVM_GETHEADER, 0, 0));
        return header ? int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    });
}

void Win32Ui::addRow(int control, const std::vector<std::string>& cells) {
    d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::columnList);
        if (!c) return;
        std::wstring first = cells.empty() ? std::wstring() : wide(cells[0]);
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = int(SendMessageW(c->hwnd, LVM_GETITEMCOUNT, 0, 0));
        item.pszText = first.data();
        item.lParam = LPARAM(RowColour::none);
        int row = int(SendMessageW(c->hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) return;
        for (std::size_t i = 1; i < cells.size(); ++i) {
            std::wstring text = wide(cells[i]);
            LVITEMW cell{};
            cell.iSubItem = int(i);
            cell.pszText = text.data();
            SendMessageW(c->hwnd, LVM_SETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&cell));
        }
    });
}

void Win32Ui::removeRow(int control, int row) {
    d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::columnList);
        if (c && row >= 0 && row < int(SendMessageW(c->hwnd, LVM_GETITEMCOUNT, 0, 0)))
            SendMessageW(c->hwnd, LVM_DELETEITEM, WPARAM(row), 0);
    });
}

std::string Win32Ui::cellText(int control, int row, int column) {
    return d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::columnList);
        if (!c || row < 0 || row >= int(SendMessageW(c->hwnd, LVM_GETITEMCOUNT, 0, 0)) || column < 0)
            return std::string();
        for (std::size_t size = 256;; size *= 4) {
            std::wstring text(size, L'\0');
            LVITEMW cell{};
            cell.iSubItem = column;
            cell.pszText = text.data();
            cell.cchTextMax = int(size);
            int got = int(SendMessageW(c->hwnd, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&cell)));
            if (got < int(size) - 1 || size > 65536) {
                text.resize(std::size_t(std::max(got, 0)));
                return narrow(text);
            }
        }
    });
}

void Win32Ui::setRowColour(int control, int row, RowColour colour) {
    d_->onGui([&] {
        Impl::Control* c = d_->find(control, ControlKind::columnList);
        if (!c || row < 0 || row >= int(SendMessageW(c->hwnd, LVM_GETITEMCOUNT, 0, 0))) return;
        // The colour rides with the row; the list's drawing asks for it.
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = LPARAM(colour);
        SendMessageW(c->hwnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SendMessageW(c->hwnd, LVM_REDRAWITEMS, WPARAM(row), LPARAM(row));
    });
}

void Win32Ui::setProgress(int control, int value) {
    d_->onGui([&] {
        if (Impl::Control* c = d_->find(control, ControlKind::progress))
            SendMessageW(c->hwnd, PBM_SETPOS, WPARAM(std::clamp(value, 0, 100)), 0);
    });
}

void Win32Ui::setStatus(std::string_view text) {
    d_->onGui([&] {
        auto it = d_->windows.find(mainWindow);
        if (it != d_->windows.end() && it->second.status)
            SendMessageW(it->second.status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(wide(text).c_str()));
    });
}

void Win32Ui::setFocus(int control) {
    d_->onGui([&] {
        if (Impl::Control* c = d_->find(control)) SetFocus(c->hwnd);
    });
}

void Win32Ui::showBalloonTip(int control, std::string_view text, std::string_view title, int icon) {
    d_->onGui([&] {
        if (Impl::Control* c = d_->find(control)) d_->attachTip(*c, text, title, icon);
    });
}

Event Win32Ui::waitEvent() {
    if (GetCurrentThreadId() != d_->thread) {
        // Another thread waits while the owning thread serves the windows.
        std::unique_lock lock(d_->queueMutex);
        d_->queueChanged.wait(lock, [this] { return !d_->queue.empty(); });
        Event e = d_->queue.front();
        d_->queue.pop_front();
        return e;
    }
    for (;;) {
        if (std::optional<Event> e = d_->pop()) return *e;
        MSG msg;
        if (d_->quit || GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            // The session ends: nothing more will come, so the main window closes.
            d_->quit = true;
            return {Event::close, 0, mainWindow};
        }
        d_->dispatch(msg);
    }
}

void Win32Ui::messageBox(std::string_view title, std::string_view text) {
    d_->onGui([&] {
        HWND owner = d_->modalOwner();
        Impl::ModalScope scope(d_->windows, owner);
        win32::messageBox(owner, title, text);
    });
}

ChosenPath Win32Ui::openFileDialog(std::string_view title, std::string_view initialFile, std::string_view filter,
                                   int firstFilter) {
    return d_->onGui([&] {
        HWND owner = d_->modalOwner();
        Impl::ModalScope scope(d_->windows, owner);
        return win32::openFileDialog(owner, title, initialFile, filter, firstFilter);
    });
}

ChosenPath Win32Ui::chooseFolder(std::string_view title, std::string_view initialFolder) {
    return d_->onGui([&] {
        HWND owner = d_->modalOwner();
        Impl::ModalScope scope(d_->windows, owner);
        return win32::chooseFolder(owner, title, initialFolder);
    });
}

void* Win32Ui::windowHandle(int window) {
    auto it = d_->windows.find(window);
    return it == d_->windows.end() ? nullptr : it->second.hwnd;
}

void* Win32Ui::controlHandle(int control) {
    Impl::Control* c = d_->find(control);
    return c ? c->hwnd : nullptr;
}

void* Win32Ui::tipHandle(int control) {
    Impl::Control* c = d_->find(control);
    return c ? c->tip : nullptr;
}

bool Win32Ui::pageSettled(int control) {
    Impl::Control* c = d_->find(control, ControlKind::webPage);
    return !c || c->page->settled;
}

void Win32Ui::serve() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            d_->quit = true;
            break;
        }
        d_->dispatch(msg);
    }
}

}  // namespace kx
