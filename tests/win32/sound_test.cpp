// The end sound on Windows: only a WAV file is loaded, and playing never
// waits for the sound nor fails without a sound device.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/sound.h"
#include "tests/win32/scratch.h"

using namespace kx;
using kx::test::WinScratch;

TEST(Win32Sound, OnlyWaveFilesAreLoadedAndPlayingNeverBlocks) {
    WinScratch s;
    // A mono 8 kHz 8-bit WAV file of a quarter of a second.
    const std::string samples(2000, '\x80');
    std::string wave = std::string("RIFF", 4) + std::string("\0\0\0\0", 4) + "WAVEfmt " +
                       std::string("\x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0", 20) + "data" +
                       std::string("\xd0\x07\0\0", 4) + samples;
    wave[4] = char(wave.size() - 8);
    wave[5] = char((wave.size() - 8) >> 8);
    ASSERT_TRUE(fs::writeFile(s / "success.wav", wave));
    ASSERT_TRUE(fs::writeFile(s / "notes.txt", "pas un son"));

    Sound sound;
    EXPECT_FALSE(sound.load(s / "notes.txt"));
    EXPECT_FALSE(sound.loaded());
    sound.play();  // nothing loaded: nothing happens
    EXPECT_FALSE(sound.load(s / "absent.wav"));
    EXPECT_TRUE(sound.load(s / "success.wav"));
    EXPECT_TRUE(sound.loaded());
    sound.play();
    sound.play();  // a second play replaces the first
    // Loading again stops the sound before its data goes.
    EXPECT_TRUE(sound.load(s / "success.wav"));
    sound.play();
}
