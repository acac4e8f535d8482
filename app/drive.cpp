// klarbrix-drive: the real program with the in-memory front end, driven by
// commands on standard input; it writes what the program does on standard
// output. The current folder is the program folder.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "frontends/memory/memory_ui.h"
#include "platform/files.h"
#include "shell/shell.h"

int main(int argc, char** argv) {
    std::string site = KLARBRIX_SITE;
    long waitLimit = 300;
    auto usage = [] {
        std::fprintf(stderr, "usage: klarbrix-drive [--site URL] [--wait-limit SECONDS] < commands\n");
        return 2;
    };
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--site") && i + 1 < argc) {
            site = argv[++i];
            while (!site.empty() && site.back() == '/') site.pop_back();
        } else if (!std::strcmp(argv[i], "--wait-limit") && i + 1 < argc) {
            char* end = nullptr;
            waitLimit = std::strtol(argv[++i], &end, 10);
            if (waitLimit <= 0 || *end != '\0') return usage();
        } else {
            return usage();
        }
    }
    std::ios::sync_with_stdio(false);
    kx::MemoryUi ui(std::cin, std::cout);
    ui.setWaitLimit(std::chrono::seconds(waitLimit));
    kx::SystemLauncher launcher;
    kx::FileSystem files;
    kx::Shell shell(ui, {launcher, ui, files}, {kx::fs::currentFolder(), site});
    ui.setIdleWait([&shell](auto deadline) { return shell.waitIdle(deadline); });
    int status = shell.run();
    // A wait that ran out of time ends the driver with status 3.
    if (ui.timedOut()) status = 3;
    // Workers still running end with the process.
    ui.flushTranscript();
    std::fflush(nullptr);
    std::_Exit(status);
}
