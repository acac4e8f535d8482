// klarbrix.exe: the desktop program for Windows, the shell with the Win32
// front end. Its settings, sound and tools folder lie beside the executable.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/encoding.h"

#include "frontends/win32/win32_ui.h"
#include "platform/files.h"
#include "platform/help_pages.h"
#include "platform/desktop.h"
#include "platform/launcher.h"
#include "shell/command_args.h"
#include "shell/shell.h"

namespace {

// The arguments after the program's name, as cp1252 text.
std::vector<std::string> commandArguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return args;
    for (int k = 1; k < count; ++k) {
        std::wstring arg(wide[k]);
        args.push_back(kx::fromUtf16Lossy(std::u16string(arg.begin(), arg.end())));
    }
    LocalFree(wide);
    return args;
}

// A program without a console tells in a message box.
void tell(const std::string& text) {
    std::u16string wide = kx::toUtf16(text);
    MessageBoxW(nullptr, reinterpret_cast<LPCWSTR>(wide.c_str()), L"Klarbrix", MB_OK);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // --help, --version and a wrong option are answered before any window.
    const kx::CommandArgs command = kx::parseCommandArgs(commandArguments());
    switch (command.action) {
        case kx::CommandArgs::Action::help: tell(kx::commandHelp()); return 0;
        case kx::CommandArgs::Action::version: tell(kx::commandVersion()); return 0;
        case kx::CommandArgs::Action::refuse: tell("klarbrix : " + command.message + "\n" + kx::usageHint()); return 2;
        case kx::CommandArgs::Action::run: break;
    }
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
