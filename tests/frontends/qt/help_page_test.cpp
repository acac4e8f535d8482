// The help page contract run on the Qt front end: its page is a text browser.
#include <gtest/gtest.h>

#include "frontends/help_page_contract.h"
#include "support.h"

namespace kx::test {

// Named outside an anonymous namespace: the test names carry it.
class QtFront {
public:
    explicit QtFront(std::shared_ptr<HelpPages> pages) : ui_(std::move(pages)) {}
    Ui& ui() { return ui_; }
    bool settle() {
        auto* page = this->page();
        return page && QTest::qWaitFor([&] { return page->settled(); }, 20000);
    }
    std::string shown() {
        auto* page = this->page();
        return page ? page->toPlainText().toStdString() : std::string();
    }
    void serveFor(int milliseconds) { QTest::qWait(milliseconds); }
    bool isOpen(int window) { return ui_.windowWidget(window) != nullptr; }

private:
    HelpPage* page() { return control<HelpPage>(ui_, helpWindow, "helpPage"); }
    QtUi ui_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, HelpPageContract, ::testing::Types<QtFront>);

}  // namespace kx::test
