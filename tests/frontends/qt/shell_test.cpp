// The real shell with the Qt front end: start-up, the options window round
// trip, the help window's own loop, and the end of the program when the main
// window is closed. The user is played by a timer on the windows' thread.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include "shell/shell.h"
#include "platform/files.h"
#include "support.h"

namespace kx {
namespace {

using test::control;
using test::User;

void chooseMenuItem(QtUi& ui, int item) {
    ui.windowWidget(mainWindow)->findChild<QMenuBar*>()->actions()[0]->menu()->actions()[item]->trigger();
}

TEST(ShellWithQt, OptionsRoundTripHelpWindowAndClosing) {
    std::string folder = std::string(KLARBRIX_BUILD_DIR) + "/qt_shell_test/";
    fs::removeTree(folder);
    ASSERT_TRUE(fs::makeFolder(folder));
    ASSERT_TRUE(fs::makeFolder(folder + "Applications"));
    ASSERT_TRUE(fs::writeFile(folder + "options.txt",
                              "deletetemp = 1\r\nopenlog = 0\r\ncheminremux = /srv/films/\r\ncheckupdate = 0\r\n"));

    QtUi ui;
    SystemLauncher launcher;
    SystemDesktop desktop;
    FileSystem files;
    Shell shell(ui, {launcher, desktop, files}, {folder, "http://127.0.0.1:1"});
    auto open = [&](int window) { return [&ui, window] { return ui.windowWidget(window) != nullptr; }; };
    auto closed = [&](int window) { return [&ui, window] { return ui.windowWidget(window) == nullptr; }; };
    QString status;
    bool tempTicked = false, logTicked = true;
    QString remuxShown;

    User user({
        {open(mainWindow),
         [&] {
             status = ui.windowWidget(mainWindow)->findChild<QWidget*>("statusBar")->findChild<QLabel*>()->text();
             chooseMenuItem(ui, menuOptions);
         }},
        {open(optionsWindow),
         [&] {
             tempTicked = control<QCheckBox>(ui, optionsWindow, "deleteTempCheck")->isChecked();
             logTicked = control<QCheckBox>(ui, optionsWindow, "openLogCheck")->isChecked();
             remuxShown = control<QLabel>(ui, optionsWindow, "remuxPathField")->text();
             QTest::mouseClick(control<QCheckBox>(ui, optionsWindow, "deleteTempCheck"), Qt::LeftButton);
             QTest::mouseClick(control<QPushButton>(ui, optionsWindow, "optionsOkButton"), Qt::LeftButton);
         }},
        {closed(optionsWindow), [&] { chooseMenuItem(ui, menuHelp); }},
        // While the help window is open, closing the main window closes only the help window.
        {open(helpWindow), [&] { ui.windowWidget(mainWindow)->close(); }},
        {closed(helpWindow), [&] { ui.windowWidget(mainWindow)->close(); }},
    });
    int status_code = shell.run();

    EXPECT_FALSE(user.gaveUp());
    EXPECT_EQ(user.done(), 5u);
    EXPECT_EQ(status_code, 0);
    EXPECT_EQ(status, "Choisir un fichier");
    EXPECT_TRUE(tempTicked);
    EXPECT_FALSE(logTicked);
    EXPECT_EQ(remuxShown, "/srv/films/");
    std::optional<std::string> saved = fs::readFile(folder + "options.txt");
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("deletetemp = 0\r\n"), std::string::npos);
    EXPECT_NE(saved->find("openlog = 0\r\n"), std::string::npos);
    EXPECT_NE(ui.windowWidget(mainWindow), nullptr);  // the program, not Qt, ends it
    fs::removeTree(folder);
}

}  // namespace
}  // namespace kx
