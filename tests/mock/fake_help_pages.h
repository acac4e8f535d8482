// Help pages for the front ends' tests: the pages a test puts in, nothing for
// any other address, the addresses asked for, and answers held back until
// the test lets them go.
#pragma once

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/help_pages.h"

namespace kx::test {

class FakeHelpPages : public HelpPages {
public:
    void add(std::string url, std::string body) {
        std::lock_guard lock(mutex_);
        pages_[std::move(url)] = std::move(body);
    }
    // While held, fetch() waits; release() lets every waiting one answer.
    void hold() {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    void release() {
        {
            std::lock_guard lock(mutex_);
            held_ = false;
        }
        changed_.notify_all();
    }
    std::vector<std::string> asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }

    std::optional<std::string> fetch(std::string_view url) override {
        std::unique_lock lock(mutex_);
        asked_.emplace_back(url);
        changed_.wait(lock, [this] { return !held_; });
        auto it = pages_.find(std::string(url));
        if (it == pages_.end()) return std::nullopt;
        return it->second;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::string> pages_;
    std::vector<std::string> asked_;
    bool held_ = false;
};

}  // namespace kx::test
