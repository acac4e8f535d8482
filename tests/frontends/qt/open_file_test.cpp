// Files opened the desktop's way, through the real shell: a file named on the
// command line and files dropped on the main window go the way of "Ouvrir"
// (checks, analysis), and only while no file is shown. The program's folder
// is the installed program's here: the settings and working files are the
// user's own.
#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <fstream>
#include <string>
#include <vector>
#include <sstream>

#include "platform/files.h"
#include "platform/scratch_folder.h"
#include "platform/user_folders.h"
#include "shell/shell.h"
#include "support.h"

namespace kx {
namespace {

using test::User;

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(KLARBRIX_SOURCE_DIR "/tests/fixtures/") + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Drops `path` on `target` as the desktop would; whether the drop was taken.
bool drop(QWidget* target, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

TEST(OpenFileFromDesktop, CommandLineAndDropsActAsOuvrirOnlyWhileNoFileIsShown) {
    test::ScratchFolder dir;
    dir.write("program/Applications/report.txt", fixture("two_audio_tracks.txt"));
    dir.write("program/Applications/MediaInfo.exe",
              "#!/bin/sh\ncp \"$(dirname \"$0\")/report.txt\" \"${2#--LogFile=}\"\n", true);
    dir.write("user/options.txt", "soundenable = 0\r\ncheckupdate = 0\r\n");
    for (const char* name : {"films/a.mkv", "films/b.mkv", "films/c.mkv"}) dir.write(name, "x");
    fs::makeFolder(dir.file("work"));

    QtUi ui;
    SystemLauncher launcher;
    SystemDesktop desktop;
    FileSystem files;
    Shell shell(ui, {launcher, desktop, files},
                {dir.file("program/"), "http://127.0.0.1:1", dir.file("user/options.txt"), dir.file("work/")});
    auto shown = [&ui] { return ui.text(fileNameField); };
    auto analysed = [&ui] { return ui.itemCount(videoCombo) > 0; };
    auto fileShown = [&](const char* name) { return [&, name] { return shown() == name && analysed(); }; };
    QWidget* label = nullptr;
    bool secondDropTaken = false, realDialogShown = false;
    std::string afterRefusedDrop, afterCancelledDialog;
    auto click = [&ui](const char* name) {
        QTest::mouseClick(ui.windowWidget(mainWindow)->findChild<QPushButton*>(name), Qt::LeftButton);
    };

    ui.openWithFile(QString::fromStdString(dir.file("films/a.mkv")));  // as "klarbrix a.mkv" does
    User user({
        {fileShown("a.mkv"),
         [&] {
             // Dropped on a control of the window: it reaches the window.
             label = ui.windowWidget(mainWindow)->findChild<QWidget*>("fileNameField");
             secondDropTaken = drop(label, dir.file("films/b.mkv"));
             // The About window opens once the program has dealt with the drop.
             ui.windowWidget(mainWindow)->findChild<QMenuBar*>()->actions()[0]->menu()->actions()[menuAbout]->trigger();
         }},
        {[&] { return ui.windowWidget(aboutWindow) != nullptr; },
         [&] {
             afterRefusedDrop = shown();
             QTest::mouseClick(ui.windowWidget(aboutWindow)->findChild<QPushButton*>("aboutOkButton"), Qt::LeftButton);
             click("cancelButton");
         }},
        {[&] { return shown().empty(); },
         [&] {
             // The refused drop's file must not answer the next "Ouvrir": its own dialog shows.
             click("openButton");
         }},
        {[] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr; },
         [&] {
             realDialogShown = true;
             qobject_cast<QFileDialog*>(QApplication::activeModalWidget())->reject();
         }},
        {[&] { return QApplication::activeModalWidget() == nullptr; },
         [&] {
             afterCancelledDialog = shown();
             drop(ui.windowWidget(mainWindow), dir.file("films/c.mkv"));
         }},
        {fileShown("c.mkv"), [&] { ui.windowWidget(mainWindow)->close(); }},
    });
    EXPECT_EQ(shell.run(), 0);

    EXPECT_FALSE(user.gaveUp()) << "steps done: " << user.done();
    EXPECT_TRUE(secondDropTaken);  // taken by the window, then refused by the program as a click would be
    EXPECT_EQ(afterRefusedDrop, "a.mkv");
    EXPECT_TRUE(realDialogShown);
    EXPECT_EQ(afterCancelledDialog, "");
    // The analysis worked in the user's working folder; the program's folder got nothing.
    EXPECT_TRUE(dir.has("work/mediainfo.txt"));
    EXPECT_FALSE(dir.has("program/mediainfo.txt"));
    EXPECT_FALSE(dir.has("program/options.txt"));
    while (shell.busy()) QTest::qWait(10);
}

// The desktop as a test sees it: what would be opened is noted, nothing plays.
class NotedDesktop : public Desktop {
public:
    bool open(std::string_view target) override {
        opened.emplace_back(target);
        return true;
    }
    void loadSound(const std::string&) override {}
    void playSound() override {}
    std::vector<std::string> opened;
};

// An installed program: its folder holds only the tools; the scripts are
// written in the user's working folder and change into the tools from there.
TEST(OpenFileFromDesktop, AnInstalledProgramRunsFromTheUsersWorkingFolder) {
    test::ScratchFolder dir;
    dir.write("program/options.txt", "notranscode = 1\r\ndtsfix = 0\r\nremuxdest = 0\r\ndeletebat = 0\r\n"
                                     "createlog = 0\r\nopenlog = 0\r\nsoundenable = 0\r\ncheckupdate = 0\r\n");
    dir.write("program/Applications/report.txt", fixture("two_audio_tracks.txt"));
    dir.write("program/Applications/MediaInfo.exe",
              "#!/bin/sh\ncp \"$(dirname \"$0\")/report.txt\" \"${2#--LogFile=}\"\n", true);
    // mkvmerge -o OUTPUT ...: notes where it ran and makes the output; its
    // identification (-r ANSWER -J FILE) finds the film's video, audio and subtitles.
    const std::string identified =
        R"({"container":{"recognized":true,"type":"Matroska"},"tracks":[)"
        R"({"type":"video","properties":{"codec_id":"V_MPEG4/ISO/AVC"}},)"
        R"({"type":"audio","properties":{"codec_id":"A_AC3","language":"fre"}},)"
        R"({"type":"subtitles","properties":{"codec_id":"S_TEXT/UTF8","language":"fre"}}]})";
    dir.write("program/Applications/mkvmerge.exe",
              "#!/bin/sh\n[ \"$1\" = -r ] && { printf '%s' '" + identified + "' > \"$2\"; exit 0; }\n"
              "pwd > \"$(dirname \"$0\")/ran-in\"\n: > \"$2\"\n",
              true);
    dir.write("films/a.mkv", "x");
    UserFolders folders{dir.file("config/klarbrix/options.txt"), dir.file("data/klarbrix/"), true};
    ASSERT_TRUE(makeUserFolders(folders, dir.file("program/")));

    QtUi ui;
    SystemLauncher launcher;
    NotedDesktop desktop;
    FileSystem files;
    Shell shell(ui, {launcher, desktop, files},
                {dir.file("program/"), "http://127.0.0.1:1", folders.settingsFile, folders.workFolder});
    QString verdict;
    // What the desktop notice hears: the run's start before its verdict, its end after.
    std::vector<std::string> heard;
    ui.watchRuns([&](RunKind kind, bool started) {
        heard.push_back(std::string(started ? "started " : "ended ") + (kind == RunKind::queue ? "queue" : "run"));
    });
    ui.watchMessages([&](std::string_view) { heard.push_back("message"); });
    ui.openWithFile(QString::fromStdString(dir.file("films/a.mkv")));
    User user({
        {[&] { return ui.itemCount(videoCombo) > 0; },
         [&] { QTest::mouseClick(ui.windowWidget(mainWindow)->findChild<QPushButton*>("startButton"), Qt::LeftButton); }},
        {[] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
         [&] {
             auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
             verdict = box->text();
             box->accept();
         }},
        {[&] { return !shell.busy(); }, [&] { ui.windowWidget(mainWindow)->close(); }},
    });
    EXPECT_EQ(shell.run(), 0);

    EXPECT_FALSE(user.gaveUp()) << "steps done: " << user.done();
    EXPECT_EQ(verdict, QStringLiteral("Le traitement s'est bien passé"));
    EXPECT_EQ(heard, (std::vector<std::string>{"started run", "message", "ended run"}));
    EXPECT_TRUE(dir.has("films/a_remux.mkv"));
    EXPECT_TRUE(dir.has("data/klarbrix/mkvmerge.bat"));
    EXPECT_TRUE(dir.has("data/klarbrix/mediainfo.txt"));
    // The script changed into the tools through the working folder's link.
    EXPECT_EQ(dir.read("program/Applications/ran-in"), dir.file("program/Applications") + "\n");
    for (const char* name : {"options.txt", "mkvmerge.bat", "mediainfo.txt", "log.txt", "update.txt"})
        EXPECT_EQ(dir.has(std::string("program/") + name), std::string(name) == "options.txt") << name;
}

}  // namespace
}  // namespace kx
