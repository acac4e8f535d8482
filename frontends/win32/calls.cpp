// Calls from other threads carried out on the windows' thread: the hidden
// message window that runs them while the caller waits, and that takes the
// help pages and link clicks posted to it. Also the front end's making and
// ending, which set that window up and take it down.
#include <windows.h>
#include <richedit.h>

#include "frontends/win32/resource_ids.h"
#include "frontends/win32/ui_impl.h"

namespace kx {

using namespace win32;

Win32Ui::Impl* Win32Ui::Impl::frontEndOf(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Win32Ui::Impl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

Win32Ui::Impl::Impl(std::shared_ptr<HelpPages> pages) : helpPages(std::move(pages)) {
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

LRESULT CALLBACK Win32Ui::Impl::callProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Impl* self = frontEndOf(hwnd, message, lParam);
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

}  // namespace kx
