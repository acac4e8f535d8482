// The Win32 front end's insides, shared by its files: the windows and
// controls it made, the event queue, the calls carried to the windows'
// thread, and the pieces each file adds (builder, help view, keyboard,
// window procedures).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "frontends/win32/help_text.h"
#include "frontends/win32/win32_ui.h"
#include "platform/help_pages.h"
#include "ui/window_desc.h"

namespace kx {

namespace win32 {

inline constexpr UINT callMessage = WM_APP + 1;  // lParam: the std::function<void()> to run
inline constexpr UINT pageMessage = WM_APP + 2;  // lParam: a PageArrival to take over
inline constexpr UINT linkMessage = WM_APP + 3;  // wParam: the help page's control, lParam: the position clicked
// Win32 identifiers: control numbers and menu items are moved clear of IDOK,
// IDCANCEL and of each other.
inline constexpr int controlIdBase = 1000;
inline constexpr int menuIdBase = 40000;
inline constexpr int extraTitleId = 49000;

inline constexpr wchar_t topClass[] = L"KlarbrixWindow";
inline constexpr wchar_t pageClass[] = L"KlarbrixPage";
inline constexpr wchar_t callClass[] = L"KlarbrixCalls";

inline HINSTANCE instance() { return GetModuleHandleW(nullptr); }

// Buttons, tabs and menus would take "&x" as a keyboard mark: ampersands are
// doubled so that they show as typed, and read back single.
std::wstring shownAsTyped(std::string_view text);
std::string typedFromShown(std::wstring_view shown);
std::wstring windowText(HWND hwnd);

// A page that arrived for the help view, on its way to the windows' thread;
// no body when it could not be had.
struct PageArrival {
    int control;
    unsigned generation;
    std::optional<std::string> body;
};

// What a download thread shares with the front end: the window that takes
// arrivals, null once the front end has gone.
struct Mailbox {
    std::mutex mutex;
    HWND target = nullptr;
};

}  // namespace win32

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

    explicit Impl(std::shared_ptr<HelpPages> helpPages);
    ~Impl();

    // Runs `f` on the owning thread and returns its result; other threads wait.
    template <typename F>
    auto onGui(F&& f) -> std::invoke_result_t<F&> {
        using R = std::invoke_result_t<F&>;
        if (GetCurrentThreadId() == thread) return f();
        if constexpr (std::is_void_v<R>) {
            std::function<void()> call = [&] { f(); };
            SendMessageW(callWindow, win32::callMessage, 0, reinterpret_cast<LPARAM>(&call));
        } else {
            R result{};
            std::function<void()> call = [&] { result = f(); };
            SendMessageW(callWindow, win32::callMessage, 0, reinterpret_cast<LPARAM>(&call));
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

    // The window builder (window_builder.cpp).
    bool open(const WindowDesc& desc);
    void close(int id);
    HWND makeControl(const ControlDesc& c, Window& window, HWND parent);
    void fitCaption(HWND hwnd, const std::wstring& text, int room);
    void setClosedHeight(HWND combo, int width, int height);
    void showPage(Window& window, int page);
    void attachTip(Control& c, std::string_view text, std::string_view title, int icon);

    // The help view (help_view.cpp).
    void loadPage(Control& c, std::string url);
    void pageArrived(std::unique_ptr<win32::PageArrival> arrival);
    void followLink(Control& c, LONG position);

    // The keyboard and the dialogs (keyboard.cpp).
    // Tab, Shift+Tab, Ctrl+Tab and Enter in the program's windows; true when handled.
    bool keyboard(const MSG& msg);
    void dispatch(MSG& msg) {
        if (keyboard(msg)) return;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The window's controls that take the keyboard now, in Tab order.
    std::vector<Control*> tabOrder(const Window& w);
    // The window `top` (de)activated: its focus is kept, then given back.
    void activated(Window& w, HWND top, bool active);
    HWND modalOwner();

    // While a dialog or message box is up, every window of the program waits
    // for it (the dialog disables its owner itself).
    class ModalScope {
    public:
        ModalScope(const std::map<int, Window>& windows, HWND owner);
        ~ModalScope();

    private:
        std::vector<HWND> disabled_;
    };

    // The window procedures (window_procs.cpp).
    // Messages of the program's windows and pages; true when handled.
    bool handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT notify(NMHDR* header);
    static void registerClasses();
    // The front end a window of the program was made for, kept with the
    // window from its creation (WM_NCCREATE); null before that.
    static Impl* frontEndOf(HWND hwnd, UINT message, LPARAM lParam);
    static LRESULT CALLBACK topProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK pageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK linkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
    static LRESULT CALLBACK groupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data);
    // The calls' window (calls.cpp).
    static LRESULT CALLBACK callProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

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
    std::shared_ptr<HelpPages> helpPages;
    std::shared_ptr<win32::Mailbox> mailbox = std::make_shared<win32::Mailbox>();
    unsigned pageRequests = 0;

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<Event> queue;
    bool quit = false;
};

}  // namespace kx
