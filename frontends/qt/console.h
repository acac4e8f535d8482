// The tools' output, live: a window of its own that shows what the scripts
// and the tools they start print while a run goes on, progress lines
// rewritten in place. It never holds a run up: output waits in a bounded
// buffer and is shown in batches; what a slow window cannot take is dropped.
#pragma once

#include <QPointer>
#include <QStringDecoder>
#include <QWidget>

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace kx {

class ConsoleWindow : public QWidget {
public:
    // Most bytes held for the window between two batches; older ones go first.
    static constexpr std::size_t pendingLimit = 256 * 1024;
    // Most lines kept in the window.
    static constexpr int lineLimit = 5000;

    ConsoleWindow();

    // Output as the tools print it (UTF-8, pieces of any size). May be
    // called from any thread; returns at once.
    void feed(std::string_view output);
    // The window opens with the next output, unless it is open already: a
    // run is starting. Closed by the user, it stays closed until then.
    void expectRun();

    // What the window shows (the windows' thread; for tests).
    QString text() const;

    void setVisible(bool visible) override;

private:
    void showPending();
    // The text view, made with the first output or the first showing: a
    // program that runs nothing never pays for it.
    QPlainTextEdit* view();

    QPlainTextEdit* view_ = nullptr;
    QStringDecoder decoder_;
    QString line_;         // the last line as shown, still open
    bool carriageReturn_ = false;  // the next letter starts the open line again
    bool openOnOutput_ = false;

    std::mutex mutex_;
    std::string pending_;
    bool dropped_ = false;
    bool posted_ = false;
};

}  // namespace kx
