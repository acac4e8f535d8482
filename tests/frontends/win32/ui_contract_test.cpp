// The front-end contract on the Win32 front end: the user's actions are
// messages posted to the real windows, served by the windows' thread.
#include "frontends/contract/ui_contract_test.h"
#include "support.h"

namespace kx::test {
namespace {

class Win32Driver {
public:
    Ui& ui() { return ui_; }
    void click(int control) { PostMessageW(handle(ui_, control), BM_CLICK, 0, 0); }
    void chooseMenu(int item) {
        HWND top = windowOf(ui_, mainWindow);
        HMENU items = GetSubMenu(GetMenu(top), 0);
        PostMessageW(top, WM_COMMAND, MAKEWPARAM(GetMenuItemID(items, menuPosition(item)), 0), 0);
    }
    void closeBox(int window) { PostMessageW(windowOf(ui_, window), WM_SYSCOMMAND, SC_CLOSE, 0); }
    void answer(bool yes) {
        if (answering_.joinable()) answering_.join();
        answering_ = std::thread([yes] {
            HWND box = waitForTopWindow(L"Information");
            if (box) PostMessageW(box, WM_COMMAND, yes ? IDYES : IDNO, 0);
            makeSureItCloses(box);
        });
    }
    void posted() {}
    ~Win32Driver() {
        if (answering_.joinable()) answering_.join();
    }

private:
    Win32Ui ui_;
    std::thread answering_;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, UiContract, Win32Driver);

}  // namespace kx::test
