// The control operations the program uses, read back from the widgets:
// drop-down lists, the list with columns and its colours, button texts,
// the logo and progress (the contract itself: tests/frontends/contract/).
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

TEST_F(Controls, DropDownIsAListOfChoicesNeverTypedInto) {
    auto* combo = control<QComboBox>(ui, mainWindow, "subtitleCombo");
    ui.addItem(subtitleCombo, "track #4  UTF-8  fre");
    ui.insertItem(subtitleCombo, 0, "sous-titres é.srt"_cp);
    EXPECT_EQ(combo->itemText(0), QString::fromUtf8("sous-titres é.srt"));
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_FALSE(combo->isEditable());
}

TEST_F(Controls, ListWithColumnsHeadersWidthsAndRowColours) {
    auto* list = control<QTreeWidget>(ui, mainWindow, "queueList");
    ui.addColumn(queueList, "Statut", 120);
    EXPECT_EQ(list->headerItem()->text(1), "Statut");
    EXPECT_EQ(list->columnWidth(1), 120);

    ui.addRow(queueList, {"job1 film.mkv", "en attente"});
    ui.addRow(queueList, {std::string("job2 série.mkv"_cp), "en attente"});
    ui.addRow(queueList, {"job3 autre.mkv"});
    ui.setRowColour(queueList, 0, RowColour::green);
    ui.setRowColour(queueList, 1, RowColour::red);
    for (int column = 0; column < 2; ++column) {
        EXPECT_EQ(list->topLevelItem(0)->background(column).color(), QColor(0, 200, 0));
        EXPECT_EQ(list->topLevelItem(1)->background(column).color(), QColor(200, 0, 0));
        EXPECT_EQ(list->topLevelItem(2)->background(column).style(), Qt::NoBrush);
        // The text in the colour that reads best on the row.
        EXPECT_EQ(list->topLevelItem(0)->foreground(column).color(), QColor(Qt::black));
        EXPECT_EQ(list->topLevelItem(1)->foreground(column).color(), QColor(Qt::white));
        EXPECT_EQ(list->topLevelItem(2)->foreground(column).style(), Qt::NoBrush);
    }
    ui.setRowColour(queueList, 0, RowColour::none);
    EXPECT_EQ(list->topLevelItem(0)->background(0).style(), Qt::NoBrush);
    EXPECT_EQ(list->topLevelItem(0)->foreground(0).style(), Qt::NoBrush);
    // The colour stays with its row when a row above it goes.
    ui.removeRow(queueList, 0);
    EXPECT_EQ(list->topLevelItem(0)->background(0).color(), QColor(200, 0, 0));
}

TEST_F(Controls, ButtonTextsImageAndProgress) {
    ui.setText(startButton, "Lancer & voir");
    EXPECT_EQ(control<QPushButton>(ui, mainWindow, "startButton")->text(), "Lancer && voir");  // shown as typed
    ui.setText(logoImage, "not an image text");
    EXPECT_FALSE(control<QLabel>(ui, mainWindow, "logoImage")->pixmap().isNull());

    auto* bar = control<QProgressBar>(ui, mainWindow, "progressBar");
    ui.setProgress(progressBar, 40);
    EXPECT_EQ(bar->value(), 40);
    ui.setProgress(progressBar, 250);
    EXPECT_EQ(bar->value(), 100);
    ui.setProgress(progressBar, -3);
    EXPECT_EQ(bar->value(), 0);
}

}  // namespace
}  // namespace kx
