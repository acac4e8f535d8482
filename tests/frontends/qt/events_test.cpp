// Events and threads on the real widgets: mouse clicks on buttons, links and
// check boxes, windows without a close box, worker calls carried out on the
// windows' thread, and a worker's message box (the contract itself:
// tests/frontends/contract/).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

#include "support.h"

namespace kx {
namespace {

using test::control;

TEST(Events, LinksAndCheckBoxesReportTheUsersClick) {
    QtUi ui;
    ASSERT_TRUE(openMainWindow(ui));
    ASSERT_TRUE(openAboutWindow(ui, "http://klarbrix.example/"));

    QTest::mouseClick(control<QPushButton>(ui, mainWindow, "startButton"), Qt::LeftButton);
    EXPECT_EQ(ui.waitEvent().id, startButton);

    QTest::mouseClick(control<QLabel>(ui, aboutWindow, "aboutSiteLink"), Qt::LeftButton);
    Event e = ui.waitEvent();
    EXPECT_EQ(e.kind, Event::control);
    EXPECT_EQ(e.id, aboutSiteLink);
    EXPECT_EQ(e.window, aboutWindow);
    EXPECT_EQ(ui.text(aboutSiteLink), "http://klarbrix.example/");

    // A check box toggles itself and reports.
    auto* box = control<QCheckBox>(ui, mainWindow, "noSrtCheck");
    QTest::mouseClick(box, Qt::LeftButton);
    e = ui.waitEvent();
    EXPECT_EQ(e.id, noSrtCheck);
    EXPECT_TRUE(ui.checked(noSrtCheck));
}

TEST(Events, WindowsWithoutACloseBoxIgnoreClosingAndClosedOnesGo) {
    QtUi ui;
    ASSERT_TRUE(openMainWindow(ui));
    ASSERT_TRUE(openOptionsWindow(ui));
    ui.windowWidget(optionsWindow)->close();
    EXPECT_TRUE(ui.windowWidget(optionsWindow)->isVisible());
    ui.windowWidget(mainWindow)->close();
    EXPECT_EQ(ui.waitEvent().kind, Event::close);
    EXPECT_TRUE(ui.windowWidget(mainWindow)->isVisible());  // the program decides
    ui.closeWindow(optionsWindow);
    EXPECT_EQ(ui.windowWidget(optionsWindow), nullptr);
}

TEST(Events, WorkerCallsChangeTheWidgetsOnTheWindowsThread) {
    QtUi ui;
    ASSERT_TRUE(openMainWindow(ui));
    auto* combo = control<QComboBox>(ui, mainWindow, "audioCombo");
    auto* start = control<QPushButton>(ui, mainWindow, "startButton");
    QThread* gui = QThread::currentThread();
    std::atomic<bool> changedOnGui{false};
    QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                     [&] { changedOnGui = QThread::currentThread() == gui; }, Qt::DirectConnection);
    std::thread worker([&] {
        ui.addItem(audioCombo, "track #2  DTS  fre");
        ui.select(audioCombo, 0);
        ui.setText(fileNameField, "film été.mkv"_cp);
        QMetaObject::invokeMethod(start, "click", Qt::QueuedConnection);
    });
    Event e = ui.waitEvent();
    worker.join();
    EXPECT_EQ(e.id, startButton);
    EXPECT_TRUE(changedOnGui);
    EXPECT_EQ(control<QLabel>(ui, mainWindow, "fileNameField")->text(), QString::fromUtf8("film été.mkv"));
}

TEST(Events, AWorkersMessageBoxIsShownByTheWindowsThreadAndWaitsForOk) {
    QtUi ui;
    ASSERT_TRUE(openMainWindow(ui));
    std::atomic<bool> answered{false};
    std::thread worker([&] {
        ui.messageBox("Information", "Il y'a eu un problème lors du traitement"_cp);
        answered = true;
    });

    // The box runs its own loop on this thread; a timer answers it from there.
    struct Seen {
        bool onGui = false, answeredBefore = true;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::Information;
        qsizetype buttons = 0;
        Qt::WindowModality modality = Qt::NonModal;
    } seen;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        seen = {box->thread() == QThread::currentThread(), answered.load(), box->windowTitle(), box->text(),
                box->icon(), box->buttons().size(), box->windowModality()};
        answer.stop();
        box->buttons()[0]->click();
    });
    answer.start(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered.load(); }, 20000));
    EXPECT_TRUE(seen.onGui);
    EXPECT_FALSE(seen.answeredBefore);  // the worker waited for the box
    EXPECT_EQ(seen.title, "Information");
    EXPECT_EQ(seen.text, QString::fromUtf8("Il y'a eu un problème lors du traitement"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_EQ(seen.modality, Qt::ApplicationModal);
    worker.join();
}

}  // namespace
}  // namespace kx
