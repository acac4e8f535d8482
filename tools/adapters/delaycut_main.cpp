// delaycut.exe for Windows: our own DTS and AC3 repair tool, shipped in the
// Applications folder. Takes the command line the scripts write:
//   delaycut.exe -fixcrc fix -start 0 -End 0 "C:\...\film.dts"
// and writes film_fixed.dts and film_log.txt beside the input.
// Exit codes: 0 done, 2 failed (message on stderr).
#include <windows.h>

#include <string>
#include <vector>

#include "tools/adapters/repair.h"

namespace kx::adapt {

// In a console as UTF-16 (the console's code page is left alone: the script
// that started us is read in it); elsewhere as UTF-8.
void printError(const std::string& line) {
    std::string text = line + "\r\n";
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0, written = 0;
    if (err != INVALID_HANDLE_VALUE && err && GetConsoleMode(err, &mode)) {
        int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
        std::wstring wide(std::size_t(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), n);
        WriteConsoleW(err, wide.data(), DWORD(wide.size()), &written, nullptr);
    } else if (err != INVALID_HANDLE_VALUE && err) {
        WriteFile(err, text.data(), DWORD(text.size()), &written, nullptr);
    }
}

}  // namespace kx::adapt

int wmain(int argc, wchar_t** argv) {
    // The arguments as UTF-8, whatever the console's code pages.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        int n = WideCharToMultiByte(CP_UTF8, 0, arg.data(), int(arg.size()), nullptr, 0, nullptr, nullptr);
        std::string utf8(std::size_t(n), '\0');
        WideCharToMultiByte(CP_UTF8, 0, arg.data(), int(arg.size()), utf8.data(), n, nullptr, nullptr);
        args.push_back(utf8);
    }
    return kx::adapt::runDelaycut(args);
}
