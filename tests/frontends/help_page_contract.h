// The help page as every windowed front end must show it, written once and
// run by each front end's tests over its own small `Front`: made with the
// help pages service, it gives the Ui, waits for the page to settle, reads
// the page's text (UTF-8), serves the windows a while and tells whether a
// window is open.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "mock/fake_help_pages.h"
#include "ui/window_desc.h"

namespace kx::test {

template <typename Front>
class HelpPageContract : public ::testing::Test {
protected:
    std::shared_ptr<FakeHelpPages> pages = std::make_shared<FakeHelpPages>();
    std::optional<Front> front{std::in_place, pages};
};

TYPED_TEST_SUITE_P(HelpPageContract);

// What the page says when it cannot be had, as the user reads it.
inline std::string unavailable(const std::string& url) {
    return "La page d'aide n'a pas pu \xC3\xAAtre charg\xC3\xA9" "e. Vous pourrez l'ouvrir plus tard \xC3\xA0 "
           "l'adresse : " + url;
}

TYPED_TEST_P(HelpPageContract, ShowsThePageFetchedOrSaysWhereToFindIt) {
    auto& f = *this->front;
    const std::string page = "http://klarbrix.example/aide/", missing = "http://klarbrix.example/absente/";
    this->pages->add(page, "<html><body><h1>Aide</h1><p>Les options expliqu\xC3\xA9" "es</p></body></html>");
    ASSERT_TRUE(openHelpWindow(f.ui(), page));
    EXPECT_EQ(f.ui().text(helpPage), page);
    ASSERT_TRUE(f.settle());
    EXPECT_NE(f.shown().find("Les options expliqu\xC3\xA9" "es"), std::string::npos) << f.shown();

    ASSERT_TRUE(openHelpWindow(f.ui(), missing));
    ASSERT_TRUE(f.settle());
    EXPECT_EQ(f.shown(), unavailable(missing));
    EXPECT_EQ(this->pages->asked(), (std::vector<std::string>{page, missing}));
}

TYPED_TEST_P(HelpPageContract, AnAnswerForAClosedWindowIsDropped) {
    const std::string late = "http://klarbrix.example/les-options", again = "http://klarbrix.example/aide/";
    this->pages->add(late, "<p>trop tard</p>");
    this->pages->hold();
    {
        auto& f = *this->front;
        ASSERT_TRUE(openHelpWindow(f.ui(), late));
        f.ui().closeWindow(helpWindow);
        EXPECT_FALSE(f.isOpen(helpWindow));
        // A window opened again gets its own page, never the old answer.
        ASSERT_TRUE(openHelpWindow(f.ui(), again));
        this->pages->release();
        ASSERT_TRUE(f.settle());
        f.serveFor(300);
        EXPECT_EQ(f.shown(), unavailable(again));
    }
    // A late answer once the front end has gone finds nothing to touch.
    this->pages->hold();
    ASSERT_TRUE(openHelpWindow(this->front->ui(), late));
    this->front.reset();
    this->pages->release();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // Each window asked once; the downloads run side by side, in no set order.
    std::vector<std::string> asked = this->pages->asked();
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::string>{again, late, late}));
}

REGISTER_TYPED_TEST_SUITE_P(HelpPageContract, ShowsThePageFetchedOrSaysWhereToFindIt, AnAnswerForAClosedWindowIsDropped);

}  // namespace kx::test
