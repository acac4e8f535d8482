// The front-end contract on the Qt front end: the user's actions are played
// on the real widgets, on the windows' thread.
#include <QAbstractButton>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include "frontends/contract/ui_contract_test.h"
#include "support.h"

namespace kx::test {
namespace {

class QtDriver {
public:
    Ui& ui() { return ui_; }
    void click(int control) {
        // Queued from any thread; carried out by the windows' thread.
        QMetaObject::invokeMethod(qApp, [control] {
            for (QWidget* top : QApplication::topLevelWidgets())
                for (auto* button : top->findChildren<QAbstractButton*>())
                    if (button->property("kxControl").toInt() == control) return button->click();
        }, Qt::QueuedConnection);
    }
    void chooseMenu(int item) {
        auto* bar = ui_.windowWidget(mainWindow)->findChild<QMenuBar*>();
        bar->actions()[0]->menu()->actions()[menuPosition(item)]->trigger();
    }
    void closeBox(int window) { ui_.windowWidget(window)->close(); }
    void answer(bool yes) {
        yes_ = yes;
        answering_.start(10);
    }
    void posted() {}

private:
    QtUi ui_;
    bool yes_ = false;
    // Clicks the answer in the next question box once it shows.
    QTimer answering_;
    QMetaObject::Connection answers_ = QObject::connect(&answering_, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        answering_.stop();
        box->button(yes_ ? QMessageBox::Yes : QMessageBox::No)->click();
    });
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, UiContract, QtDriver);

}  // namespace kx::test
