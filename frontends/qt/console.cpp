// The tools' output window: bytes gathered under a lock by any thread, shown
// in one batch per turn of the windows' loop.
#include "frontends/qt/console.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include <utility>

#include "frontends/qt/widgets.h"
#include "ui/texts.h"

namespace kx {

namespace {

const QString droppedMark = QStringLiteral("[...]");

}  // namespace

ConsoleWindow::ConsoleWindow() : decoder_(QStringDecoder::Utf8) {
    setObjectName(QStringLiteral("console"));
    setWindowTitle(toQt(consoleTitle));
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(720, 360);
}

QPlainTextEdit* ConsoleWindow::view() {
    if (view_) return view_;
    view_ = new QPlainTextEdit(this);
    view_->setObjectName(QStringLiteral("consoleText"));
    view_->setReadOnly(true);
    view_->setUndoRedoEnabled(false);
    view_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view_->setMaximumBlockCount(lineLimit);
    view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette colours = view_->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, QColor(204, 204, 204));
    view_->setPalette(colours);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    return view_;
}

void ConsoleWindow::setVisible(bool visible) {
    if (visible) view();
    QWidget::setVisible(visible);
}

void ConsoleWindow::feed(std::string_view output) {
    if (output.empty()) return;
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        pending_.append(output);
        if (pending_.size() > pendingLimit) {
            // The newest output matters most: the oldest waiting part goes.
            pending_.erase(0, pending_.size() - pendingLimit);
            dropped_ = true;
        }
        post = !std::exchange(posted_, true);
    }
    if (post) QMetaObject::invokeMethod(this, [this] { showPending(); }, Qt::QueuedConnection);
}

void ConsoleWindow::expectRun() { openOnOutput_ = true; }

QString ConsoleWindow::text() const { return view_ ? view_->toPlainText() : QString(); }

void ConsoleWindow::showPending() {
    std::string bytes;
    bool dropped = false;
    {
        std::lock_guard lock(mutex_);
        bytes.swap(pending_);
        dropped = std::exchange(dropped_, false);
        posted_ = false;
    }
    if (bytes.empty() && !dropped) return;

    // The open line is rewritten with what follows it: completed lines
    // and the new open line.
    QString added;
    if (dropped) {
        added += line_ + QLatin1Char('\n') + droppedMark + QLatin1Char('\n');
        line_.clear();
        carriageReturn_ = false;
        decoder_.resetState();  // the cut may fall inside a letter
    }
    const QString decoded = decoder_.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    for (QChar c : decoded) {
        if (c == QLatin1Char('\r')) {
            carriageReturn_ = true;
        } else if (c == QLatin1Char('\n')) {
            added += line_ + QLatin1Char('\n');
            line_.clear();
            carriageReturn_ = false;
        } else {
            if (std::exchange(carriageReturn_, false)) line_.clear();
            line_ += c;
        }
    }

    QPlainTextEdit* shown = view();
    QScrollBar* scroll = shown->verticalScrollBar();
    bool atEnd = scroll->value() == scroll->maximum();
    QTextCursor cursor(shown->document());
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(added + line_);
    if (atEnd) scroll->setValue(scroll->maximum());

    if (std::exchange(openOnOutput_, false) && !isVisible()) {
        show();
        raise();
    }
}

}  // namespace kx
