// startup_main_window: the start-up benchmark's middle point, the program's
// main window alone: the Qt front end opens it as the program does, with the
// program's font and French texts, but without the shell, settings, sound,
// tools' output window or worker threads behind it.
#include <QApplication>

#include "frontends/qt/desktop.h"
#include "frontends/qt/font_warm_up.h"
#include "frontends/qt/qt_ui.h"
#include "ui/window_desc.h"

int main(int argc, char** argv) {
    kx::FontWarmUp fonts;
    QApplication app(argc, argv);
    kx::useFrench(app);
    fonts.wait();
    kx::QtUi ui;
    kx::openMainWindow(ui);
    ui.setStatus("Choisir un fichier");
    return app.exec();
}
