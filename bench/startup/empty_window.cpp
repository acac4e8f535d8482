// startup_empty_window: the start-up benchmark's reference, an empty Qt 6
// window of the main window's size, made and shown as the program shows its
// main window, with the same first-paint hook. Usage: WIDTH HEIGHT.
#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <cstdlib>

#include "frontends/qt/first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int width = argc > 2 ? std::atoi(argv[1]) : 650;
    int height = argc > 2 ? std::atoi(argv[2]) : 383;

    // The main window's frame: title bar with close and minimise boxes, fixed size, centred.
    QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    window.setWindowTitle(QStringLiteral("Fenêtre vide"));
    window.setFixedSize(width, height);
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    window.move(area.center() - QPoint(width / 2, height / 2));
    kx::watchFirstPaint(&window);
    window.show();
    return app.exec();
}
