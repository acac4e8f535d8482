// Fontconfig is found among the libraries already loaded (Qt's), never
// loaded by us: without it there is nothing to do.
#include "frontends/qt/font_warm_up.h"

#include <dlfcn.h>

namespace kx {

FontWarmUp::FontWarmUp() {
    void* library = ::dlopen("libfontconfig.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (!library) return;
    auto init = reinterpret_cast<int (*)()>(::dlsym(library, "FcInit"));
    if (init) thread_ = std::thread(init);
    else ::dlclose(library);
    // The library stays loaded with Qt; the reference taken here is never given back.
}

void FontWarmUp::wait() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace kx
