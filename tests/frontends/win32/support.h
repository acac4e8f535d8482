// Helpers shared by the window tests: the real windows read back through the
// Win32 API (handles, classes, rectangles, texts), and serving the windows'
// messages while a test waits.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "frontends/win32/win32_ui.h"
#include "ui/window_desc.h"

namespace kx::test {

inline HWND handle(Win32Ui& ui, int control) { return static_cast<HWND>(ui.controlHandle(control)); }
inline HWND windowOf(Win32Ui& ui, int window) { return static_cast<HWND>(ui.windowHandle(window)); }

inline std::wstring className(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

inline std::wstring textOf(HWND hwnd) {
    std::wstring text(std::size_t(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(hwnd, text.data(), int(text.size()))));
    return text;
}

inline LONG_PTR styleOf(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_STYLE); }
inline LONG_PTR exStyleOf(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_EXSTYLE); }

// The window's rectangle in its parent's client coordinates.
inline RECT rectInParent(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline bool sameRect(const RECT& r, int x, int y, int w, int h) {
    return r.left == x && r.top == y && r.right - r.left == w && r.bottom - r.top == h;
}

// UTF-16 of a UTF-8 literal (the tests' expected texts).
inline std::wstring wide(std::string_view utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

// Serves the windows until `done` holds or `milliseconds` have passed.
inline bool serveUntil(Win32Ui& ui, const std::function<bool()>& done, int milliseconds = 20000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        ui.serve();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void serveFor(Win32Ui& ui, int milliseconds) {
    serveUntil(ui, [] { return false; }, milliseconds);
}

// Opens a window of the program as the program does.
inline bool openByNumber(Win32Ui& ui, int window) {
    switch (window) {
        case mainWindow: return openMainWindow(ui);
        case optionsWindow: return openOptionsWindow(ui);
        case aboutWindow: return openAboutWindow(ui, "http://klarbrix.example/");
        default: return openHelpWindow(ui, "http://127.0.0.1:1/aide/");  // nobody listens there
    }
}

inline const WindowDesc& descOf(int window) {
    switch (window) {
        case mainWindow: return mainWindowDesc();
        case optionsWindow: return optionsWindowDesc();
        case aboutWindow: return aboutWindowDesc();
        default: return helpWindowDesc();
    }
}

// The top-level window of this process with this title and class, or null.
inline HWND findTopWindow(const std::wstring& title, const wchar_t* cls = L"#32770") {
    struct Search {
        const std::wstring* title;
        const wchar_t* cls;
        HWND found;
    } search{&title, cls, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM p) -> BOOL {
            auto* s = reinterpret_cast<Search*>(p);
            DWORD process = 0;
            GetWindowThreadProcessId(hwnd, &process);
            if (process != GetCurrentProcessId() || !IsWindowVisible(hwnd)) return TRUE;
            if (className(hwnd) == s->cls && textOf(hwnd) == *s->title) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits (on a helper thread) for such a window to appear.
inline HWND waitForTopWindow(const std::wstring& title, const wchar_t* cls = L"#32770", int milliseconds = 20000) {
    for (int waited = 0; waited < milliseconds; waited += 20) {
        if (HWND found = findTopWindow(title, cls)) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return nullptr;
}

// After an answer: when `dialog` is still up after a while (the answer did not
// take, and a box may have come up over it), every dialog box of the process
// is cancelled, so that a failing test never hangs.
// With no dialog named, every dialog box up now is cancelled once.
inline void makeSureItCloses(HWND dialog, int milliseconds = 8000) {
    for (int waited = 0; IsWindow(dialog) && waited < milliseconds; waited += 20)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (bool once = !dialog; once || IsWindow(dialog); once = false) {
        EnumWindows(
            [](HWND hwnd, LPARAM) -> BOOL {
                DWORD process = 0;
                GetWindowThreadProcessId(hwnd, &process);
                if (process == GetCurrentProcessId() && className(hwnd) == L"#32770" && IsWindowVisible(hwnd))
                    PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            },
            0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

// A tool-tip's title and icon, when this system's tool-tips tell them
// (wine's do not answer TTM_GETTITLE): false when they cannot be read.
inline bool tipTitle(HWND tip, std::wstring& title, UINT& icon) {
    static const bool readable = [] {
        HWND probe = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        SendMessageW(probe, TTM_SETTITLEW, TTI_INFO, reinterpret_cast<LPARAM>(L"t"));
        wchar_t text[8] = {};
        TTGETTITLE got{};
        got.dwSize = sizeof got;
        got.pszTitle = text;
        got.cch = 8;
        SendMessageW(probe, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(&got));
        DestroyWindow(probe);
        return std::wstring(text) == L"t";
    }();
    if (!readable) return false;
    wchar_t text[128] = {};
    TTGETTITLE got{};
    got.dwSize = sizeof got;
    got.pszTitle = text;
    got.cch = 128;
    SendMessageW(tip, TTM_GETTITLE, 0, reinterpret_cast<LPARAM>(&got));
    title = text;
    icon = got.uTitleBitmap;
    return true;
}

// The colour of one pixel of a window as drawn on the screen.
inline COLORREF pixelOf(HWND hwnd, int x, int y) {
    HDC dc = GetDC(hwnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
}

}  // namespace kx::test
