// The end-of-run sound: a WAV file checked once when loaded and played on
// request by the desktop's sound player, detached and silent. A missing file,
// a missing player or no sound device simply gives no sound.
#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace kx {

// Whether the bytes are a RIFF WAVE file (the only sound loaded).
inline bool isWaveData(std::string_view data) {
    return data.size() >= 12 && data.substr(0, 4) == "RIFF" && data.substr(8, 4) == "WAVE";
}

class Sound {
public:
    // Keeps `path` (cp1252) when it names a readable WAV file and finds the
    // player; returns whether a later play() can make a sound.
    bool load(const std::string& path);
    // Starts the player on the loaded file without waiting for it.
    void play();
    bool loaded();

private:
    std::mutex mutex_;
    // What play() needs, empty when nothing is loaded: the UTF-8 path of the
    // file and the full path of the player program on POSIX; on Windows the
    // WAV data itself and the player's name.
    std::string file_;
    std::string player_;
};

}  // namespace kx
