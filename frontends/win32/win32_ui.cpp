// The Win32 realisation of the Ui boundary, call by call: each is carried to
// the thread that made the front end (which owns every window) and done there
// on the windows and controls; waitEvent() serves the user's actions, pumping
// the windows' messages meanwhile.
#include "frontends/win32/win32_ui.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

#include "frontends/win32/dialogs.h"
#include "frontends/win32/ui_impl.h"
#include "platform/win32/wide.h"

namespace kx {

using namespace win32;

void Win32Ui::initialiseThread() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

Win32Ui::Win32Ui(std::shared_ptr<HelpPages> helpPages) : d_(std::make_unique<Impl>(std::move(helpPages))) {}

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

void Win32Ui::post(Event event) {
    d_->push(event);
    PostMessageW(d_->callWindow, WM_NULL, 0, 0);  // wakes the loop's GetMessageW
}

void Win32Ui::messageBox(std::string_view title, std::string_view text) {
    d_->onGui([&] {
        HWND owner = d_->modalOwner();
        Impl::ModalScope scope(d_->windows, owner);
        win32::messageBox(owner, title, text);
    });
}

bool Win32Ui::askYesNo(std::string_view title, std::string_view text) {
    return d_->onGui([&] {
        if (d_->quit) return true;  // the session ends: nobody is left to answer
        HWND owner = d_->modalOwner();
        Impl::ModalScope scope(d_->windows, owner);
        return win32::askYesNo(owner, title, text);
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
