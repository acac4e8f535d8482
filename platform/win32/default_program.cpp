// The desktop's default handler on Windows: ShellExecuteW with the default
// verb, not waited for.
#include "platform/default_program.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "platform/win32/wide.h"

namespace kx {

bool openWithDefaultProgram(const std::string& target) {
    if (target.empty()) return false;
    // Some handlers are COM objects: the calling thread needs COM started.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    HINSTANCE r = ShellExecuteW(nullptr, nullptr, win32::wide(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(com)) CoUninitialize();
    return reinterpret_cast<INT_PTR>(r) > 32;
}

}  // namespace kx
