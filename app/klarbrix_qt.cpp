// klarbrix: the desktop program for Linux, the shell with the Qt front end.
// Its sound and tools folder lie beside the executable; its settings and
// working files too, unless that folder is not the user's (an installed
// program), in which case they go to the user's own folders.
#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/encoding.h"
#include "frontends/qt/console.h"
#include "frontends/qt/desktop.h"
#include "frontends/qt/font_warm_up.h"
#include "frontends/qt/qt_ui.h"
#include "frontends/qt/widgets.h"
#include "platform/files.h"
#include "platform/help_pages.h"
#include "platform/user_folders.h"
#include "shell/command_args.h"
#include "shell/shell.h"
#include "ui/texts.h"

int main(int argc, char** argv) {
    // --help, --version and a wrong option are answered before any window.
    std::vector<std::string> args;
    for (int k = 1; k < argc; ++k) args.push_back(kx::fromUtf8Lossy(argv[k]));
    const kx::CommandArgs command = kx::parseCommandArgs(args);
    switch (command.action) {
        case kx::CommandArgs::Action::help: std::fputs(kx::toUtf8(kx::commandHelp()).c_str(), stdout); return 0;
        case kx::CommandArgs::Action::version: std::fputs(kx::toUtf8(kx::commandVersion()).c_str(), stdout); return 0;
        case kx::CommandArgs::Action::refuse:
            std::fputs(kx::toUtf8("klarbrix : " + command.message + "\n" + kx::usageHint()).c_str(), stderr);
            return 2;
        case kx::CommandArgs::Action::run: break;
    }
    // Taken before Qt removes its own options from argv.
    const std::string namedFile = command.fileIndex >= 0 ? argv[command.fileIndex + 1] : "";

    kx::FontWarmUp fonts;
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("klarbrix"));
    kx::useFrench(app);

    const std::string programFolder = kx::fs::programFolder();
    std::optional<kx::UserFolders> folders = kx::prepareUserFolders(programFolder);
    if (!folders) {
        QMessageBox::information(nullptr, kx::toQt(kx::informationTitle), kx::toQt(kx::homeFoldersUnavailable));
        return 1;
    }

    fonts.wait();
    kx::QtUi ui(std::make_shared<kx::SiteHelpPages>());
    kx::ConsoleWindow console;
    kx::SystemLauncher launcher([&console](std::string_view output) { console.feed(output); });
    kx::SystemDesktop desktop;
    kx::FileSystem files;

    // A run or a queue run opens the tools' output, and its end is told to
    // the desktop when the program is not in front.
    kx::JobEndNotice notice;
    ui.watchRuns([&](kx::RunKind kind, bool started) {
        if (!started) return;
        console.expectRun();
        if (kind == kx::RunKind::queue) notice.queueRunStarted();
        else notice.runStarted(kx::JobEndNotice::Clock::now());
    });
    ui.watchMessages([&](std::string_view text) {
        bool inFront = QGuiApplication::applicationState() == Qt::ApplicationActive;
        if (notice.message(kx::JobEndNotice::Clock::now(), inFront)) kx::notifyDesktop(kx::toQt(text));
    });

    // A file named on the command line ("Ouvrir avec" of the file manager).
    if (!namedFile.empty()) {
        QFileInfo file(QString::fromLocal8Bit(namedFile.c_str()));
        if (file.isFile()) ui.openWithFile(file.absoluteFilePath());
        else std::fprintf(stderr, "klarbrix : fichier introuvable : %s\n", namedFile.c_str());
    }

    kx::Shell shell(ui, {launcher, desktop, files},
                    {programFolder, KLARBRIX_SITE, folders->settingsFile, folders->workFolder});
    int status = shell.run();
    // Workers still running end with the process.
    std::fflush(nullptr);
    std::_Exit(status);
}
