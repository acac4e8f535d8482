// The four windows as Win32 builds them, read back from the real windows and
// checked against their shared descriptions: frames, client sizes, placement,
// every control's class, styles, rectangle, caption, page and font, the Tab
// order through real key messages, and the balloon tool-tips.
#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/encoding.h"
#include "support.h"

namespace kx {
namespace {

using namespace test;

std::wstring shown(std::string_view cp1252) { return wide(toUtf8(cp1252)); }

class WindowTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(openByNumber(ui, GetParam()));
        top = windowOf(ui, GetParam());
        ASSERT_NE(top, nullptr);
        serveFor(ui, 50);
    }
    const WindowDesc& desc() const { return descOf(GetParam()); }
    Win32Ui ui;
    HWND top = nullptr;
};

TEST_P(WindowTest, FrameSizeAndPlacement) {
    EXPECT_EQ(textOf(top), shown(desc().title));
    EXPECT_TRUE(IsWindowVisible(top));
    RECT client;
    GetClientRect(top, &client);
    EXPECT_EQ(client.right, desc().clientWidth);
    EXPECT_EQ(client.bottom, desc().clientHeight);

    LONG_PTR style = styleOf(top);
    bool closeBox = desc().frame == WindowFrame::fixedWithMinimise || desc().frame == WindowFrame::closable;
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, true);
    EXPECT_EQ(bool(style & WS_SYSMENU), closeBox);
    EXPECT_EQ(bool(style & WS_MINIMIZEBOX), desc().frame == WindowFrame::fixedWithMinimise);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_EQ(bool(style & WS_THICKFRAME), desc().frame == WindowFrame::resizableNoClose);
    EXPECT_EQ(GetMenu(top) != nullptr, !desc().menuTitle.empty());

    RECT work, frame;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(top, &frame);
    if (desc().centred) {
        int dx = (frame.left - work.left) - (work.right - frame.right);
        int dy = (frame.top - work.top) - (work.bottom - frame.bottom);
        EXPECT_LE(std::abs(dx), 1);
        EXPECT_LE(std::abs(dy), 1);
    } else {
        EXPECT_EQ(frame.left, work.left);
        EXPECT_EQ(frame.top, work.top);
    }
}

TEST_P(WindowTest, EveryControlAsDescribed) {
    LOGFONTW guiFont{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof guiFont, &guiFont);
    HWND tabs = nullptr;
    for (const ControlDesc& c : desc().controls) {
        SCOPED_TRACE(std::string(c.name));
        HWND h = handle(ui, c.id);
        ASSERT_NE(h, nullptr);
        ASSERT_EQ(GetAncestor(h, GA_ROOT), top);
        LONG_PTR style = styleOf(h);
        std::wstring cls = className(h);
        EXPECT_TRUE(sameRect(rectInParent(h), c.x, c.y, c.width, c.height))
            << rectInParent(h).left << "," << rectInParent(h).top << " " << rectInParent(h).right - rectInParent(h).left
            << "x" << rectInParent(h).bottom - rectInParent(h).top;
        EXPECT_EQ(bool(style & WS_TABSTOP), takesFocus(c.kind));

        // On a page of the panel, or on the window itself.
        HWND parent = GetParent(h);
        if (c.page >= 0) {
            ASSERT_NE(tabs, nullptr);
            EXPECT_EQ(GetParent(parent), top);
            EXPECT_EQ(className(parent), L"KlarbrixPage");
            EXPECT_EQ(IsWindowVisible(h) != FALSE, c.page == 0);  // the first tab in front
            RECT area = rectInParent(tabs);
            SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
            RECT page = rectInParent(parent);
            EXPECT_TRUE(EqualRect(&area, &page));
        } else {
            EXPECT_EQ(parent, top);
        }

        // The default GUI font, drawn narrower where a caption would not fit.
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof font, &font);
        if (c.kind != ControlKind::image && c.kind != ControlKind::webPage) {
            EXPECT_STREQ(font.lfFaceName, guiFont.lfFaceName);
            EXPECT_EQ(font.lfHeight, guiFont.lfHeight);
        }

        switch (c.kind) {
            case ControlKind::label:
                EXPECT_EQ(cls, L"Static");
                EXPECT_EQ(textOf(h), shown(c.caption));
                EXPECT_EQ(style & SS_TYPEMASK, c.centred ? SS_CENTER : SS_LEFT);
                EXPECT_TRUE(style & SS_NOPREFIX);
                EXPECT_TRUE(style & SS_CENTERIMAGE);  // one line, centred in its height
                EXPECT_EQ(bool(style & SS_SUNKEN), c.sunken);
                break;
            case ControlKind::button:
                EXPECT_EQ(cls, L"Button");
                EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
                EXPECT_EQ(textOf(h), shown(c.caption));
                break;
            case ControlKind::checkBox:
                EXPECT_EQ(cls, L"Button");
                EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX);
                EXPECT_EQ(textOf(h), L"");
                EXPECT_EQ(SendMessageW(h, BM_GETCHECK, 0, 0), BST_UNCHECKED);
                break;
            case ControlKind::dropDown: {
                EXPECT_EQ(cls, L"ComboBox");
                EXPECT_EQ(style & 3, CBS_DROPDOWNLIST);
                EXPECT_FALSE(style & CBS_SORT);
                EXPECT_EQ(SendMessageW(h, CB_GETCOUNT, 0, 0), 0);
                EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), CB_ERR);
                // Open, the control and its list together; the list's own
                // border may take one pixel more or less on some systems.
                for (int k = 0; k < 30; ++k) SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"item"));
                SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
                COMBOBOXINFO info{};
                info.cbSize = sizeof info;
                ASSERT_TRUE(GetComboBoxInfo(h, &info));
                RECT field, list;
                GetWindowRect(h, &field);
                GetWindowRect(info.hwndList, &list);
                EXPECT_LE(std::abs(list.bottom - field.top - 350), 1) << list.bottom - field.top;
                SendMessageW(h, CB_SHOWDROPDOWN, FALSE, 0);
                SendMessageW(h, CB_RESETCONTENT, 0, 0);
                break;
            }
            case ControlKind::columnList: {
                EXPECT_EQ(cls, L"SysListView32");
                EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
                EXPECT_TRUE(style & LVS_SINGLESEL);
                EXPECT_FALSE(style & LVS_NOCOLUMNHEADER);
                auto header = reinterpret_cast<HWND>(SendMessageW(h, LVM_GETHEADER, 0, 0));
                ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 1);
                wchar_t title[64] = {};
                LVCOLUMNW column{};
                column.mask = LVCF_TEXT | LVCF_WIDTH;
                column.pszText = title;
                column.cchTextMax = 64;
                SendMessageW(h, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
                EXPECT_EQ(std::wstring(title), shown(c.caption));
                EXPECT_EQ(column.cx, 100);
                EXPECT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), 0);
                break;
            }
            case ControlKind::progress: {
                EXPECT_EQ(cls, L"msctls_progress32");
                EXPECT_TRUE(style & PBS_SMOOTH);
                PBRANGE range{};
                SendMessageW(h, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
                EXPECT_EQ(range.iLow, 0);
                EXPECT_EQ(range.iHigh, 100);
                EXPECT_EQ(SendMessageW(h, PBM_GETPOS, 0, 0), 0);
                break;
            }
            case ControlKind::image: {
                EXPECT_EQ(cls, L"Static");
                EXPECT_EQ(style & SS_TYPEMASK, SS_ICON);
                auto icon = reinterpret_cast<HICON>(SendMessageW(h, STM_GETICON, 0, 0));
                ASSERT_NE(icon, nullptr);
                ICONINFO info{};
                ASSERT_TRUE(GetIconInfo(icon, &info));
                BITMAP bitmap{};
                GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
                EXPECT_EQ(bitmap.bmWidth, 64);
                EXPECT_EQ(bitmap.bmHeight, 64);
                if (info.hbmColor) DeleteObject(info.hbmColor);
                if (info.hbmMask) DeleteObject(info.hbmMask);
                break;
            }
            case ControlKind::frame:
                if (c.sunken) {
                    EXPECT_EQ(cls, L"Static");
                    EXPECT_TRUE(style & SS_SUNKEN);
                } else {
                    EXPECT_EQ(cls, L"Button");
                    EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
                }
                EXPECT_EQ(textOf(h), L"");
                // Beneath every other control of the window (frames only below it).
                for (HWND below = GetWindow(h, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT))
                    EXPECT_EQ(textOf(below), L"") << "a control beneath a frame";
                break;
            case ControlKind::hyperlink: {
                EXPECT_EQ(cls, L"Static");
                EXPECT_TRUE(style & SS_NOTIFY);
                EXPECT_TRUE(style & SS_NOPREFIX);
                EXPECT_EQ(textOf(h), L"http://klarbrix.example/");
                // Black text, not underlined, under a hand pointer.
                HDC dc = CreateCompatibleDC(nullptr);
                SetTextColor(dc, RGB(1, 2, 3));
                SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h));
                EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
                DeleteDC(dc);
                EXPECT_FALSE(font.lfUnderline);
                SetCursor(nullptr);
                SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));
                break;
            }
            case ControlKind::tabPanel: {
                tabs = h;
                EXPECT_EQ(cls, L"SysTabControl32");
                ASSERT_EQ(SendMessageW(h, TCM_GETITEMCOUNT, 0, 0), LRESULT(desc().tabs.size()));
                for (std::size_t i = 0; i < desc().tabs.size(); ++i) {
                    wchar_t title[64] = {};
                    TCITEMW item{};
                    item.mask = TCIF_TEXT;
                    item.pszText = title;
                    item.cchTextMax = 64;
                    SendMessageW(h, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
                    EXPECT_EQ(std::wstring(title), shown(desc().tabs[i]));
                }
                EXPECT_EQ(SendMessageW(h, TCM_GETCURSEL, 0, 0), 0);
                break;
            }
            case ControlKind::webPage:
                EXPECT_TRUE(!lstrcmpiW(cls.c_str(), L"RICHEDIT50W") || !lstrcmpiW(cls.c_str(), L"RichEdit20W"));
                EXPECT_TRUE(style & ES_READONLY);
                EXPECT_TRUE(style & ES_MULTILINE);
                break;
        }
    }
}

// Presses a key in the window as the keyboard would, with Shift and Ctrl as asked.
void press(Win32Ui& ui, WPARAM key, bool shift = false, bool control = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    HWND focus = GetFocus();
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    ui.serve();
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

int focusedControl(Win32Ui& ui, const WindowDesc& desc) {
    HWND focus = GetFocus();
    for (const ControlDesc& c : desc.controls)
        if (handle(ui, c.id) == focus) return c.id;
    return -1;
}

TEST_P(WindowTest, TabOrderIsCreationOrder) {
    SetForegroundWindow(top);
    SetActiveWindow(top);
    serveFor(ui, 50);
    int pages = std::max<int>(1, int(desc().tabs.size()));
    for (int page = 0; page < pages; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        std::vector<int> expected;
        for (const ControlDesc& c : desc().controls)
            if (takesFocus(c.kind) && (c.page < 0 || c.page == page)) expected.push_back(c.id);
        ASSERT_FALSE(expected.empty());
        SetFocus(handle(ui, expected[0]));
        std::vector<int> seen{focusedControl(ui, desc())};
        for (std::size_t k = 0; k < expected.size(); ++k) {
            press(ui, VK_TAB);
            seen.push_back(focusedControl(ui, desc()));
        }
        expected.push_back(expected[0]);  // round to the start
        EXPECT_EQ(seen, expected);
        press(ui, VK_TAB, true);  // Shift+Tab goes back
        EXPECT_EQ(focusedControl(ui, desc()), expected[expected.size() - 2]);
        if (pages > 1) press(ui, VK_TAB, false, true);  // Ctrl+Tab: the next page
    }
}

TEST_P(WindowTest, BalloonTipsCarryExactlyTheStoredTexts) {
    for (const ControlDesc& c : desc().controls) {
        SCOPED_TRACE(std::string(c.name));
        auto tip = static_cast<HWND>(ui.tipHandle(c.id));
        if (c.tip.empty()) {
            EXPECT_EQ(tip, nullptr);  // an empty text shows nothing, even with a title
            continue;
        }
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(className(tip), L"tooltips_class32");
        LONG_PTR style = styleOf(tip);
        EXPECT_TRUE(style & TTS_BALLOON);
        EXPECT_TRUE(style & TTS_NOPREFIX);
        EXPECT_FALSE(style & TTS_ALWAYSTIP);  // only while the window is active
        EXPECT_EQ(GetWindow(tip, GW_OWNER), top);
        EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 180);
        ASSERT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
        wchar_t text[256] = {};
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.lpszText = text;
        ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
        EXPECT_EQ(std::wstring(text), shown(c.tip));  // trailing blanks included
        EXPECT_EQ(tool.uId, reinterpret_cast<UINT_PTR>(handle(ui, c.id)));
        EXPECT_TRUE(tool.uFlags & TTF_SUBCLASS);
        // None of the program's tips has a title, so none shows an icon.
        std::wstring title;
        UINT icon = 0;
        if (tipTitle(tip, title, icon)) {
            EXPECT_EQ(title, L"");
            EXPECT_EQ(icon, UINT(TTI_NONE));
        }
        // A text control takes the mouse itself, so its tip sees the pointer.
        if (c.kind == ControlKind::label) {
            EXPECT_TRUE(styleOf(handle(ui, c.id)) & SS_NOTIFY);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllWindows, WindowTest, ::testing::Values(mainWindow, optionsWindow, aboutWindow, helpWindow),
                         [](const auto& param) { return std::string(descOf(param.param).controls[0].name); });

TEST(MainWindow, MenuBarAndStatusBar) {
    Win32Ui ui;
    ASSERT_TRUE(openMainWindow(ui));
    HWND top = windowOf(ui, mainWindow);
    HMENU bar = GetMenu(top);
    ASSERT_NE(bar, nullptr);
    auto itemText = [](HMENU menu, int position) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, UINT(position), text, 128, MF_BYPOSITION);
        return std::wstring(text);
    };
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    EXPECT_EQ(itemText(bar, 0), L"Menu");
    HMENU items = GetSubMenu(bar, 0);
    ASSERT_NE(items, nullptr);
    ASSERT_EQ(GetMenuItemCount(items), 3);
    EXPECT_EQ(itemText(items, 0), L"Options");
    EXPECT_EQ(itemText(items, 1), L"Aide");
    EXPECT_EQ(itemText(items, 2), L"A propos");

    ui.addMenuTitle(mainWindow, "Une nouvelle version est en ligne !");
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    EXPECT_EQ(itemText(bar, 1), L"Une nouvelle version est en ligne !");
    EXPECT_EQ(GetSubMenu(bar, 1), nullptr);  // a title without items
    RECT client;
    GetClientRect(top, &client);
    EXPECT_EQ(client.bottom, 383);  // still one line of menu

    HWND status = FindWindowExW(top, nullptr, STATUSCLASSNAMEW, nullptr);
    ASSERT_NE(status, nullptr);
    RECT r = rectInParent(status);
    EXPECT_GE(r.bottom - r.top, 18);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 650);
    EXPECT_EQ(r.bottom, 383);
    EXPECT_FALSE(styleOf(status) & SBARS_SIZEGRIP);
    EXPECT_EQ(SendMessageW(status, SB_GETPARTS, 0, 0), 1);
    ui.setStatus("Analyse terminée"_cp);
    wchar_t text[64] = {};
    SendMessageW(status, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(text), wide("Analyse terminée"));
}

TEST(MainWindow, TheQueueListOverhangsItsPageAndIsClippedThere) {
    Win32Ui ui;
    ASSERT_TRUE(openMainWindow(ui));
    HWND list = handle(ui, queueList);
    HWND page = GetParent(list);
    EXPECT_TRUE(styleOf(page) & WS_CLIPCHILDREN);
    EXPECT_TRUE(sameRect(rectInParent(list), -2, -1, 650, 289));
    // The pages lie above the panel, so the panel never draws over them.
    HWND panel = handle(ui, mainPanel);
    bool pageAbove = false;
    for (HWND h = GetWindow(panel, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV)) pageAbove = pageAbove || h == page;
    EXPECT_TRUE(pageAbove);
}

}  // namespace
}  // namespace kx
