// Reading the desktop programs' command line.
#include "shell/command_args.h"

#include <string_view>

#include "base/version.h"
#include "ui/texts.h"

namespace kx {

namespace {

// The window system's options that take a value (Qt's), then those without.
constexpr std::string_view withValue[] = {"-platform", "-platformpluginpath", "-platformtheme", "-plugin",
                                          "-display", "-geometry", "-qwindowgeometry", "-qwindowtitle",
                                          "-qwindowicon", "-style", "-stylesheet", "-session"};
constexpr std::string_view withoutValue[] = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

template <std::size_t N>
bool among(std::string_view arg, const std::string_view (&list)[N]) {
    for (std::string_view known : list)
        if (arg == known || (arg.size() > known.size() + 1 && arg.substr(0, known.size() + 1) == std::string(known) + "="))
            return true;
    return false;
}

CommandArgs withAction(CommandArgs::Action action) {
    CommandArgs args;
    args.action = action;
    return args;
}

CommandArgs refused(std::string message) {
    CommandArgs args = withAction(CommandArgs::Action::refuse);
    args.message = std::move(message);
    return args;
}

}  // namespace

CommandArgs parseCommandArgs(const std::vector<std::string>& args) {
    CommandArgs result;
    bool options = true;
    std::vector<std::size_t> files;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--help") {
            return withAction(CommandArgs::Action::help);
        } else if (options && arg == "--version") {
            return withAction(CommandArgs::Action::version);
        } else if (options && among(arg, withValue)) {
            if (arg.find('=') == std::string::npos) ++k;  // its value follows
        } else if (options && among(arg, withoutValue)) {
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return refused(std::string(unknownOptionText) + arg);
        } else {
            files.push_back(k);
        }
    }
    if (files.size() > 1)
        return refused(std::string(oneFileOnlyText) + std::to_string(files.size()));
    if (!files.empty()) {
        result.fileIndex = int(files.front());
        result.file = args[files.front()];
    }
    return result;
}

std::string commandHelp() { return std::string(commandHelpText); }

std::string commandVersion() { return std::string("Klarbrix ") + KLARBRIX_VERSION + "\n"; }

std::string usageHint() { return std::string(usageHintText); }

}  // namespace kx
