// The control operations the program uses, through QtUi and read back from
// the widgets: drop-down lists, the list with columns, progress, texts,
// and calls on controls that do not exist.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "support.h"

namespace kx {
namespace {

using test::control;

class Controls : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openMainWindow(ui)); }
    QtUi ui;
};

TEST_F(Controls, DropDownKeepsOrderAndSelectsOnlyWhenAsked) {
    auto* combo = control<QComboBox>(ui, mainWindow, "subtitleCombo");
    ui.addItem(subtitleCombo, "track #4  UTF-8  fre");
    ui.addItem(subtitleCombo, "track #3  VobSub  eng");
    EXPECT_EQ(ui.selected(subtitleCombo), -1);  // adding never selects
    EXPECT_EQ(combo->itemText(1), "track #3  VobSub  eng");  // no sorting

    ui.select(subtitleCombo, 1);
    ui.insertItem(subtitleCombo, 0, "sous-titres.srt");
    EXPECT_EQ(ui.itemCount(subtitleCombo), 3);
    EXPECT_EQ(ui.itemText(subtitleCombo, 0), "sous-titres.srt");
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
    EXPECT_FALSE(combo->isEditable());
}

TEST_F(Controls, ListWithColumnsRowsAndColours) {
    auto* list = control<QTreeWidget>(ui, mainWindow, "queueList");
    ui.addColumn(queueList, "Statut", 120);
    EXPECT_EQ(ui.columnCount(queueList), 2);
    EXPECT_EQ(list->headerItem()->text(1), "Statut");
    EXPECT_EQ(list->columnWidth(1), 120);

    ui.addRow(queueList, {"job1 film.mkv", "en attente"});
    ui.addRow(queueList, {std::string("job2 série.mkv"_cp), "en attente"});
    ui.addRow(queueList, {"job3 autre.mkv"});
    EXPECT_EQ(ui.itemCount(queueList), 3);
    EXPECT_EQ(ui.cellText(queueList, 1, 0), "job2 série.mkv"_cp);
    EXPECT_EQ(ui.cellText(queueList, 2, 1), "");
    EXPECT_EQ(ui.cellText(queueList, 5, 0), "");

    ui.setRowColour(queueList, 0, RowColour::green);
    ui.setRowColour(queueList, 1, RowColour::red);
    for (int column = 0; column < 2; ++column) {
        EXPECT_EQ(list->topLevelItem(0)->background(column).color(), QColor(0, 200, 0));
        EXPECT_EQ(list->topLevelItem(1)->background(column).color(), QColor(200, 0, 0));
        EXPECT_EQ(list->topLevelItem(2)->background(column).style(), Qt::NoBrush);
    }
    ui.setRowColour(queueList, 0, RowColour::none);
    EXPECT_EQ(list->topLevelItem(0)->background(0).style(), Qt::NoBrush);

    ui.removeRow(queueList, 2);
    ui.removeRow(queueList, 7);
    EXPECT_EQ(ui.itemCount(queueList), 2);
    EXPECT_EQ(ui.cellText(queueList, 1, 0), "job2 série.mkv"_cp);
    ui.clearItems(queueList);
    EXPECT_EQ(ui.itemCount(queueList), 0);
    EXPECT_EQ(ui.columnCount(queueList), 2);  // clearing keeps the columns
}

TEST_F(Controls, TextsAndProgress) {
    ui.setText(frameRateField, "23.976");
    EXPECT_EQ(ui.text(frameRateField), "23.976");
    ui.setText(startButton, "Lancer & voir");
    EXPECT_EQ(control<QPushButton>(ui, mainWindow, "startButton")->text(), "Lancer && voir");  // shown as typed
    EXPECT_EQ(ui.text(startButton), "Lancer & voir");
    ui.setText(logoImage, "not an image text");
    EXPECT_FALSE(control<QLabel>(ui, mainWindow, "logoImage")->pixmap().isNull());

    auto* bar = control<QProgressBar>(ui, mainWindow, "progressBar");
    ui.setProgress(progressBar, 40);
    EXPECT_EQ(bar->value(), 40);
    ui.setProgress(progressBar, 250);
    EXPECT_EQ(bar->value(), 100);
    ui.setProgress(progressBar, -3);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(ui.checked(startButton));
}

TEST_F(Controls, ControlsThatDoNotExistReadAsEmpty) {
    constexpr int none = 999;
    ui.setText(none, "x");
    ui.addItem(none, "x");
    ui.addRow(none, {"x"});
    ui.setProgress(none, 5);
    ui.showBalloonTip(none, "x", "", 0);
    ui.setFocus(none);
    EXPECT_EQ(ui.text(none), "");
    EXPECT_EQ(ui.itemCount(none), 0);
    EXPECT_EQ(ui.selected(none), -1);
    EXPECT_EQ(ui.columnCount(none), 0);
    EXPECT_EQ(ui.cellText(none, 0, 0), "");
    EXPECT_FALSE(ui.checked(none));
    // Operations of another kind do nothing either.
    ui.addItem(queueList, "x");
    EXPECT_EQ(ui.itemCount(queueList), 0);
    EXPECT_EQ(ui.columnCount(audioCombo), 0);
}

}  // namespace
}  // namespace kx
