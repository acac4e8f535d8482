// The contract every front end keeps (ui/ui.h), tested once for all three:
// each front end's test program instantiates these tests with a driver that
// makes its front end and plays the user. A driver D has
//   Ui& ui();                  the front end, made on the test's thread
//   void click(int control);   the user clicks a control; from any thread,
//                              seen by the next waitEvent() on this one
//   void chooseMenu(int item); the user picks an item of the main window's menu
//   void closeBox(int window); the user clicks a window's close box
//   void answer(bool yes);     the user will answer the next question (its
//                              title "Information") with yes or no
//   void posted();             the program has posted an event: a front end
//                              that reads a script is given its next line
// What a front end shows (widgets, classes, pixels) is tested beside it.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/encoding.h"
#include "ui/ui.h"
#include "ui/window_desc.h"

namespace kx::test {

// The position of an item in the main window's menu (the real front ends
// find their menu items by it).
inline int menuPosition(int item) {
    const auto& items = mainWindowDesc().menuItems;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].id == item) return int(i);
    return -1;
}

template <typename Driver>
class UiContract : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openMainWindow(subject)); }
    Driver driver;
    Ui& subject = driver.ui();
};

TYPED_TEST_SUITE_P(UiContract);

TYPED_TEST_P(UiContract, DropDownKeepsOrderAndSelectsOnlyWhenAsked) {
    Ui& ui = this->subject;
    ui.addItem(subtitleCombo, "track #4  UTF-8  fre");
    ui.addItem(subtitleCombo, "track #3  VobSub  eng");
    EXPECT_EQ(ui.selected(subtitleCombo), -1);  // adding never selects
    EXPECT_EQ(ui.itemText(subtitleCombo, 1), "track #3  VobSub  eng");  // no sorting

    ui.select(subtitleCombo, 1);
    ui.insertItem(subtitleCombo, 0, "sous-titres é.srt"_cp);
    EXPECT_EQ(ui.itemCount(subtitleCombo), 3);
    EXPECT_EQ(ui.itemText(subtitleCombo, 0), "sous-titres é.srt"_cp);
    EXPECT_EQ(ui.selected(subtitleCombo), 2);  // the chosen item stays chosen
    EXPECT_EQ(ui.text(subtitleCombo), "track #3  VobSub  eng");

    ui.insertItem(subtitleCombo, 0, "");  // a cancelled choice: an empty first item
    ui.select(subtitleCombo, 0);
    EXPECT_EQ(ui.selected(subtitleCombo), 0);
    EXPECT_EQ(ui.itemText(subtitleCombo, 0), "");

    ui.select(subtitleCombo, 9);  // out of range: no change
    ui.insertItem(subtitleCombo, 9, "x");
    EXPECT_EQ(ui.selected(subtitleCombo), 0);
    EXPECT_EQ(ui.itemCount(subtitleCombo), 4);
    EXPECT_EQ(ui.itemText(subtitleCombo, 7), "");

    ui.select(subtitleCombo, -1);
    EXPECT_EQ(ui.selected(subtitleCombo), -1);
    ui.clearItems(subtitleCombo);
    EXPECT_EQ(ui.itemCount(subtitleCombo), 0);
    EXPECT_EQ(ui.selected(subtitleCombo), -1);
}

TYPED_TEST_P(UiContract, ListWithColumnsCountsRowsAndKeepsColumnsWhenCleared) {
    Ui& ui = this->subject;
    EXPECT_EQ(ui.columnCount(queueList), 1);  // its caption is the first column
    ui.addColumn(queueList, "Statut", 120);
    EXPECT_EQ(ui.columnCount(queueList), 2);

    ui.addRow(queueList, {"job1 film.mkv", "en attente"});
    ui.addRow(queueList, {std::string("job2 série.mkv"_cp), "en attente"});
    ui.addRow(queueList, {"job3 autre.mkv"});
    std::string longName(700, 'x');
    ui.addRow(queueList, {longName});
    EXPECT_EQ(ui.itemCount(queueList), 4);
    EXPECT_EQ(ui.cellText(queueList, 1, 0), "job2 série.mkv"_cp);
    EXPECT_EQ(ui.cellText(queueList, 0, 1), "en attente");
    EXPECT_EQ(ui.cellText(queueList, 2, 1), "");
    EXPECT_EQ(ui.cellText(queueList, 3, 0), longName);
    EXPECT_EQ(ui.cellText(queueList, 5, 0), "");
    EXPECT_EQ(ui.cellText(queueList, 0, -1), "");
    EXPECT_EQ(ui.itemText(queueList, 0), "");  // rows are no items

    ui.setRowColour(queueList, 1, RowColour::red);
    ui.removeRow(queueList, 0);
    ui.removeRow(queueList, 7);
    EXPECT_EQ(ui.itemCount(queueList), 3);
    EXPECT_EQ(ui.cellText(queueList, 0, 0), "job2 série.mkv"_cp);
    ui.clearItems(queueList);
    EXPECT_EQ(ui.itemCount(queueList), 0);
    EXPECT_EQ(ui.columnCount(queueList), 2);  // clearing keeps the columns
}

TYPED_TEST_P(UiContract, TextsAndCheckBoxes) {
    Ui& ui = this->subject;
    ui.setText(frameRateField, "23.976");
    EXPECT_EQ(ui.text(frameRateField), "23.976");
    ui.setText(fileNameField, "film été & co.mkv"_cp);
    EXPECT_EQ(ui.text(fileNameField), "film été & co.mkv"_cp);
    ui.setText(startButton, "Lancer & voir");  // an ampersand is no mnemonic
    EXPECT_EQ(ui.text(startButton), "Lancer & voir");

    EXPECT_FALSE(ui.checked(noSrtCheck));
    ui.setChecked(noSrtCheck, true);
    EXPECT_TRUE(ui.checked(noSrtCheck));
    ui.setChecked(noSrtCheck, false);
    EXPECT_FALSE(ui.checked(noSrtCheck));
}

TYPED_TEST_P(UiContract, ControlsThatDoNotExistOrAreOfAnotherKindReadAsEmpty) {
    Ui& ui = this->subject;
    constexpr int none = 999;
    ui.setText(none, "x");
    ui.addItem(none, "x");
    ui.addRow(none, {"x"});
    ui.setProgress(none, 5);
    ui.showBalloonTip(none, "x", "", 0);
    ui.setFocus(none);
    ui.closeWindow(optionsWindow);  // not open
    ui.addMenuTitle(aboutWindow, "x");
    EXPECT_EQ(ui.text(none), "");
    EXPECT_EQ(ui.itemCount(none), 0);
    EXPECT_EQ(ui.itemText(none, 0), "");
    EXPECT_EQ(ui.selected(none), -1);
    EXPECT_EQ(ui.columnCount(none), 0);
    EXPECT_EQ(ui.cellText(none, 0, 0), "");
    EXPECT_FALSE(ui.checked(none));

    ui.addItem(queueList, "x");
    EXPECT_EQ(ui.itemCount(queueList), 0);
    ui.addColumn(audioCombo, "x", 10);
    ui.addRow(audioCombo, {"x"});
    EXPECT_EQ(ui.columnCount(audioCombo), 0);
    EXPECT_EQ(ui.itemCount(audioCombo), 0);
    ui.setChecked(startButton, true);
    EXPECT_FALSE(ui.checked(startButton));
    ui.select(noSrtCheck, 0);
    EXPECT_EQ(ui.selected(noSrtCheck), -1);
}

TYPED_TEST_P(UiContract, ClosingAWindowTakesItsControlsAndReopeningMakesThemAnew) {
    Ui& ui = this->subject;
    ASSERT_TRUE(openOptionsWindow(ui));
    ui.setChecked(deleteTempCheck, true);
    EXPECT_TRUE(ui.checked(deleteTempCheck));
    ui.closeWindow(optionsWindow);
    EXPECT_FALSE(ui.checked(deleteTempCheck));
    ui.setChecked(deleteTempCheck, true);  // nothing to set
    ASSERT_TRUE(openOptionsWindow(ui));
    EXPECT_FALSE(ui.checked(deleteTempCheck));
    ui.setText(frameRateField, "25");  // the main window's controls stay
    EXPECT_EQ(ui.text(frameRateField), "25");
}

TYPED_TEST_P(UiContract, ClicksMenusAndCloseBoxesArriveAsNumbersWithTheirWindow) {
    Ui& ui = this->subject;
    this->driver.click(startButton);
    Event e = ui.waitEvent();
    EXPECT_EQ(e.kind, Event::control);
    EXPECT_EQ(e.id, startButton);
    EXPECT_EQ(e.window, mainWindow);

    this->driver.chooseMenu(menuAbout);
    e = ui.waitEvent();
    EXPECT_EQ(e.kind, Event::menu);
    EXPECT_EQ(e.id, menuAbout);
    EXPECT_EQ(e.window, mainWindow);

    // A close box asks the program, which decides: the window stays.
    this->driver.closeBox(mainWindow);
    e = ui.waitEvent();
    EXPECT_EQ(e.kind, Event::close);
    EXPECT_EQ(e.window, mainWindow);
    ui.setText(frameRateField, "25");
    EXPECT_EQ(ui.text(frameRateField), "25");
}

TYPED_TEST_P(UiContract, AWorkerSeesItsChangesAtOnceWhileTheLoopWaits) {
    Ui& ui = this->subject;
    std::string seenByWorker, rowSeen;
    int selectedByWorker = -2;
    std::thread worker([&] {
        ui.addItem(audioCombo, "track #2  DTS  fre");
        ui.addItem(audioCombo, "track #3  AC3  eng");
        ui.select(audioCombo, 1);
        ui.setText(fileNameField, "film été.mkv"_cp);
        ui.addColumn(queueList, "Statut", 100);
        ui.addRow(queueList, {"job1", "OK"});
        ui.setRowColour(queueList, 0, RowColour::green);
        // The next step sees the new state at once.
        seenByWorker = ui.text(fileNameField);
        selectedByWorker = ui.selected(audioCombo);
        rowSeen = ui.cellText(queueList, 0, 1);
        this->driver.click(startButton);
    });
    Event e = ui.waitEvent();  // serves the worker's calls until the click
    worker.join();
    EXPECT_EQ(e.id, startButton);
    EXPECT_EQ(seenByWorker, "film été.mkv"_cp);
    EXPECT_EQ(selectedByWorker, 1);
    EXPECT_EQ(rowSeen, "OK");
    EXPECT_EQ(ui.text(audioCombo), "track #3  AC3  eng");
}

TYPED_TEST_P(UiContract, ManyWorkersAtOnce) {
    Ui& ui = this->subject;
    std::atomic<int> done{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([&, w] {
            for (int k = 0; k < 50; ++k) {
                ui.addItem(videoCombo, "w" + std::to_string(w));
                ui.setProgress(progressBar, k);
                ui.setStatus("travail " + std::to_string(k));
            }
            if (++done == 4) this->driver.click(cancelButton);
        });
    Event e = ui.waitEvent();
    for (std::thread& t : workers) t.join();
    EXPECT_EQ(e.id, cancelButton);
    EXPECT_EQ(ui.itemCount(videoCombo), 200);
}

// A question waits for the user and gives the answer; the answer may be
// told before the question comes.
TYPED_TEST_P(UiContract, AQuestionGivesTheUsersAnswer) {
    Ui& ui = this->subject;
    for (bool yes : {true, false}) {
        this->driver.answer(yes);
        this->driver.click(startButton);
        ASSERT_EQ(ui.waitEvent().id, startButton);
        EXPECT_EQ(ui.askYesNo(informationTitle, stopRunAndQuitQuestion), yes);
    }
}

// The program wakes its own loop: an event posted by another thread ends the wait.
TYPED_TEST_P(UiContract, APostedEventWakesTheLoop) {
    Ui& ui = this->subject;
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the loop waits by then
        ui.post({Event::close, 0, mainWindow});
        this->driver.posted();
    });
    Event e = ui.waitEvent();
    other.join();
    EXPECT_EQ(e.kind, Event::close);
    EXPECT_EQ(e.window, mainWindow);
}

REGISTER_TYPED_TEST_SUITE_P(UiContract, DropDownKeepsOrderAndSelectsOnlyWhenAsked,
                            ListWithColumnsCountsRowsAndKeepsColumnsWhenCleared, TextsAndCheckBoxes,
                            ControlsThatDoNotExistOrAreOfAnotherKindReadAsEmpty,
                            ClosingAWindowTakesItsControlsAndReopeningMakesThemAnew,
                            ClicksMenusAndCloseBoxesArriveAsNumbersWithTheirWindow,
                            AWorkerSeesItsChangesAtOnceWhileTheLoopWaits, ManyWorkersAtOnce,
                            AQuestionGivesTheUsersAnswer, APostedEventWakesTheLoop);

}  // namespace kx::test
