// The desktop's default handler on POSIX: xdg-open, detached and silent.
#include "platform/default_program.h"

#include "base/encoding.h"
#include "platform/posix/spawn.h"

namespace kx {

bool openWithDefaultProgram(const std::string& target) {
    if (target.empty()) return false;
    auto opener = posix::findOnPath("xdg-open", "");
    if (!opener) return false;
    std::string native = toUtf8(target);
    if (native.front() == '-') native = "./" + native;  // a name, never an option
    int pid = posix::spawn(*opener, {"xdg-open", native}, "", posix::Output::nullDevice, true);
    if (pid <= 0) return false;
    posix::reapWhenDone(pid);
    return true;
}

}  // namespace kx
