// The desktop around the program, given at start-up and passed down to the
// workers: a URL, document or folder opened with its default program, and the
// end sound. Tests and each front end may give their own in place of the system's.
#pragma once

#include <string>
#include <string_view>

#include "platform/sound.h"

namespace kx {

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual bool open(std::string_view target) = 0;
    // Loaded once; a missing file or player is silent.
    virtual void loadSound(const std::string& path) = 0;
    virtual void playSound() = 0;
};

class SystemDesktop : public Desktop {
public:
    bool open(std::string_view target) override;
    void loadSound(const std::string& path) override;
    void playSound() override;

private:
    Sound sound_;
};

}  // namespace kx
