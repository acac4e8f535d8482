// The real shell with the Win32 front end: start-up, the options window
// round trip, the help window's own loop, opening a source in an accented
// folder (a message box from a handler, the folder renamed) whose analysis
// runs on a worker thread (a stand-in MediaInfo.exe under wine) and fills
// the windows from there, and the end of the program when the main window
// is closed. The user is played by a timer on the windows' thread.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "base/encoding.h"
#include "platform/files.h"
#include "platform/desktop.h"
#include "platform/launcher.h"
#include "platform/win32/wide.h"
#include "shell/shell.h"
#include "support.h"
#include "frontends/win32/dialogs.h"

#include <dlgs.h>

namespace kx {
namespace {

using namespace test;

// Steps carried out one after the other, each when its condition holds,
// checked every few milliseconds by a timer of the windows' thread.
class User {
public:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    User(Win32Ui& ui, std::vector<Step> steps) : ui_(ui), steps_(std::move(steps)) {
        current = this;
        timer_ = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
            if (current) current->tick();
        });
    }
    ~User() {
        KillTimer(nullptr, timer_);
        current = nullptr;
    }
    std::size_t done() const { return next_; }
    bool gaveUp() const { return gaveUp_; }

private:
    static inline User* current = nullptr;

    void tick() {
        if (next_ >= steps_.size()) return;
        if (steps_[next_].ready()) {
            steps_[next_++].act();
            waited_ = 0;
        } else if (++waited_ > 3000) {  // stuck: end the program so that the test can report
            gaveUp_ = true;
            next_ = steps_.size();
            std::thread([] { makeSureItCloses(nullptr, 0); }).detach();
            PostMessageW(windowOf(ui_, helpWindow), WM_CLOSE, 0, 0);
            PostMessageW(windowOf(ui_, mainWindow), WM_CLOSE, 0, 0);
        }
    }
    Win32Ui& ui_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int waited_ = 0;
    bool gaveUp_ = false;
    UINT_PTR timer_ = 0;
};

void chooseMenuItem(Win32Ui& ui, int item) {
    HWND top = windowOf(ui, mainWindow);
    PostMessageW(top, WM_COMMAND, MAKEWPARAM(GetMenuItemID(GetSubMenu(GetMenu(top), 0), item), 0), 0);
}

void click(Win32Ui& ui, int control) { PostMessageW(handle(ui, control), BM_CLICK, 0, 0); }

std::wstring exeFolder() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

TEST(ShellWithWin32, OptionsHelpWindowAnAnalysisOnAWorkerAndClosing) {
    std::wstring standIn = exeFolder() + L"klarbrix-stand-in.exe";
    if (GetFileAttributesW(standIn.c_str()) == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "klarbrix-stand-in.exe is not built";
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    std::string root = *win32::carried(std::wstring(temp) + L"kx-shell-test\\");
    std::string program = root + "programme\\", films = root + std::string("Vidéos\\"_cp);
    fs::removeTree(root);
    ASSERT_TRUE(fs::makeFolder(root));
    ASSERT_TRUE(fs::makeFolder(program));
    ASSERT_TRUE(fs::makeFolder(program + "Applications"));
    ASSERT_TRUE(fs::makeFolder(films));
    ASSERT_TRUE(fs::writeFile(films + "film.mkv", "source"));
    ASSERT_TRUE(CopyFileW(standIn.c_str(), win32::wide(program + "Applications\\MediaInfo.exe").c_str(), FALSE));
    std::optional<std::string> report = fs::readFile(std::string(KLARBRIX_SOURCE_DIR) + "/tests/fixtures/dts_film.txt");
    ASSERT_TRUE(report);
    ASSERT_TRUE(fs::writeFile(program + "Applications\\report.txt", *report));
    ASSERT_TRUE(fs::writeFile(program + "options.txt", "deletetemp = 1\r\nopenlog = 0\r\ncheminremux = D:\\films\\\r\n"
                                                       "soundenable = 0\r\ncheckupdate = 0\r\n"));

    Win32Ui ui;
    SystemLauncher launcher;
    SystemDesktop desktop;
    FileSystem files;
    Shell shell(ui, {launcher, desktop, files}, {program, "http://127.0.0.1:1"});
    auto open = [&](int window) { return [&ui, window] { return ui.windowHandle(window) != nullptr; }; };
    auto closed = [&](int window) { return [&ui, window] { return ui.windowHandle(window) == nullptr; }; };
    std::wstring status;
    bool tempTicked = false, logTicked = true;
    std::wstring remuxShown;
    std::thread answer;
    std::wstring warning;
    struct Analysis {
        std::wstring fileName, frameRate, status, video;
        int audioItems = 0, audioChosen = -1;
    } analysis;
    auto statusText = [&] {
        wchar_t text[128] = {};
        SendMessageW(FindWindowExW(windowOf(ui, mainWindow), nullptr, STATUSCLASSNAMEW, nullptr), SB_GETTEXTW, 0,
                     reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };

    User user(ui, {
        {open(mainWindow),
         [&] {
             status = statusText();
             chooseMenuItem(ui, menuOptions);
         }},
        {open(optionsWindow),
         [&] {
             tempTicked = SendMessageW(handle(ui, deleteTempCheck), BM_GETCHECK, 0, 0) == BST_CHECKED;
             logTicked = SendMessageW(handle(ui, openLogCheck), BM_GETCHECK, 0, 0) == BST_CHECKED;
             remuxShown = textOf(handle(ui, remuxPathField));
             click(ui, deleteTempCheck);
             click(ui, optionsOkButton);
         }},
        {closed(optionsWindow), [&] { chooseMenuItem(ui, menuHelp); }},
        // While the help window is open, closing the main window closes only the help window.
        {open(helpWindow), [&] { PostMessageW(windowOf(ui, mainWindow), WM_CLOSE, 0, 0); }},
        {closed(helpWindow),
         [&] {
             // "Ouvrir": the dialog is answered from another thread; the
             // analysis then runs on a worker and fills the lists from there.
             answer = std::thread([&films, &warning] {
                 HWND d = waitForTopWindow(wide("Choisissez un fichier à charger"));
                 if (!d) return;
                 std::this_thread::sleep_for(std::chrono::milliseconds(300));
                 std::wstring name = win32::wide(films + "film.mkv");
                 SendMessageW(d, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>(name.c_str()));
                 SendMessageW(d, CDM_SETCONTROLTEXT, edt1, reinterpret_cast<LPARAM>(name.c_str()));
                 PostMessageW(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
                 makeSureItCloses(d);
                 // The accented folder is pointed out, then renamed, before the analysis.
                 HWND box = waitForTopWindow(L"Information", L"#32770", 10000);
                 if (!box) return;
                 std::this_thread::sleep_for(std::chrono::milliseconds(100));
                 EnumChildWindows(
                     box,
                     [](HWND child, LPARAM p) -> BOOL {
                         if (className(child) == L"Static" && !textOf(child).empty())
                             *reinterpret_cast<std::wstring*>(p) = textOf(child);
                         return TRUE;
                     },
                     reinterpret_cast<LPARAM>(&warning));
                 PostMessageW(box, WM_COMMAND, IDOK, 0);
                 makeSureItCloses(box);
             });
             click(ui, openButton);
         }},
        {[&] { return statusText().starts_with(wide("analyse terminée")); },  // then the audio verdict
         [&] {
             analysis.fileName = textOf(handle(ui, fileNameField));
             analysis.frameRate = textOf(handle(ui, frameRateField));
             analysis.audioItems = int(SendMessageW(handle(ui, audioCombo), CB_GETCOUNT, 0, 0));
             analysis.audioChosen = int(SendMessageW(handle(ui, audioCombo), CB_GETCURSEL, 0, 0));
             analysis.video = textOf(handle(ui, videoCombo));
             PostMessageW(windowOf(ui, mainWindow), WM_CLOSE, 0, 0);
         }},
    });
    int code = shell.run();
    if (answer.joinable()) answer.join();

    EXPECT_FALSE(user.gaveUp());
    EXPECT_EQ(user.done(), 6u);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(status, L"Choisir un fichier");
    EXPECT_TRUE(tempTicked);
    EXPECT_FALSE(logTicked);
    EXPECT_EQ(remuxShown, L"D:\\films\\");
    std::optional<std::string> saved = fs::readFile(program + "options.txt");
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("deletetemp = 0\r\n"), std::string::npos);
    EXPECT_NE(saved->find("openlog = 0\r\n"), std::string::npos);

    EXPECT_EQ(warning.rfind(wide("Attention!! il y'a un caractère spécial"), 0), 0u);
    EXPECT_EQ(analysis.fileName, L"film.mkv");
    EXPECT_FALSE(analysis.frameRate.empty());
    EXPECT_GT(analysis.audioItems, 0);
    EXPECT_EQ(analysis.audioChosen, 0);
    EXPECT_EQ(analysis.video.rfind(L"track #", 0), 0u) << std::string(analysis.video.begin(), analysis.video.end());
    std::optional<std::string> calls = fs::readFile(program + "Applications\\calls.txt");
    ASSERT_TRUE(calls);
    EXPECT_NE(calls->find("MediaInfo|" + toUtf8(root) + "Videos\\film.mkv|"), std::string::npos) << *calls;
    EXPECT_TRUE(fs::exists(root + "Videos\\film.mkv"));
    EXPECT_NE(ui.windowHandle(mainWindow), nullptr);  // the program, not the window, ends it
    fs::removeTree(root);
}

}  // namespace
}  // namespace kx
