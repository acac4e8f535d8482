// The four windows as Qt builds them, checked against their shared
// descriptions: frames, sizes, placement, every control's kind, geometry,
// caption, page and focus, the Tab order and the balloon tool-tips.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeWidget>

#include "support.h"

namespace kx {
namespace {

using test::controlWidget;

const WindowDesc& descOf(int window) {
    switch (window) {
        case mainWindow: return mainWindowDesc();
        case optionsWindow: return optionsWindowDesc();
        case aboutWindow: return aboutWindowDesc();
        default: return helpWindowDesc();
    }
}

// What a widget is, read from the widget alone.
std::optional<ControlKind> kindOf(QWidget* w) {
    if (dynamic_cast<QTextBrowser*>(w)) return ControlKind::webPage;
    if (dynamic_cast<QTabWidget*>(w)) return ControlKind::tabPanel;
    if (dynamic_cast<QTreeWidget*>(w)) return ControlKind::columnList;
    if (auto* combo = dynamic_cast<QComboBox*>(w)) {
        if (combo->isEditable()) return std::nullopt;
        return ControlKind::dropDown;
    }
    if (dynamic_cast<QCheckBox*>(w)) return ControlKind::checkBox;
    if (dynamic_cast<QPushButton*>(w)) return ControlKind::button;
    if (dynamic_cast<QProgressBar*>(w)) return ControlKind::progress;
    if (auto* label = dynamic_cast<QLabel*>(w)) {
        if (label->cursor().shape() == Qt::PointingHandCursor) return ControlKind::hyperlink;
        if (!label->pixmap().isNull()) return ControlKind::image;
        return ControlKind::label;
    }
    if (dynamic_cast<QGroupBox*>(w) || dynamic_cast<QFrame*>(w)) return ControlKind::frame;
    return std::nullopt;
}

// The controls met walking the focus chain once round from `first` (at
// most one more than `most`).
std::vector<int> focusChain(QWidget* first, std::size_t most) {
    std::vector<int> seen;
    QWidget* w = first;
    do {
        QVariant id = w->property("kxControl");
        if (id.isValid() && (w->focusPolicy() & Qt::TabFocus)) seen.push_back(id.toInt());
        w = w->nextInFocusChain();
    } while (w && w != first && seen.size() <= most);
    return seen;
}

class WindowTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::openByNumber(ui, GetParam()));
        top = ui.windowWidget(GetParam());
        ASSERT_NE(top, nullptr);
    }
    QtUi ui;
    QWidget* top = nullptr;
};

TEST_P(WindowTest, FrameSizeAndPlacement) {
    const WindowDesc& desc = descOf(GetParam());
    EXPECT_EQ(top->windowTitle(), toQt(desc.title));
    EXPECT_TRUE(top->isVisible());
    QWidget* client = top->findChild<QWidget*>("client");
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->size(), QSize(desc.clientWidth, desc.clientHeight));

    Qt::WindowFlags flags = top->windowFlags();
    bool closeBox = desc.frame == WindowFrame::fixedWithMinimise || desc.frame == WindowFrame::closable;
    EXPECT_EQ(bool(flags & Qt::WindowCloseButtonHint), closeBox);
    EXPECT_EQ(bool(flags & Qt::WindowSystemMenuHint), closeBox);
    EXPECT_EQ(bool(flags & Qt::WindowMinimizeButtonHint), desc.frame == WindowFrame::fixedWithMinimise);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    bool fixed = top->minimumSize() == top->maximumSize();
    EXPECT_EQ(fixed, desc.frame != WindowFrame::resizableNoClose);

    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (desc.centred) {
        QPoint centred((screen.width() - top->width()) / 2, (screen.height() - top->height()) / 2);
        QPoint offset = top->pos() - screen.topLeft() - centred;
        EXPECT_LE(std::abs(offset.x()), 1);
        EXPECT_LE(std::abs(offset.y()), 1);
    } else {
        EXPECT_EQ(top->pos(), screen.topLeft());
    }
}

TEST_P(WindowTest, EveryControlAsDescribed) {
    const WindowDesc& desc = descOf(GetParam());
    QWidget* client = top->findChild<QWidget*>("client");
    auto* panel = top->findChild<QTabWidget*>();
    for (const ControlDesc& c : desc.controls) {
        SCOPED_TRACE(std::string(c.name));
        QWidget* w = controlWidget(ui, GetParam(), c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->property("kxControl").toInt(), c.id);
        EXPECT_EQ(kindOf(w), c.kind);
        EXPECT_EQ(w->geometry(), QRect(c.x, c.y, c.width, c.height));
        if (c.page >= 0) {
            ASSERT_NE(panel, nullptr);
            EXPECT_EQ(w->parentWidget(), panel->widget(c.page));
        } else {
            EXPECT_EQ(w->parentWidget(), client);
        }
        EXPECT_EQ(bool(w->focusPolicy() & Qt::TabFocus), takesFocus(c.kind));

        if (c.kind == ControlKind::label) {
            auto* label = static_cast<QLabel*>(w);
            EXPECT_EQ(label->text(), toQt(c.caption));
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
            EXPECT_EQ(bool(label->alignment() & Qt::AlignHCenter), c.centred);
            EXPECT_EQ(label->frameShadow() == QFrame::Sunken && label->frameWidth() > 0, c.sunken);
        } else if (c.kind == ControlKind::button) {
            EXPECT_EQ(static_cast<QPushButton*>(w)->text(), toQt(c.caption));
        } else if (c.kind == ControlKind::checkBox) {
            EXPECT_TRUE(static_cast<QCheckBox*>(w)->text().isEmpty());
            EXPECT_FALSE(static_cast<QCheckBox*>(w)->isChecked());
        } else if (c.kind == ControlKind::columnList) {
            auto* list = static_cast<QTreeWidget*>(w);
            EXPECT_EQ(list->columnCount(), 1);
            EXPECT_EQ(list->headerItem()->text(0), toQt(c.caption));
            EXPECT_EQ(list->columnWidth(0), 100);
            EXPECT_FALSE(list->isHeaderHidden());
            EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
            EXPECT_EQ(list->topLevelItemCount(), 0);
        } else if (c.kind == ControlKind::progress) {
            auto* bar = static_cast<QProgressBar*>(w);
            EXPECT_EQ(bar->minimum(), 0);
            EXPECT_EQ(bar->maximum(), 100);
            EXPECT_EQ(bar->value(), 0);
            EXPECT_FALSE(bar->isTextVisible());
        } else if (c.kind == ControlKind::image) {
            EXPECT_EQ(static_cast<QLabel*>(w)->pixmap().size(), QSize(64, 64));
        } else if (c.kind == ControlKind::dropDown) {
            EXPECT_EQ(static_cast<QComboBox*>(w)->count(), 0);
            EXPECT_EQ(static_cast<QComboBox*>(w)->currentIndex(), -1);
        } else if (c.kind == ControlKind::tabPanel) {
            auto* tabs = static_cast<QTabWidget*>(w);
            ASSERT_EQ(tabs->count(), int(desc.tabs.size()));
            for (int i = 0; i < tabs->count(); ++i) EXPECT_EQ(tabs->tabText(i), toQt(desc.tabs[std::size_t(i)]));
            EXPECT_EQ(tabs->currentIndex(), 0);
        } else if (c.kind == ControlKind::hyperlink) {
            auto* link = static_cast<QLabel*>(w);
            EXPECT_FALSE(link->font().underline());
            EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::black));
        }
    }
}

TEST_P(WindowTest, TabOrderIsCreationOrder) {
    const WindowDesc& desc = descOf(GetParam());
    std::vector<int> expected;
    for (const ControlDesc& c : desc.controls)
        if (takesFocus(c.kind)) expected.push_back(c.id);
    ASSERT_FALSE(expected.empty());

    QWidget* first = nullptr;
    for (const ControlDesc& c : desc.controls)
        if (takesFocus(c.kind)) {
            first = controlWidget(ui, GetParam(), c.name);
            break;
        }
    EXPECT_EQ(focusChain(first, expected.size()), expected);
}

TEST_P(WindowTest, BalloonTipsShowExactlyTheStoredTexts) {
    ASSERT_TRUE(test::activate(top));
    const WindowDesc& desc = descOf(GetParam());
    for (const ControlDesc& c : desc.controls) {
        SCOPED_TRACE(std::string(c.name));
        QWidget* w = controlWidget(ui, GetParam(), c.name);
        std::optional<QString> shown = test::hover(w);
        if (c.tip.empty()) {
            EXPECT_FALSE(shown);  // an empty text shows nothing, even with a title
        } else {
            ASSERT_TRUE(shown);
            EXPECT_EQ(*shown, toQt(c.tip));  // trailing blanks included
            // None of the program's tips has a title, so none shows an icon.
            EXPECT_FALSE(test::balloon()->findChild<QLabel*>("balloonIcon")->isVisible());
            EXPECT_LE(test::balloon()->findChild<QLabel*>("balloonText")->width(), BalloonTips::maxWidth);
        }
        test::unhover(w);
        EXPECT_FALSE(test::balloon() && test::balloon()->isVisible());
    }
}

INSTANTIATE_TEST_SUITE_P(AllWindows, WindowTest, ::testing::Values(mainWindow, optionsWindow, aboutWindow, helpWindow),
                         [](const auto& param) { return std::string(descOf(param.param).controls[0].name); });

TEST(MainWindow, MenuBarAndStatusBar) {
    QtUi ui;
    ASSERT_TRUE(openMainWindow(ui));
    auto* bar = ui.windowWidget(mainWindow)->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions()[0]->text(), "Menu");
    QMenu* menu = bar->actions()[0]->menu();
    ASSERT_NE(menu, nullptr);
    QStringList items;
    for (QAction* a : menu->actions()) items << a->text();
    EXPECT_EQ(items, QStringList({"Options", "Aide", "A propos"}));

    ui.addMenuTitle(mainWindow, "Une nouvelle version est en ligne !");
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[1]->text(), "Une nouvelle version est en ligne !");
    EXPECT_EQ(bar->actions()[1]->menu(), nullptr);  // a title without items

    QWidget* status = ui.windowWidget(mainWindow)->findChild<QWidget*>("statusBar");
    ASSERT_NE(status, nullptr);
    EXPECT_GE(status->height(), 18);
    EXPECT_EQ(status->width(), 650);
    EXPECT_EQ(status->geometry().bottom(), 383 - 1);
    ui.setStatus("Analyse terminée"_cp);
    EXPECT_EQ(status->findChild<QLabel*>()->text(), QString::fromUtf8("Analyse terminée"));
}

// The main window as it opens, its queue page not made yet (windowWidget
// would make it).
QWidget* mainWindowAsOpened() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("window0") && w->isVisible()) return w;
    return nullptr;
}

TEST(MainWindow, QueuePageIsMadeWhenFirstShownAsIfMadeWithTheWindow) {
    QtUi ui;
    ASSERT_TRUE(openMainWindow(ui));
    QWidget* top = mainWindowAsOpened();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->findChild<QWidget*>("queueList"), nullptr);  // start-up does not pay for it

    auto* panel = top->findChild<QTabWidget*>("mainPanel");
    ASSERT_NE(panel, nullptr);
    panel->setCurrentIndex(1);
    std::vector<int> expected;
    for (const ControlDesc& c : mainWindowDesc().controls) {
        if (takesFocus(c.kind)) expected.push_back(c.id);
        if (c.page != 1) continue;
        SCOPED_TRACE(std::string(c.name));
        QWidget* w = top->findChild<QWidget*>(toQt(c.name));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), panel->widget(1));
        EXPECT_EQ(w->geometry(), QRect(c.x, c.y, c.width, c.height));
        EXPECT_TRUE(w->isVisible());
    }
    EXPECT_EQ(focusChain(controlWidget(ui, mainWindow, "mainPanel"), expected.size()), expected);

    // Drawn as when the page is made with the window.
    QImage lazily = top->grab().toImage();
    {
        QtUi eager;
        ASSERT_TRUE(openMainWindow(eager));
        QWidget* whole = eager.windowWidget(mainWindow);
        whole->findChild<QTabWidget*>("mainPanel")->setCurrentIndex(1);
        EXPECT_TRUE(whole->grab().toImage() == lazily);
    }

    // The tip given as the window opened, before the button was made.
    ASSERT_TRUE(test::activate(top));
    EXPECT_EQ(test::hover(controlWidget(ui, mainWindow, "processQueueButton")),
              QString::fromUtf8("Lance la création du mkv "));
}

TEST(MainWindow, QueuePageTakesWhatIsSentBeforeItIsShown) {
    QtUi ui;
    ASSERT_TRUE(openMainWindow(ui));
    ui.addColumn(queueList, "chemin", 300);
    ui.addRow(queueList, {"film", "/films/film.mkv"});
    ui.setRowColour(queueList, 0, RowColour::green);
    EXPECT_EQ(ui.itemCount(queueList), 1);
    EXPECT_EQ(ui.cellText(queueList, 0, 1), "/films/film.mkv");

    QWidget* top = mainWindowAsOpened();
    ASSERT_NE(top, nullptr);
    top->findChild<QTabWidget*>("mainPanel")->setCurrentIndex(1);
    auto* list = top->findChild<QTreeWidget*>("queueList");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "film");
    EXPECT_EQ(list->columnWidth(1), 300);
    EXPECT_EQ(list->topLevelItem(0)->background(1).color(), QColor(0, 200, 0));
    EXPECT_TRUE(controlWidget(ui, mainWindow, "removeLastButton")->isVisible());

    // A window closed before its page was made leaves nothing behind.
    ui.closeWindow(mainWindow);
    ASSERT_TRUE(openMainWindow(ui));
    ui.closeWindow(mainWindow);
    EXPECT_EQ(ui.itemCount(queueList), 0);
    ui.showBalloonTip(processQueueButton, "rien", "", 0);
    EXPECT_EQ(ui.windowWidget(mainWindow), nullptr);
}

TEST(BalloonTip, WrapsLongTextsAtTheMaximumWidthAndShowsTitleAndIcon) {
    QtUi ui;
    ASSERT_TRUE(openMainWindow(ui));
    QWidget* top = ui.windowWidget(mainWindow);
    ASSERT_TRUE(test::activate(top));
    QWidget* button = controlWidget(ui, mainWindow, "cancelButton");

    ui.showBalloonTip(cancelButton, "Tom & Jerry", "", 2);
    EXPECT_EQ(test::hover(button), QString("Tom & Jerry"));  // no mnemonic, ampersand as typed
    QLabel* text = test::balloon()->findChild<QLabel*>("balloonText");
    int oneLine = text->height();
    EXPECT_FALSE(test::balloon()->findChild<QLabel*>("balloonIcon")->isVisible());
    EXPECT_FALSE(test::balloon()->findChild<QLabel*>("balloonTitle")->isVisible());

    std::string longText = "Une phrase bien plus longue que la largeur permise pour une bulle d'aide du programme";
    ui.showBalloonTip(cancelButton, longText, "Titre", 3);
    EXPECT_EQ(test::hover(button), QString::fromStdString(longText));
    EXPECT_EQ(text->width(), BalloonTips::maxWidth);
    EXPECT_GE(text->height(), 2 * oneLine);
    EXPECT_TRUE(test::balloon()->findChild<QLabel*>("balloonIcon")->isVisible());
    EXPECT_EQ(test::balloon()->findChild<QLabel*>("balloonTitle")->text(), "Titre");

    // Only the active window's controls show their tips.
    ASSERT_TRUE(openAboutWindow(ui, "http://klarbrix.example/"));
    ASSERT_TRUE(test::activate(ui.windowWidget(aboutWindow)));
    test::unhover(button);
    EXPECT_FALSE(test::hover(button));
}

}  // namespace
}  // namespace kx
