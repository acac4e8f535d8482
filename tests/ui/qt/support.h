// Helpers shared by the widget tests: finding a window's controls by name,
// making a window active and reading the balloon tip that is showing.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include <string_view>

#include "base/encoding.h"
#include "ui/qt/qt_ui.h"
#include "ui/qt/widgets.h"
#include "ui/window_desc.h"

namespace kx::test {

inline QWidget* controlWidget(QtUi& ui, int window, std::string_view name) {
    QWidget* top = ui.windowWidget(window);
    return top ? top->findChild<QWidget*>(toQt(name)) : nullptr;
}

template <typename W>
W* control(QtUi& ui, int window, std::string_view name) {
    return dynamic_cast<W*>(controlWidget(ui, window, name));
}

inline bool activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

inline QWidget* balloon() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("balloonTip")) return w;
    return nullptr;
}

// Asks the control for its tool-tip as the pointer would; the text of the
// balloon then shown, or nothing when none is shown.
inline std::optional<QString> hover(QWidget* control) {
    QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(control, &event);
    QWidget* tip = balloon();
    if (!tip || !tip->isVisible()) return std::nullopt;
    return tip->findChild<QLabel*>("balloonText")->text();
}

inline void unhover(QWidget* control) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(control, &leave);
}

// Opens a window of the program as the program does.
inline bool openByNumber(QtUi& ui, int window) {
    switch (window) {
        case mainWindow: return openMainWindow(ui);
        case optionsWindow: return openOptionsWindow(ui);
        case aboutWindow: return openAboutWindow(ui, "http://klarbrix.example/");
        default: return openHelpWindow(ui, "http://127.0.0.1:1/aide/");  // nobody listens there
    }
}

}  // namespace kx::test
