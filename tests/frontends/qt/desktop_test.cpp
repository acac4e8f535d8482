// The desktop program's surroundings: the tools' output window fed by a
// running script, Qt's own texts in French, the one font that fits every
// caption, and which job ends are told to the desktop.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFontInfo>
#include <QPushButton>
#include <QStyleOptionButton>

#include <thread>

#include "platform/launcher.h"
#include "platform/scratch_folder.h"
#include "support.h"
#include "frontends/qt/console.h"
#include "frontends/qt/desktop.h"

namespace kx {
namespace {

bool waitForText(ConsoleWindow& console, const QString& text) {
    return QTest::qWaitFor([&] { return console.text().contains(text); }, 20000);
}

// A real script run through the launcher, as a run does, while the windows'
// thread goes on: the command, then the tool's lines, its progress line
// rewritten in place; the window opens for the run.
TEST(ToolsOutput, ShowsARunningScriptAsItGoes) {
    test::ScratchFolder dir;
    dir.write("Applications/progress.exe",
              "#!/bin/sh\necho 'début'\nprintf '10 %%\\r20 %%\\r'\nsleep 0.2\nprintf '30 %%\\n'\n"
              "echo 'problème' >&2\n",
              true);
    dir.write("mkvmerge.bat", "cd Applications\r\nprogress.exe \"/F/a b.mkv\"");
    ConsoleWindow console;
    SystemLauncher launcher([&console](std::string_view output) { console.feed(output); });
    console.expectRun();
    EXPECT_FALSE(console.isVisible());

    std::thread run([&] { launcher.run("mkvmerge.bat", "", dir.path, runWait); });
    bool started = waitForText(console, QStringLiteral("progress.exe"));
    EXPECT_TRUE(started && console.isVisible());
    bool ended = waitForText(console, QStringLiteral("problème"));
    run.join();
    QTest::qWait(20);
    ASSERT_TRUE(ended) << console.text().toStdString();
    QString folder = QString::fromStdString(dir.path);
    EXPECT_EQ(console.text(), QStringLiteral("\n") + folder + QStringLiteral(">cd Applications\n\n") + folder +
                                  QStringLiteral("/Applications>progress.exe \"/F/a b.mkv\"\ndébut\n30 %\nproblème\n"));
}

TEST(ToolsOutput, LinesSplitAnywhereAndCarriageReturns) {
    ConsoleWindow console;
    for (std::string_view piece : {"ab", "c\r\nun\xC3", "\xA9" "\r", "\r\ndeux\r", "trois", "\r\n"}) {
        console.feed(piece);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(console.text(), QStringLiteral("abc\nuné\ntrois\n"));
}

// Output faster than the window: held in a bounded buffer, the oldest
// dropped and marked, the newest shown.
TEST(ToolsOutput, AFloodIsCutNotQueued) {
    ConsoleWindow console;
    std::string line(99, 'x');
    line += '\n';
    for (int i = 0; i < 20000; ++i) console.feed(line);  // 2 MB while the window takes nothing
    console.feed("last\n");
    QCoreApplication::processEvents();
    QString text = console.text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("\n[...]\n"))) << text.left(40).toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("x\nlast\n")));
    EXPECT_LE(text.size(), qsizetype(ConsoleWindow::pendingLimit + 16));
}

TEST(ToolsOutput, ClosedByTheUserItStaysClosedUntilTheNextRun) {
    ConsoleWindow console;
    console.feed("before any run\n");
    QCoreApplication::processEvents();
    EXPECT_FALSE(console.isVisible());
    console.expectRun();
    console.feed("first run\n");
    QCoreApplication::processEvents();
    EXPECT_TRUE(console.isVisible());
    console.close();
    console.feed("more of the first run\n");
    QCoreApplication::processEvents();
    EXPECT_FALSE(console.isVisible());
    console.expectRun();
    console.feed("second run\n");
    QCoreApplication::processEvents();
    EXPECT_TRUE(console.isVisible());
    EXPECT_TRUE(console.text().contains(QStringLiteral("more of the first run")));
}

TEST(Desktop, QtsOwnTextsAreFrench) {
    ASSERT_TRUE(useFrench(*QCoreApplication::instance())) << "qt6-translations-l10n is missing";
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Annuler"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text().remove(QLatin1Char('&')), QStringLiteral("Ouvrir"));
}

// Every caption reads whole in its control, in the one font of the windows.
TEST(Desktop, EveryCaptionFitsItsControlInTheProgramsFont) {
    QtUi ui;
    for (int window : {mainWindow, optionsWindow, aboutWindow}) {
        ASSERT_TRUE(test::openByNumber(ui, window));
        QWidget* top = ui.windowWidget(window);
        EXPECT_EQ(QFontInfo(top->font()).family(), QString::fromLatin1(controlFontFamily))
            << "the font is missing (Debian package fonts-liberation)";
        for (QWidget* w : top->findChildren<QWidget*>()) {
            QString caption;
            int room = w->width();
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                caption = button->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
                QStyleOptionButton option;
                option.initFrom(button);
                room -= button->style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(0, 0), button).width();
            } else if (auto* label = qobject_cast<QLabel*>(w); label && label->frameStyle() == QFrame::NoFrame) {
                caption = label->text();
            }
            if (caption.isEmpty() || !w->property("kxControl").isValid()) continue;
            EXPECT_EQ(w->font(), top->font()) << w->objectName().toStdString();
            EXPECT_LE(w->fontMetrics().horizontalAdvance(caption), room) << w->objectName().toStdString();
        }
    }
}

TEST(Desktop, TheEndOfAQueueRunOrOfALongRunIsToldWhenNotInFront) {
    using namespace std::chrono_literals;
    const auto t0 = JobEndNotice::Clock::time_point{} + 1h;
    JobEndNotice notice;
    EXPECT_FALSE(notice.message(t0, false));  // no job: a message is just a message

    notice.queueRunStarted();
    EXPECT_TRUE(notice.message(t0 + 5s, false));
    EXPECT_FALSE(notice.message(t0 + 6s, false));  // only the first message after the start

    notice.queueRunStarted();
    EXPECT_FALSE(notice.message(t0 + 5s, true));  // in front: the user sees the message
    EXPECT_FALSE(notice.message(t0 + 6s, false));

    notice.runStarted(t0);
    EXPECT_FALSE(notice.message(t0 + 59s, false));  // a short run
    notice.runStarted(t0);
    EXPECT_TRUE(notice.message(t0 + 60s, false));
    EXPECT_FALSE(notice.message(t0 + 120s, false));
}

}  // namespace
}  // namespace kx
