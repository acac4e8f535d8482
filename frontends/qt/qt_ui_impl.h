// The inside of QtUi, shared by its files: the windows and controls it has
// made, the queue of the user's actions, and the way calls from other
// threads are carried to the thread that owns the windows.
#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "frontends/qt/qt_ui.h"
#include "frontends/qt/widgets.h"

class QLabel;
class QMenuBar;
class QTabWidget;

namespace kx {

class QtUi::Impl : public QObject {
public:
    // A control of a panel page not shown yet, with its own copy of the texts.
    struct PendingControl {
        ControlDesc desc;
        std::string name, caption;
    };
    struct Tip {
        QString text, title;
        int icon;
    };
    struct Window {
        QPointer<TopWindow> top;
        QLabel* status = nullptr;
        QMenuBar* menuBar = nullptr;
        QTabWidget* panel = nullptr;
        std::vector<int> order;  // every control, in creation order (the Tab order)
        // The controls of the pages other than the first are made when their
        // page is first shown, or when one of them is first asked for: most
        // sessions never open the queue, and start-up does not pay for it.
        std::vector<PendingControl> pending;
        std::map<int, Tip> pendingTips;
    };
    struct Control {
        QPointer<QWidget> widget;
        ControlKind kind;
        int window;
    };

    // Runs `f` on the owning thread and returns its result; other threads wait.
    template <typename F>
    auto onGui(F&& f) -> std::invoke_result_t<F&> {
        using R = std::invoke_result_t<F&>;
        if (QThread::currentThread() == thread()) return f();
        if constexpr (std::is_void_v<R>) {
            QMetaObject::invokeMethod(this, [&] { f(); }, Qt::BlockingQueuedConnection);
        } else {
            std::optional<R> result;
            QMetaObject::invokeMethod(this, [&] { result.emplace(f()); }, Qt::BlockingQueuedConnection);
            return result ? std::move(*result) : R{};
        }
    }

    // The widget of a control of the given kinds, or null.
    template <typename W>
    W* find(int id) {
        if (auto waiting = pendingControls.find(id); waiting != pendingControls.end()) makePending(waiting->second);
        auto it = controls.find(id);
        if (it == controls.end() || !it->second.widget) return nullptr;
        return dynamic_cast<W*>(it->second.widget.data());
    }

    // An event, and for a click queued by openWithFile the open-file
    // dialog's answer while that click is handled.
    struct Queued {
        Event event;
        std::optional<ChosenPath> answer;
    };

    void push(Event event, std::optional<ChosenPath> answer = std::nullopt) {
        if (onEvent) onEvent(event);
        {
            std::lock_guard lock(queueMutex);
            queue.push_back({event, std::move(answer)});
        }
        queueChanged.notify_all();
    }

    // The next event; the dialog answer of the event handled before it, if
    // the program did not ask for it, goes (queueMutex held).
    Event take() {
        Queued next = std::move(queue.front());
        queue.pop_front();
        dialogAnswer = std::move(next.answer);
        return next.event;
    }

    std::optional<Event> pop() {
        std::lock_guard lock(queueMutex);
        if (queue.empty()) return std::nullopt;
        return take();
    }

    std::optional<ChosenPath> takeDialogAnswer() {
        std::lock_guard lock(queueMutex);
        return std::exchange(dialogAnswer, std::nullopt);
    }

    void close(int id) {
        auto it = windows.find(id);
        if (it == windows.end()) return;
        // Forgotten before the widgets go, so nothing their going sets off finds it.
        QPointer<TopWindow> top = it->second.top;
        windows.erase(it);
        std::erase_if(controls, [id](const auto& entry) { return entry.second.window == id; });
        std::erase_if(pendingControls, [id](const auto& entry) { return entry.second == id; });
        delete top.data();
    }

    bool open(const WindowDesc& desc);
    QWidget* makeControl(const ControlDesc& c, int window, QWidget* parent);
    // Makes the window's pending controls, shows those of a shown page, gives
    // them the tips they were given meanwhile and puts them in the Tab order.
    void makePending(int window);
    void setTabOrder(const Window& window);

    std::map<int, Window> windows;
    std::map<int, Control> controls;
    std::map<int, int> pendingControls;  // control -> window
    BalloonTips tips;
    std::shared_ptr<HelpPages> helpPages;  // where the help page gets its pages

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<Queued> queue;
    std::optional<ChosenPath> dialogAnswer;

    std::function<void(const Event&)> onEvent;
    std::function<void(std::string_view)> onMessage;
    std::function<void(RunKind, bool)> onRun;
};

}  // namespace kx
