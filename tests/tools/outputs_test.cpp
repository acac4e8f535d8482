// The stand-ins' staged outputs: the tool makes its file in a staging folder
// of ours beside the target, the file is moved into place only on success,
// and nothing of the staging is left either way; a file of the user's under
// the target's name, or an input, is never written over.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/adapters/system.h"

namespace kx::adapt {
namespace {

namespace stdfs = std::filesystem;

class StagedOutputs : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/klarbrix-outputs-XXXXXX";
        ASSERT_TRUE(::mkdtemp(name));
        folder_ = std::string(name) + "/";
    }
    void TearDown() override { stdfs::remove_all(folder_); }
    void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<std::string> entries() {
        std::vector<std::string> names;
        for (const auto& e : stdfs::directory_iterator(folder_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string folder_;
};

TEST_F(StagedOutputs, TheToolMakesTheFileWhichIsMovedIntoPlace) {
    std::string source = folder_ + "film.mkv", target = folder_ + "film.h264", error;
    write(source, "source");
    {
        sys::Outputs outputs({source});
        std::optional<std::string> staged = outputs.stage(target, error);
        ASSERT_TRUE(staged) << error;
        // A name for the tool to create, in a folder of its own beside the target.
        EXPECT_FALSE(stdfs::exists(*staged));
        EXPECT_EQ(stdfs::path(*staged).filename(), "film.h264");
        EXPECT_EQ(stdfs::path(*staged).parent_path().parent_path(), stdfs::path(folder_).parent_path());
        write(*staged, "video");
        ASSERT_TRUE(outputs.commit(error)) << error;
    }
    EXPECT_EQ(read(target), "video");
    EXPECT_EQ(entries(), (std::vector<std::string>{"film.h264", "film.mkv"}));
    EXPECT_TRUE(sys::madeByTools(target));

    // Our own earlier output is replaced by the next run's.
    {
        sys::Outputs outputs({source});
        std::optional<std::string> staged = outputs.stage(target, error);
        ASSERT_TRUE(staged) << error;
        write(*staged, "video again");
        ASSERT_TRUE(outputs.commit(error)) << error;
    }
    EXPECT_EQ(read(target), "video again");
}

TEST_F(StagedOutputs, AFailedStepLeavesNothingAndTouchesNoOneElsesFile) {
    std::string source = folder_ + "film.mkv", error;
    write(source, "source");
    {
        sys::Outputs outputs({source});
        std::optional<std::string> staged = outputs.stage(folder_ + "film.ac3", error);
        ASSERT_TRUE(staged) << error;
        write(*staged, "half an output");
    }  // never committed: the tool failed
    EXPECT_EQ(entries(), (std::vector<std::string>{"film.mkv"}));

    write(folder_ + "film.dts", "the user's own");
    sys::Outputs outputs({source});
    EXPECT_FALSE(outputs.stage(folder_ + "film.dts", error));
    EXPECT_NE(error.find("not made by this program"), std::string::npos) << error;
    EXPECT_FALSE(outputs.stage(source, error));
    EXPECT_FALSE(outputs.stage(folder_, error));
    EXPECT_EQ(read(folder_ + "film.dts"), "the user's own");
    EXPECT_EQ(read(source), "source");
    EXPECT_EQ(entries(), (std::vector<std::string>{"film.dts", "film.mkv"}));
}

}  // namespace
}  // namespace kx::adapt
