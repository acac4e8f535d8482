// Helpers shared by the widget tests: finding a window's controls by name,
// making a window active and reading the balloon tip that is showing.
#pragma once

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string_view>
#include <vector>

#include "base/encoding.h"
#include "frontends/qt/qt_ui.h"
#include "frontends/qt/widgets.h"
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

// The user, played by a timer on the windows' thread while the program runs
// its loop: steps carried out one after the other, each when its condition
// holds. A step that never becomes ready ends the program so that the test
// can report.
class User {
public:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    explicit User(std::vector<Step> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start(10);
    }
    std::size_t done() const { return next_; }
    bool gaveUp() const { return gaveUp_; }

private:
    void tick() {
        if (next_ >= steps_.size()) return timer_.stop();
        if (steps_[next_].ready()) {
            steps_[next_++].act();
            waited_ = 0;
        } else if (++waited_ > 2000) {
            gaveUp_ = true;
            next_ = steps_.size();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "window0") w->close();
        }
    }
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    int waited_ = 0;
    bool gaveUp_ = false;
    QTimer timer_;
};

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
