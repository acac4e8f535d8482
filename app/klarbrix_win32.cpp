// klarbrix.exe: the desktop program for Windows, the shell with the Win32
// front end. Its settings, sound and tools folder lie beside the executable.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "frontends/win32/win32_ui.h"
#include "platform/files.h"
#include "platform/help_pages.h"
#include "platform/desktop.h"
#include "platform/launcher.h"
#include "shell/shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    kx::Win32Ui::initialiseThread();
    kx::Win32Ui ui(std::make_shared<kx::SiteHelpPages>());
    kx::SystemLauncher launcher;
    kx::SystemDesktop desktop;
    kx::FileSystem files;
    kx::Shell shell(ui, {launcher, desktop, files}, {kx::fs::programFolder(), KLARBRIX_SITE});
    int status = shell.run();
    // Workers still running end with the process.
    std::fflush(nullptr);
    std::_Exit(status);
}
