// Events and threads on the real windows: links, check boxes, the keys and
// messages that are no events, windows without a close box, windows a worker
// opens, and a worker's message box (the contract itself: tests/frontends/contract/).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "base/encoding.h"
#include "support.h"

namespace kx {
namespace {

using namespace test;

TEST(Events, LinksChecksAndWhatIsNoEvent) {
    Win32Ui ui;
    ASSERT_TRUE(openMainWindow(ui));
    ASSERT_TRUE(openAboutWindow(ui, "http://klarbrix.example/"));
    HWND top = windowOf(ui, mainWindow);

    // Released over the link: reported with its window.
    HWND link = handle(ui, aboutSiteLink);
    PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    Event e = ui.waitEvent();
    EXPECT_EQ(e.kind, Event::control);
    EXPECT_EQ(e.id, aboutSiteLink);
    EXPECT_EQ(e.window, aboutWindow);
    EXPECT_EQ(ui.text(aboutSiteLink), "http://klarbrix.example/");

    // A check box toggles itself and reports.
    PostMessageW(handle(ui, noSrtCheck), BM_CLICK, 0, 0);
    e = ui.waitEvent();
    EXPECT_EQ(e.id, noSrtCheck);
    EXPECT_TRUE(ui.checked(noSrtCheck));

    // What the dialog keys send (IDOK, IDCANCEL), a released link pressed
    // elsewhere and a menu title without items are no events: the next
    // event is the click that follows them.
    PostMessageW(top, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    PostMessageW(top, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(-5, 3));
    ui.addMenuTitle(mainWindow, "Une nouvelle version est en ligne !");
    PostMessageW(top, WM_COMMAND, MAKEWPARAM(GetMenuItemID(GetMenu(top), 1), 0), 0);
    PostMessageW(handle(ui, cancelButton), BM_CLICK, 0, 0);
    e = ui.waitEvent();
    EXPECT_EQ(e.id, cancelButton);
    EXPECT_EQ(e.kind, Event::control);
}

TEST(Events, EnterPressesTheFocusedButton) {
    Win32Ui ui;
    ASSERT_TRUE(openMainWindow(ui));
    SetForegroundWindow(windowOf(ui, mainWindow));
    ui.setFocus(openButton);
    PostMessageW(handle(ui, openButton), WM_KEYDOWN, VK_RETURN, 1);
    Event e = ui.waitEvent();
    EXPECT_EQ(e.kind, Event::control);
    EXPECT_EQ(e.id, openButton);
}

TEST(Events, WindowsWithoutACloseBoxIgnoreClosingAndClosedOnesAreDestroyed) {
    Win32Ui ui;
    ASSERT_TRUE(openMainWindow(ui));
    ASSERT_TRUE(openOptionsWindow(ui));
    HWND options = windowOf(ui, optionsWindow);
    PostMessageW(options, WM_CLOSE, 0, 0);
    PostMessageW(options, WM_SYSCOMMAND, SC_CLOSE, 0);
    serveFor(ui, 50);
    EXPECT_TRUE(IsWindowVisible(options));

    HWND box = handle(ui, deleteTempCheck);
    ui.closeWindow(optionsWindow);
    EXPECT_EQ(ui.windowHandle(optionsWindow), nullptr);
    EXPECT_FALSE(IsWindow(options));
    EXPECT_FALSE(IsWindow(box));
}

TEST(Events, WindowsOpenedByAWorkerBelongToTheLoopsThread) {
    Win32Ui ui;
    ASSERT_TRUE(openMainWindow(ui));
    DWORD windowsThread = GetCurrentThreadId();
    DWORD optionsOwner = 0;
    bool opened = false;
    std::thread worker([&] {
        ui.setText(fileNameField, "film été.mkv"_cp);
        opened = openOptionsWindow(ui);
        optionsOwner = GetWindowThreadProcessId(static_cast<HWND>(ui.windowHandle(optionsWindow)), nullptr);
        PostMessageW(static_cast<HWND>(ui.controlHandle(startButton)), BM_CLICK, 0, 0);
    });
    Event e = ui.waitEvent();  // serves the worker's calls until the click
    worker.join();
    EXPECT_EQ(e.id, startButton);
    EXPECT_EQ(textOf(handle(ui, fileNameField)), wide("film été.mkv"));
    EXPECT_TRUE(opened);
    EXPECT_EQ(optionsOwner, windowsThread);
}

// The visible texts of a dialog's static controls and its buttons.
struct DialogLook {
    std::vector<std::wstring> texts, buttons;
    bool icon = false;
};

DialogLook lookAt(HWND dialog) {
    DialogLook look;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM p) -> BOOL {
            auto* l = reinterpret_cast<DialogLook*>(p);
            if (!IsWindowVisible(child)) return TRUE;
            std::wstring cls = className(child);
            if (cls == L"Static") {
                if ((styleOf(child) & SS_TYPEMASK) == SS_ICON) l->icon = l->icon || SendMessageW(child, STM_GETICON, 0, 0);
                else if (!textOf(child).empty()) l->texts.push_back(textOf(child));
            } else if (cls == L"Button") {
                l->buttons.push_back(textOf(child));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&look));
    return look;
}

TEST(Events, AWorkersMessageBoxIsShownByTheWindowsThreadAndWaitsForOk) {
    Win32Ui ui;
    ASSERT_TRUE(openMainWindow(ui));
    ASSERT_TRUE(openAboutWindow(ui, "http://klarbrix.example/"));
    HWND main = windowOf(ui, mainWindow), about = windowOf(ui, aboutWindow);
    DWORD windowsThread = GetCurrentThreadId();
    std::atomic<bool> answered{false};
    std::thread worker([&] {
        ui.messageBox("Information", "Il y'a eu un problème lors du traitement"_cp);
        answered = true;
        PostMessageW(static_cast<HWND>(ui.controlHandle(cancelButton)), BM_CLICK, 0, 0);
    });

    struct Seen {
        DWORD thread = 0;
        bool answeredBefore = true, mainEnabled = true, aboutEnabled = true;
        DialogLook look;
    } seen;
    std::thread user([&] {
        HWND box = waitForTopWindow(L"Information");
        if (!box) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        seen = {GetWindowThreadProcessId(box, nullptr), answered.load(), IsWindowEnabled(main) != FALSE,
                IsWindowEnabled(about) != FALSE, lookAt(box)};
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        makeSureItCloses(box);
    });
    Event e = ui.waitEvent();  // the box runs while the windows are served
    user.join();
    worker.join();
    EXPECT_EQ(e.id, cancelButton);
    EXPECT_EQ(seen.thread, windowsThread);
    EXPECT_FALSE(seen.answeredBefore);  // the worker waited for the box
    EXPECT_FALSE(seen.mainEnabled);     // every window waits for it
    EXPECT_FALSE(seen.aboutEnabled);
    ASSERT_EQ(seen.look.texts.size(), 1u);
    EXPECT_EQ(seen.look.texts[0], wide("Il y'a eu un problème lors du traitement"));
    EXPECT_EQ(seen.look.buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_FALSE(seen.look.icon);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(IsWindowEnabled(about));
}

}  // namespace
}  // namespace kx
