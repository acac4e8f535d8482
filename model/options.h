// The settings: options.txt read into a fixed table of 21 slots, looked up by
// key (the name with its " = "), changed in place and written back whole.
#pragma once

#include <array>
#include <mutex>
#include <string>
#include <string_view>

namespace kx {

struct optionSlot {
    std::string key;    // up to and including the first "=" and one more character
    std::string value;  // the line with every occurrence of the key removed
    std::string line;   // a line without "=", kept to be written back unchanged
};

inline constexpr std::size_t optionSlotCount = 21;
using OptionTable = std::array<optionSlot, optionSlotCount>;

// Pure table operations. Lines after the 21st are ignored; every line, an
// empty one included, takes a slot.
OptionTable parseOptions(std::string_view fileText);
// Slots with a key, in order, each as key + value + CR LF.
std::string formatOptions(const OptionTable& table);
std::string getOption(const OptionTable& table, std::string_view key);
void setOption(OptionTable& table, std::string_view key, std::string_view value);

// The program's settings, shared by the event loop and the workers: every
// access holds the lock, so a worker never sees a half-written value.
class Settings {
public:
    explicit Settings(std::string path) : path_(std::move(path)) {}
    // Reads the file; a missing or unreadable one leaves every slot empty.
    void loadOptions();
    std::string getOption(std::string_view key) const;
    void setOption(std::string_view key, std::string_view value);
    // Rewrites the file; a failure is not reported.
    void saveOptions() const;
    // "1" / "0" tests as the program makes them (an absent key is neither).
    bool isOn(std::string_view key) const { return getOption(key) == "1"; }
    bool isOff(std::string_view key) const { return getOption(key) == "0"; }

private:
    std::string path_;
    mutable std::mutex mutex_;
    OptionTable table_;
};

}  // namespace kx
