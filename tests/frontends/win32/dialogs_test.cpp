// The open-file dialog and the folder chooser as the program asks for them:
// the filters they offer, where they start, and what they hand back (a cp1252
// path, "not carriable" for names cp1252 cannot hold, empty on cancel); the
// plain rules behind their arguments.
#include <gtest/gtest.h>

#include <thread>

#include "base/encoding.h"
#include "support.h"
#include "frontends/win32/dialogs.h"

#include <commdlg.h>
#include <dlgs.h>

namespace kx {
namespace {

using namespace test;
using win32::chosenFrom;
using win32::fileDialogStart;
using win32::filterText;
using win32::withTrailingBackslash;

TEST(DialogRules, FiltersArePairsEndedByZeros) {
    using namespace std::string_literals;
    EXPECT_EQ(filterText("mkv (*.mkv)|*.mkv|Tous les fichiers (*.*)|*.*"),
              L"mkv (*.mkv)\0*.mkv\0Tous les fichiers (*.*)\0*.*\0\0"s);
    // A label without its pattern matches every file; a trailing bar adds nothing.
    EXPECT_EQ(filterText("srt|*.srt;*.sub|Vidéos"_cp), L"srt\0*.srt;*.sub\0Vid\u00e9os\0*.*\0\0"s);
    EXPECT_EQ(filterText("srt|*.srt|"), L"srt\0*.srt\0\0"s);
    EXPECT_EQ(filterText(""), L"");
}

TEST(DialogRules, WhereTheOpenDialogStarts) {
    EXPECT_EQ(fileDialogStart("C:\\*.mkv").folder, "C:\\");
    EXPECT_EQ(fileDialogStart("C:\\*.mkv").fileName, "");  // a pattern is not preselected
    EXPECT_EQ(fileDialogStart("*.srt").folder, "");        // the dialog's own choice
    EXPECT_EQ(fileDialogStart("D:\\Vidéos\\film.mkv"_cp).folder, "D:\\Vidéos\\"_cp);
    EXPECT_EQ(fileDialogStart("D:\\Vidéos\\film.mkv"_cp).fileName, "film.mkv");
}

TEST(DialogRules, ChosenNamesAndFolders) {
    ChosenPath ok = chosenFrom(L"C:\\Vid\u00e9os\\\u0153uvre \u20ac.mkv");
    EXPECT_TRUE(ok.carriable);
    EXPECT_EQ(ok.path, "C:\\Vidéos\\œuvre €.mkv"_cp);
    ChosenPath lost = chosenFrom(L"C:\\\u65e5\u672c\\\U0001F600.mkv");
    EXPECT_FALSE(lost.carriable);
    EXPECT_EQ(lost.path, "C:\\??\\?.mkv");
    EXPECT_EQ(withTrailingBackslash("C:\\Films"), "C:\\Films\\");
    EXPECT_EQ(withTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(withTrailingBackslash("\\\\serveur\\films\\\\"), "\\\\serveur\\films\\");
    EXPECT_EQ(withTrailingBackslash(""), "");
}

// A scratch folder of the test's own under the temporary folder.
class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        folder_ = std::wstring(temp) + L"kx-dialogs-" +
                  wide(::testing::UnitTest::GetInstance()->current_test_info()->name()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
        ASSERT_TRUE(openMainWindow(ui));
    }
    void TearDown() override {
        for (const std::wstring& f : made_) DeleteFileW((folder_ + f).c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    void make(const std::wstring& name) {
        HANDLE h = CreateFileW((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
        made_.push_back(name);
    }
    std::string folder() const { return *win32::carried(folder_); }
    std::wstring folder_;
    std::vector<std::wstring> made_;
    Win32Ui ui;
};

// What the open-file dialog showed, read by the "user" before answering.
struct FileDialogLook {
    bool found = false;
    std::wstring folder, chosenType;
    std::vector<std::wstring> types;
    DWORD thread = 0;
    bool mainEnabled = true;
};

// Answers the next open-file dialog from another thread: types `name` and
// presses Open, or cancels when `name` is empty.
std::thread answerFileDialog(const std::wstring& title, const std::wstring& name, FileDialogLook& look, HWND main) {
    return std::thread([=, &look] {
        HWND d = waitForTopWindow(title);
        if (!d) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the dialog lists its folder
        look.found = true;
        look.thread = GetWindowThreadProcessId(d, nullptr);
        look.mainEnabled = IsWindowEnabled(main) != FALSE;
        wchar_t folder[MAX_PATH] = {};
        SendMessageW(d, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
        look.folder = folder;
        HWND types = GetDlgItem(d, cmb1);
        for (int i = 0; i < int(SendMessageW(types, CB_GETCOUNT, 0, 0)); ++i) {
            wchar_t text[128] = {};
            SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            look.types.push_back(text);
        }
        look.chosenType = textOf(types);
        if (name.empty()) {
            PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
        } else {
            SendMessageW(d, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(name.c_str()));
            SendMessageW(d, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(name.c_str()));
            PostMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
        }
        makeSureItCloses(d);
    });
}

TEST_F(Dialogs, OpenFileStartsInTheGivenFolderWithTheFirstFilterAndReturnsThePath) {
    ASSERT_NO_FATAL_FAILURE(make(L"film \u00e9t\u00e9.mkv"));
    ASSERT_NO_FATAL_FAILURE(make(L"notes.txt"));
    FileDialogLook look;
    std::thread user = answerFileDialog(wide("Choisissez un fichier à charger"), L"film \u00e9t\u00e9.mkv", look,
                                        windowOf(ui, mainWindow));
    ChosenPath chosen = ui.openFileDialog("Choisissez un fichier à charger"_cp, folder() + "*.mkv",
                                          "mkv (*.mkv)|*.mkv|Tous les fichiers (*.*)|*.*", 1);
    user.join();
    ASSERT_TRUE(look.found);
    EXPECT_EQ(look.thread, GetCurrentThreadId());
    EXPECT_FALSE(look.mainEnabled);
    EXPECT_TRUE(IsWindowEnabled(windowOf(ui, mainWindow)));
    EXPECT_EQ(look.folder + L"\\", folder_);
    EXPECT_EQ(look.types, (std::vector<std::wstring>{L"mkv (*.mkv)", L"Tous les fichiers (*.*)"}));
    EXPECT_EQ(look.chosenType, L"mkv (*.mkv)");
    EXPECT_TRUE(chosen.carriable);
    EXPECT_EQ(chosen.path, folder() + std::string("film été.mkv"_cp));
}

TEST_F(Dialogs, OpenFileCanStartOnTheSecondFilterAndCancels) {
    FileDialogLook look;
    std::thread user = answerFileDialog(L"srt", L"", look, windowOf(ui, mainWindow));
    ChosenPath chosen = ui.openFileDialog("srt", folder() + "*.srt", "srt (*.srt)|*.srt|Tous les fichiers (*.*)|*.*", 2);
    user.join();
    ASSERT_TRUE(look.found);
    EXPECT_EQ(look.chosenType, L"Tous les fichiers (*.*)");
    EXPECT_EQ(chosen.path, "");
    EXPECT_TRUE(chosen.carriable);
}

TEST_F(Dialogs, ANameThatCp1252CannotHoldIsNotCarriable) {
    ASSERT_NO_FATAL_FAILURE(make(L"\u65e5\u672c.mkv"));
    FileDialogLook look;
    std::thread user = answerFileDialog(L"Ouvrir", L"\u65e5\u672c.mkv", look, windowOf(ui, mainWindow));
    ChosenPath chosen = ui.openFileDialog("Ouvrir", folder() + "*.mkv", "mkv|*.mkv", 1);
    user.join();
    EXPECT_FALSE(chosen.carriable);
    EXPECT_EQ(chosen.path, folder() + "??.mkv");
}

TEST_F(Dialogs, AWorkersDialogRunsOnTheWindowsThread) {
    ASSERT_NO_FATAL_FAILURE(make(L"a.mkv"));
    FileDialogLook look;
    std::thread user = answerFileDialog(L"Ouvrir", L"a.mkv", look, windowOf(ui, mainWindow));
    ChosenPath chosen;
    std::thread worker([&] {
        chosen = ui.openFileDialog("Ouvrir", folder() + "*.mkv", "mkv|*.mkv", 1);
        PostMessageW(static_cast<HWND>(ui.controlHandle(cancelButton)), BM_CLICK, 0, 0);
    });
    Event e = ui.waitEvent();
    worker.join();
    user.join();
    EXPECT_EQ(e.id, cancelButton);
    EXPECT_EQ(look.thread, GetCurrentThreadId());
    EXPECT_EQ(chosen.path, folder() + "a.mkv");
}

// Answers the folder chooser: types `path` into its name box and presses
// the button, or cancels when `path` is empty.
std::thread answerFolderDialog(const std::wstring& title, const std::wstring& path, bool& found) {
    return std::thread([=, &found] {
        HWND d = waitForTopWindow(title);
        if (!d) return;
        found = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (path.empty()) {
            PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
        } else {
            HWND name = GetDlgItem(d, edt1);
            if (!name) name = GetDlgItem(d, cmb13);
            SetWindowTextW(name, path.c_str());
            PostMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
        }
        makeSureItCloses(d);
    });
}

TEST_F(Dialogs, FolderChooserReturnsTheFolderWithItsBackslashOrNothing) {
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"R\u00e9pertoire").c_str(), nullptr));
    bool found = false;
    std::wstring title = wide("Choisissez un répertoire");
    std::thread user = answerFolderDialog(title, folder_ + L"R\u00e9pertoire", found);
    ChosenPath chosen = ui.chooseFolder("Choisissez un répertoire"_cp, "C:\\");
    user.join();
    RemoveDirectoryW((folder_ + L"R\u00e9pertoire").c_str());
    ASSERT_TRUE(found);
    EXPECT_TRUE(chosen.carriable);
    EXPECT_EQ(chosen.path, folder() + std::string("Répertoire\\"_cp));

    found = false;
    user = answerFolderDialog(title, L"", found);
    chosen = ui.chooseFolder("Choisissez un répertoire"_cp, "C:\\");
    user.join();
    ASSERT_TRUE(found);
    EXPECT_EQ(chosen.path, "");
}

}  // namespace
}  // namespace kx
