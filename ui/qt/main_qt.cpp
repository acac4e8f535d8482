// klarbrix: the desktop program for Linux, the shell with the Qt front end.
// Its settings, sound and tools folder lie beside the executable.
#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "shell/shell.h"
#include "platform/files.h"
#include "ui/qt/qt_ui.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kx::QtUi ui;
    kx::SystemLauncher launcher;
    kx::SystemDesktop desktop;
    kx::FileSystem files;
    kx::Shell shell(ui, {launcher, desktop, files}, {kx::fs::programFolder(), KLARBRIX_SITE});
    int status = shell.run();
    // Workers still running end with the process.
    std::fflush(nullptr);
    std::_Exit(status);
}
