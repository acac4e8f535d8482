// The system's desktop: the default program of the platform and its sound
// player.
#include "platform/desktop.h"

#include "platform/default_program.h"

namespace kx {

bool SystemDesktop::open(std::string_view target) { return openWithDefaultProgram(std::string(target)); }

void SystemDesktop::loadSound(const std::string& path) { sound_.load(path); }

void SystemDesktop::playSound() { sound_.play(); }

}  // namespace kx
