// Fontconfig reads its configuration (dozens of XML files) the first time a
// font is looked up. The program starts that reading on a thread of its own
// as it starts, while Qt connects to the display, instead of after.
#pragma once

#include <thread>

namespace kx {

class FontWarmUp {
public:
    FontWarmUp();  // starts the reading, when the toolkit uses fontconfig
    ~FontWarmUp() { wait(); }
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    // Returns once the reading is over; to be called before the first
    // window is built, so the toolkit never reads it a second time.
    void wait();

private:
    std::thread thread_;
};

}  // namespace kx
