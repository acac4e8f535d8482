// Sound on Windows: the WAV file is read once into memory and played from
// there by PlaySoundW, asynchronously. No sound device simply gives no sound.
#include "platform/sound.h"

#include <windows.h>
#include <mmsystem.h>

#include "platform/files.h"

namespace kx {

// Here `file_` holds the WAV data itself and `player_` names the player.
bool Sound::load(const std::string& path) {
    std::optional<std::string> data = fs::readFile(path);
    std::lock_guard lock(mutex_);
    PlaySoundW(nullptr, nullptr, 0);  // stops a sound still playing from the old data
    file_.clear();
    player_.clear();
    if (!data || !isWaveData(*data)) return false;
    file_ = std::move(*data);
    player_ = "PlaySound";
    return true;
}

bool Sound::loaded() {
    std::lock_guard lock(mutex_);
    return !file_.empty() && !player_.empty();
}

void Sound::play() {
    // The data must outlive the asynchronous play: it is the member itself,
    // which only load() replaces, after stopping the sound.
    std::lock_guard lock(mutex_);
    if (file_.empty() || player_.empty()) return;
    PlaySoundW(reinterpret_cast<LPCWSTR>(file_.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

}  // namespace kx
