// The settings: options.txt read line by line into a table, looked up by key
// (the name with its " = "), changed in place and written back whole.
#pragma once

#include <array>
#include <cstdint>
#include <vector>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "ui/window_desc.h"

namespace kx {

struct optionSlot {
    std::string key;    // up to and including the first "=" and one more character
    std::string value;  // the rest of the line after the key
    std::string line;   // a line without "=", kept to be written back unchanged
};

// A settings file larger than this is not read (a few hundred bytes are normal).
inline constexpr std::int64_t largestOptionsFile = 64 * 1024;

// The settings the program reads and writes, one name each, so that a
// misspelt key is a compile error rather than a value that reads as absent;
// in the order of optionTable.
enum class Option {
    deletetemp, deletebat, createlog, openlog, keepdts, notranscode, remuxdest,
    cheminremux, muxsrt, usesonic, dtsfix, soundenable, checkupdate, ac3448, keepeac3,
};

inline constexpr int noCheckBox = -1;

struct OptionDesc {
    Option option;
    std::string_view key;        // as stored in options.txt, with its " = "
    std::string_view delivered;  // the value the program is delivered with
    int checkBox;                // its check box in the options window ("1" / "0"), or noCheckBox
};

// Every setting, in the order of the delivered options.txt (which a test
// compares with deliveredOptionsText()); the options window sets and stores
// its check boxes in this order too. A new setting is a name in Option, a
// line here, a line in resources/options.txt and, with a check box, that
// control (and its label) in the options window's description,
// ui/window_desc.h and ui/window_desc.cpp.
inline constexpr OptionDesc optionTable[] = {
    {Option::deletetemp, "deletetemp = ", "1", deleteTempCheck},
    {Option::deletebat, "deletebat = ", "1", deleteBatCheck},
    {Option::createlog, "createlog = ", "1", createLogCheck},
    {Option::openlog, "openlog = ", "0", openLogCheck},
    {Option::keepdts, "keepdts = ", "0", keepDtsCheck},
    {Option::notranscode, "notranscode = ", "0", noTranscodeCheck},
    {Option::remuxdest, "remuxdest = ", "0", remuxDestCheck},
    {Option::cheminremux, "cheminremux = ", "", noCheckBox},  // the options window's remux folder field
    {Option::muxsrt, "muxsrt = ", "1", muxSrtCheck},
    {Option::usesonic, "usesonic = ", "0", useSonicCheck},
    {Option::dtsfix, "dtsfix = ", "0", dtsFixCheck},
    {Option::soundenable, "soundenable = ", "1", soundEnableCheck},
    {Option::checkupdate, "checkupdate = ", "0", checkUpdateCheck},
    {Option::ac3448, "ac3448 = ", "0", ac3448Check},      // AC3 at 448 kb/s rather than 640
    {Option::keepeac3, "keepeac3 = ", "0", keepEac3Check},  // E-AC3 kept rather than converted
};

constexpr bool optionTableInEnumOrder() {
    for (std::size_t k = 0; k < std::size(optionTable); ++k)
        if (static_cast<std::size_t>(optionTable[k].option) != k) return false;
    return true;
}
static_assert(optionTableInEnumOrder(), "optionTable lists the settings in the order of Option");

// The key as stored in options.txt, with its " = " ("dtsfix = ").
constexpr std::string_view keyOf(Option option) { return optionTable[static_cast<std::size_t>(option)].key; }
// The value the program is delivered with, taken when the file lacks the key.
constexpr std::string_view deliveredValue(Option option) {
    return optionTable[static_cast<std::size_t>(option)].delivered;
}
// The settings file as delivered: each setting with its delivered value, CR LF.
std::string deliveredOptionsText();
// The remux folder as runs may use it: an absolute folder ending in its
// separator (one is added when missing); empty when the stored text is
// empty, relative, or holds a quote or a control character that a script
// line could not carry.
std::string usableRemuxFolder(std::string_view stored);
using OptionTable = std::vector<optionSlot>;

// Pure table operations. Every line, an empty one included, takes a slot.
OptionTable parseOptions(std::string_view fileText);
// Slots with a key, in order, each as key + value + CR LF.
std::string formatOptions(const OptionTable& table);
std::string getOption(const OptionTable& table, std::string_view key);
void setOption(OptionTable& table, std::string_view key, std::string_view value);

// What the user is told when the settings file cannot be written.
std::string settingsNotSaved(const std::string& path);
// What the user is told when the settings file is too large to be read.
std::string settingsTooLarge(const std::string& path);

// The program's settings, shared by the event loop and the workers: every
// access holds the lock, so a worker never sees a half-written value.
class Settings {
public:
    Settings(std::string path, FileSystem& files) : path_(std::move(path)), files_(files) {}
    // Reads the file. Every setting the file lacks (all of them when it is
    // missing or empty) takes its delivered value and is written with the
    // others at the next save. A file over largestOptionsFile is not read:
    // the delivered values are used, the file is never written over, and
    // false is returned (the caller tells the user, settingsTooLarge).
    bool loadOptions();
    // The stored value; Option::cheminremux as usableRemuxFolder gives it.
    std::string getOption(Option option) const;
    void setOption(Option option, std::string_view value);
    // Rewrites the file (a temporary renamed over it); false when it cannot.
    [[nodiscard]] bool saveOptions() const;
    // "1" / "0" tests as the program makes them (an absent key is neither).
    bool isOn(Option option) const { return getOption(option) == "1"; }
    bool isOff(Option option) const { return getOption(option) == "0"; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    FileSystem& files_;
    mutable std::mutex mutex_;
    OptionTable table_;
    bool refused_ = false;  // the file was too large to read: it stays as it is
};

}  // namespace kx
