// The desktop program's place on a Linux desktop: Qt's own texts (dialog
// buttons, the file chooser) in French whatever the desktop's language, and
// a notification through the desktop's service when a long job ends while
// the program is not in front.
#pragma once

#include <QString>

#include <chrono>
#include <optional>

class QCoreApplication;

namespace kx {

// Loads Qt's French translations (Debian's qt6-translations-l10n) and makes
// French the default locale; false when the translations are not installed.
bool useFrench(QCoreApplication& app);

// Tells the desktop's notification service (org.freedesktop.Notifications
// on the session bus) without waiting for it; nothing when there is none.
void notifyDesktop(const QString& text);

// Decides which messages end a long job worth a notification: the first
// message after a queue run was started, and the first after a run was
// started when it comes a minute or more later; each only when no window of
// the program is in front.
class JobEndNotice {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds longRun{60};

    void queueRunStarted() { queueRun_ = true; }
    void runStarted(Clock::time_point now) { runStart_ = now; }
    // A message is shown; true when the desktop should be told too.
    bool message(Clock::time_point now, bool programInFront);

private:
    bool queueRun_ = false;
    std::optional<Clock::time_point> runStart_;
};

}  // namespace kx
