// The front-end contract on the Qt front end: the user's actions are played
// on the real widgets, on the windows' thread.
#include <QAbstractButton>
#include <QMenuBar>

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

private:
    QtUi ui_;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, UiContract, QtDriver);

}  // namespace kx::test
