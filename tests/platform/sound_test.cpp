// The end sound: only a readable WAV file with a player on the PATH makes a
// sound, and playing starts that player on the file without waiting for it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/files.h"
#include "platform/sound.h"

namespace kx {
namespace {

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::string(KLARBRIX_BUILD_DIR) + "/sound_test-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        fs::removeTree(folder_);
        ASSERT_TRUE(fs::makeFolder(folder_));
        ASSERT_TRUE(fs::makeFolder(folder_ + "bin"));
        const char* path = std::getenv("PATH");
        oldPath_ = path ? path : "";
        setenv("PATH", (folder_ + "bin").c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", oldPath_.c_str(), 1);
        fs::removeTree(folder_);
    }
    // A stand-in player that writes its argument where the test can read it.
    void makePlayer(const std::string& name) {
        std::string script = "#!/bin/sh\necho \"$1\" > '" + folder_ + "played.txt'\n";
        std::string file = folder_ + "bin/" + name;
        ASSERT_TRUE(fs::writeFile(file, script));
        chmod(file.c_str(), 0755);
    }
    std::string folder_, oldPath_;
};

const std::string wave = std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(28, '\0');

TEST_F(SoundTest, PlaysAWaveFileWithThePlayerFound) {
    makePlayer("aplay");
    ASSERT_TRUE(fs::writeFile(folder_ + "success.wav", wave));
    Sound sound;
    ASSERT_TRUE(sound.load(folder_ + "success.wav"));
    sound.play();
    std::optional<std::string> played;
    for (int i = 0; i < 1000 && !(played = fs::readFile(folder_ + "played.txt")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(played);
    EXPECT_EQ(*played, folder_ + "success.wav\n");
}

TEST_F(SoundTest, MissingFileOtherFileOrNoPlayerIsSilent) {
    ASSERT_TRUE(fs::writeFile(folder_ + "success.wav", wave));
    ASSERT_TRUE(fs::writeFile(folder_ + "notes.txt", "pas un son"));
    Sound sound;
    EXPECT_FALSE(sound.load(folder_ + "success.wav"));  // no player on the PATH
    sound.play();
    makePlayer("paplay");
    EXPECT_FALSE(sound.load(folder_ + "missing.wav"));
    EXPECT_FALSE(sound.load(folder_ + "notes.txt"));
    EXPECT_FALSE(sound.loaded());
    sound.play();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(fs::exists(folder_ + "played.txt"));
}

}  // namespace
}  // namespace kx
