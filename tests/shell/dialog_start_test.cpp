// Where the open and folder dialogs start: the folder of the last file
// opened (kept across starts), the source's folder for a subtitle, the
// current remux folder or the home folder for the folder chooser.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "frontends/memory/memory_ui.h"
#include "platform/files.h"
#include "platform/launcher.h"
#include "shell/shell.h"
#include "ui/window_desc.h"

namespace kx {
namespace {

// The in-memory front end, noting where each dialog was asked to start.
class StartsNoted : public MemoryUi {
public:
    using MemoryUi::MemoryUi;
    std::vector<std::string> starts;
    ChosenPath openFileDialog(std::string_view title, std::string_view initialFile, std::string_view filter,
                              int firstFilter) override {
        starts.emplace_back(initialFile);
        return MemoryUi::openFileDialog(title, initialFile, filter, firstFilter);
    }
    ChosenPath chooseFolder(std::string_view title, std::string_view initialFolder) override {
        starts.push_back("folder " + std::string(initialFolder));
        return MemoryUi::chooseFolder(title, initialFolder);
    }
};

class NothingStarts : public Launcher {
public:
    StartResult run(std::string_view, std::string_view, std::string_view, int, std::optional<StopSignal>) override {
        return {};
    }
};

std::vector<std::string> startsOf(const std::string& program, const std::string& commands) {
    std::istringstream in(commands);
    std::ostringstream transcript;
    StartsNoted ui(in, transcript);
    NothingStarts launcher;
    FileSystem files;
    Shell shell(ui, {launcher, ui, files}, {program, "http://klarbrix.test"});
    shell.run();
    return ui.starts;
}

}  // namespace

TEST(DialogStart, LastFolderSourceFolderAndRemuxFolder) {
    namespace stdfs = std::filesystem;
    const stdfs::path root = stdfs::temp_directory_path() / ("kx-dialogs-" + std::to_string(std::random_device()()));
    stdfs::create_directories(root / "program" / "Applications");
    stdfs::create_directories(root / "films");
    const std::string program = (root / "program").string() + fs::separator();
    const std::string films = (root / "films").string() + fs::separator();
    auto click = [](int control) { return "click " + std::to_string(control) + "\n"; };

    // First start: nothing remembered yet; the subtitle dialog starts beside
    // the source; the folder chooser in the home folder (no remux folder).
    auto first = startsOf(program, "file " + films + "a.mkv\n" + click(openButton) + "file\n" + click(chooseSrtButton) +
                                       "menu " + std::to_string(menuOptions) + "\nfolder " + films + "\n" +
                                       click(remuxPathButton) + "folder\n" + click(remuxPathButton));
    EXPECT_EQ(first, (std::vector<std::string>{"C:\\*.mkv", films + "*.srt", "folder ", "folder " + films}));

    // Next start: the open dialog starts where the last file was opened.
    auto next = startsOf(program, "file\n" + click(openButton));
    EXPECT_EQ(next, (std::vector<std::string>{films + "*.mkv"}));
    stdfs::remove_all(root);
}

}  // namespace kx
