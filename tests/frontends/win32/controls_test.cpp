// The control operations the program uses, read back from the controls:
// drop-down lists, the list with columns and its drawn row colours, texts,
// progress, focus and balloon tips (the contract itself: tests/frontends/contract/).
#include <gtest/gtest.h>

#include "base/encoding.h"
#include "support.h"

namespace kx {
namespace {

using namespace test;

class Controls : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openMainWindow(ui)); }
    Win32Ui ui;
};

TEST_F(Controls, DropDownIsAListOfChoicesNeverTypedInto) {
    HWND combo = handle(ui, subtitleCombo);
    ui.addItem(subtitleCombo, "track #4  UTF-8  fre");
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);  // adding never selects
    ui.insertItem(subtitleCombo, 0, "sous-titres é.srt"_cp);
    wchar_t first[64] = {};
    SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(std::wstring(first), wide("sous-titres é.srt"));
    EXPECT_EQ(styleOf(combo) & 3, CBS_DROPDOWNLIST);
}

TEST_F(Controls, ListWithColumnsWidthsAndDrawnColours) {
    HWND list = handle(ui, queueList);
    ui.addColumn(queueList, "Statut", 120);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 120);
    ui.addRow(queueList, {"job1 film.mkv", "en attente"});
    ui.addRow(queueList, {std::string("job2 série.mkv"_cp), "en attente"});
    ui.addRow(queueList, {"job3 autre.mkv"});
    ui.setRowColour(queueList, 0, RowColour::green);
    ui.setRowColour(queueList, 1, RowColour::red);
    // The rows are drawn in their colours: look at the queue tab on screen.
    HWND top = windowOf(ui, mainWindow);
    SetForegroundWindow(top);
    TabCtrl_SetCurSel(handle(ui, mainPanel), 1);
    NMHDR changed{handle(ui, mainPanel), 0, UINT(TCN_SELCHANGE)};
    SendMessageW(GetParent(changed.hwndFrom), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&changed));
    ASSERT_TRUE(IsWindowVisible(list));
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    serveFor(ui, 100);
    auto rowPixel = [&](int row) {
        RECT cell{};
        cell.top = 1;  // the second column, clear of the text
        cell.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETSUBITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&cell));
        return pixelOf(list, cell.right - 3, (cell.top + cell.bottom) / 2);
    };
    EXPECT_EQ(rowPixel(0), RGB(0, 200, 0));
    EXPECT_EQ(rowPixel(1), RGB(200, 0, 0));
    EXPECT_EQ(rowPixel(2), GetSysColor(COLOR_WINDOW));
    // The text in white or black, whichever reads better on the row: of the
    // two, the one most drawn in the second column's cell.
    auto textPixels = [&](int row, COLORREF colour) {
        RECT cell{};
        cell.top = 1;
        cell.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETSUBITEMRECT, WPARAM(row), reinterpret_cast<LPARAM>(&cell));
        int count = 0;
        HDC dc = GetDC(list);
        for (int x = cell.left; x < cell.right; ++x)
            for (int y = cell.top; y < cell.bottom; ++y) count += GetPixel(dc, x, y) == colour;
        ReleaseDC(list, dc);
        return count;
    };
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    EXPECT_GT(textPixels(0, black), textPixels(0, white));  // green row
    EXPECT_GT(textPixels(1, white), textPixels(1, black));  // red row
    ui.setRowColour(queueList, 0, RowColour::none);
    UpdateWindow(list);
    EXPECT_EQ(rowPixel(0), GetSysColor(COLOR_WINDOW));

    // The colour stays with its row when a row above it goes.
    ui.removeRow(queueList, 0);
    UpdateWindow(list);
    EXPECT_EQ(rowPixel(0), RGB(200, 0, 0));
}

TEST_F(Controls, TextsChecksProgressAndFocusOnTheControls) {
    ui.setText(frameRateField, "23.976");
    EXPECT_EQ(textOf(handle(ui, frameRateField)), L"23.976");
    ui.setText(fileNameField, "film été & co.mkv"_cp);
    EXPECT_EQ(textOf(handle(ui, fileNameField)), wide("film été & co.mkv"));
    ui.setText(startButton, "Lancer & voir");
    EXPECT_EQ(textOf(handle(ui, startButton)), L"Lancer && voir");  // shown as typed
    ui.setText(logoImage, "not an image text");
    EXPECT_NE(SendMessageW(handle(ui, logoImage), STM_GETICON, 0, 0), 0);

    HWND bar = handle(ui, progressBar);
    ui.setProgress(progressBar, 40);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 40);
    ui.setProgress(progressBar, 250);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 100);
    ui.setProgress(progressBar, -3);
    EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 0);

    ui.setChecked(noSrtCheck, true);
    EXPECT_EQ(SendMessageW(handle(ui, noSrtCheck), BM_GETCHECK, 0, 0), BST_CHECKED);
    ui.setChecked(startButton, true);  // a button is no check box
    EXPECT_EQ(SendMessageW(handle(ui, startButton), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    ui.setFocus(audioCombo);
    EXPECT_EQ(GetFocus(), handle(ui, audioCombo));
}

TEST_F(Controls, BalloonTipTitleIconAndReplacement) {
    HWND button = handle(ui, cancelButton);
    ui.showBalloonTip(cancelButton, "Tom & Jerry", "", 2);
    auto tip = static_cast<HWND>(ui.tipHandle(cancelButton));
    ASSERT_NE(tip, nullptr);
    wchar_t text[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(text), L"Tom & Jerry");  // no mnemonic: TTS_NOPREFIX
    EXPECT_TRUE(styleOf(tip) & TTS_NOPREFIX);
    EXPECT_EQ(tool.uId, reinterpret_cast<UINT_PTR>(button));

    // A second call replaces the tip; a title brings its icon.
    ui.showBalloonTip(cancelButton, "Une phrase bien plus longue que la largeur permise", "Titre", 3);
    EXPECT_FALSE(IsWindow(tip));
    tip = static_cast<HWND>(ui.tipHandle(cancelButton));
    ASSERT_NE(tip, nullptr);
    std::wstring title;
    UINT icon = 0;
    if (tipTitle(tip, title, icon)) {
        EXPECT_EQ(title, L"Titre");
        EXPECT_EQ(icon, UINT(TTI_ERROR));
    }
    EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 180);

    // An empty text takes the tip away, title or not.
    ui.showBalloonTip(cancelButton, "", "Titre", 1);
    EXPECT_EQ(ui.tipHandle(cancelButton), nullptr);
}

}  // namespace
}  // namespace kx

namespace kx {
namespace {

using namespace test;

// Rests the pointer on a control; its tip as shown then, or null.
HWND hover(Win32Ui& ui, int control) {
    HWND h = handle(ui, control);
    RECT r;
    GetWindowRect(h, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    auto tip = static_cast<HWND>(ui.tipHandle(control));
    serveUntil(ui, [&] { return tip && IsWindowVisible(tip); }, 3000);
    return tip && IsWindowVisible(tip) ? tip : nullptr;
}

TEST(BalloonTip, ShowsWhileThePointerRestsOnItsControlWrappedAtTheWidth) {
    Win32Ui ui;
    ASSERT_TRUE(openMainWindow(ui));
    HWND top = windowOf(ui, mainWindow);
    SetForegroundWindow(top);
    serveFor(ui, 100);
    HWND tip = hover(ui, openButton);
    ASSERT_NE(tip, nullptr);
    RECT shown;
    GetWindowRect(tip, &shown);
    int oneLine = shown.bottom - shown.top;

    SetCursorPos(0, 0);
    serveUntil(ui, [&] { return !IsWindowVisible(tip); }, 3000);
    ui.showBalloonTip(cancelButton, "Une phrase bien plus longue que la largeur permise pour une bulle d'aide", "", 0);
    tip = hover(ui, cancelButton);
    ASSERT_NE(tip, nullptr);
    GetWindowRect(tip, &shown);
    EXPECT_GT(shown.bottom - shown.top, oneLine);  // wrapped onto more lines
    EXPECT_LT(shown.right - shown.left, 180 + 60);  // the text 180 wide, plus the balloon's margins

    // A label's tip shows too: the label takes the mouse.
    SetCursorPos(0, 0);
    serveUntil(ui, [&] { return !IsWindowVisible(tip); }, 3000);
    EXPECT_NE(hover(ui, frameRateLabel), nullptr);
    SetCursorPos(0, 0);
}

}  // namespace
}  // namespace kx
