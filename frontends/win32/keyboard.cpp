// The keyboard in the program's windows, as a dialog box would take it: Tab
// and Shift+Tab through the controls, Ctrl+Tab through the panel's pages,
// Enter on a button, the focus kept while a window is inactive; and the owner
// of the dialogs, with every other window held while one is up.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "frontends/win32/ui_impl.h"

namespace kx {

using namespace win32;

namespace {

// One step forward or back around `count` places from `at`.
int around(int at, int count, bool back) { return ((at + (back ? -1 : 1)) % count + count) % count; }

}  // namespace

std::vector<Win32Ui::Impl::Control*> Win32Ui::Impl::tabOrder(const Window& w) {
    // The window's controls that take the keyboard, in creation order, those
    // shown and usable.
    std::vector<Control*> order;
    for (int id : w.order)
        if (Control* c = find(id); c && takesFocus(c->kind) && IsWindowVisible(c->hwnd) && IsWindowEnabled(c->hwnd))
            order.push_back(c);
    return order;
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
        int page = int(SendMessageW(w->tabs, TCM_GETCURSEL, 0, 0));
        showPage(*w, around(page, int(w->pages.size()), back));
        return true;
    }
    std::vector<Control*> order = tabOrder(*w);
    if (order.empty()) return true;
    int count = int(order.size());
    auto at = std::find(order.begin(), order.end(), current);
    int next = at == order.end() ? (back ? count - 1 : 0) : around(int(at - order.begin()), count, back);
    SetFocus(order[std::size_t(next)]->hwnd);
    return true;
}

void Win32Ui::Impl::activated(Window& w, HWND top, bool active) {
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(top, focus)) w.lastFocus = focus;
        return;
    }
    HWND focus = w.lastFocus;
    if (!focus || !IsWindow(focus) || !IsChild(top, focus) || !IsWindowVisible(focus)) {
        std::vector<Control*> order = tabOrder(w);
        focus = order.empty() ? nullptr : order.front()->hwnd;
    }
    if (focus) SetFocus(focus);
}

HWND Win32Ui::Impl::modalOwner() {
    HWND active = GetActiveWindow();
    if (active && windowOf(active)) return active;
    auto it = windows.find(mainWindow);
    if (it != windows.end()) return it->second.hwnd;
    return windows.empty() ? nullptr : windows.begin()->second.hwnd;
}

Win32Ui::Impl::ModalScope::ModalScope(const std::map<int, Window>& windows, HWND owner) {
    for (const auto& [id, w] : windows)
        if (w.hwnd != owner && IsWindowEnabled(w.hwnd)) {
            EnableWindow(w.hwnd, FALSE);
            disabled_.push_back(w.hwnd);
        }
}

Win32Ui::Impl::ModalScope::~ModalScope() {
    for (HWND w : disabled_)
        if (IsWindow(w)) EnableWindow(w, TRUE);
}

}  // namespace kx
