// klarbrix-drive: the real program with the in-memory front end, driven by
// commands on standard input; it writes what the program does on standard
// output. The current folder is the program folder.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "shell/shell.h"
#include "platform/files.h"
#include "ui/memory/memory_ui.h"

int main(int argc, char** argv) {
    std::string site = KLARBRIX_SITE;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--site") && i + 1 < argc) {
            site = argv[++i];
            while (!site.empty() && site.back() == '/') site.pop_back();
        } else {
            std::fprintf(stderr, "usage: klarbrix-drive [--site URL] < commands\n");
            return 2;
        }
    }
    std::ios::sync_with_stdio(false);
    kx::MemoryUi ui(std::cin, std::cout);
    kx::SystemLauncher launcher;
    kx::FileSystem files;
    kx::Shell shell(ui, {launcher, ui, files}, {kx::fs::currentFolder(), site});
    ui.setBusyProbe([&shell] { return shell.busy(); });
    int status = shell.run();
    // Workers still running end with the process.
    std::cout.flush();
    std::fflush(nullptr);
    std::_Exit(status);
}
