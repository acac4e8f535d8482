// The start-up measure's hook (bench/startup/): with KLARBRIX_FIRST_PAINT_FD
// naming an open descriptor, the first paint of the watched window writes
// "painted WIDTHxHEIGHT CPU\n" on it (CPU: the process's processor time so far
// in microseconds), waits until the other end closes it (so the resident
// memory of that moment can be read), then ends the process. Unset: nothing.
#pragma once

#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWidget>

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace kx {

class FirstPaintReport : public QObject {
public:
    FirstPaintReport(int fd, QWidget* window) : QObject(window), fd_(fd) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued: runs once this paint has been handed to the window system.
            auto* window = static_cast<QWidget*>(watched);
            QMetaObject::invokeMethod(
                this, [fd = fd_, w = window->width(), h = window->height()] { report(fd, w, h); },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    static void report(int fd, int width, int height) {
        timespec cpu{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        char line[64];
        int length = std::snprintf(line, sizeof line, "painted %dx%d %lld\n", width, height,
                                   (long long)cpu.tv_sec * 1000000 + cpu.tv_nsec / 1000);
        (void)!::write(fd, line, std::size_t(length));
        for (;;) {
            char c;
            ssize_t n = ::read(fd, &c, 1);
            if (n == 0 || (n < 0 && errno != EINTR)) break;
        }
        std::_Exit(0);
    }
    int fd_;
};

// Watches `window` when the variable is set; call once the window is built.
inline void watchFirstPaint(QWidget* window) {
    bool ok = false;
    int fd = qEnvironmentVariableIntValue("KLARBRIX_FIRST_PAINT_FD", &ok);
    if (ok && fd >= 0) new FirstPaintReport(fd, window);
}

}  // namespace kx
