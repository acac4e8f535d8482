// A desktop for in-process tests: records the targets it is asked to open
// and each time the end sound is played; nothing is shown or heard.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/desktop.h"

namespace kx::test {

class FakeDesktop : public Desktop {
public:
    bool open(std::string_view target) override {
        std::function<void(const std::string&)> echo;
        {
            std::lock_guard lock(mutex_);
            opened_.emplace_back(target);
            echo = echo_;
        }
        if (echo) echo("open: " + std::string(target));
        return true;
    }
    void loadSound(const std::string& path) override {
        std::lock_guard lock(mutex_);
        soundFile_ = path;
    }
    void playSound() override {
        std::function<void(const std::string&)> echo;
        {
            std::lock_guard lock(mutex_);
            ++sounds_;
            echo = echo_;
        }
        if (echo) echo("sound");
    }

    // Each event also goes to `echo` ("open: TARGET", "sound"), so that a
    // test can see it in order with what the windows showed.
    void setEcho(std::function<void(const std::string&)> echo) {
        std::lock_guard lock(mutex_);
        echo_ = std::move(echo);
    }
    std::vector<std::string> opened() const {
        std::lock_guard lock(mutex_);
        return opened_;
    }
    int sounds() const {
        std::lock_guard lock(mutex_);
        return sounds_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> opened_;
    std::string soundFile_;
    int sounds_ = 0;
    std::function<void(const std::string&)> echo_;
};

}  // namespace kx::test
