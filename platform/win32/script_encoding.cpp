// Scripts on Windows: cmd.exe reads a batch file in the console's code page,
// which for a new console is the OEM code page (850 on a French system, 437
// on an English one), so the cp1252 text is written in that page.
#include "platform/script_encoding.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace kx {

namespace {

std::string encode(UINT page, const std::wstring& text) {
    if (text.empty()) return {};
    // No "best fit" letters: é must never silently turn into e.
    DWORD flags = page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int size = WideCharToMultiByte(page, flags, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string bytes(std::size_t(size), '\0');
    WideCharToMultiByte(page, flags, text.data(), int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring decode(UINT page, std::string_view bytes) {
    if (bytes.empty()) return {};
    int size = MultiByteToWideChar(page, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    if (size <= 0) return {};
    std::wstring text(std::size_t(size), L'\0');
    MultiByteToWideChar(page, 0, bytes.data(), int(bytes.size()), text.data(), size);
    return text;
}

}  // namespace

std::optional<std::string> toScriptCodePage(std::string_view cp1252) {
    UINT page = GetOEMCP();
    std::wstring text = win32::wide(cp1252);
    std::string bytes = encode(page, text);
    // Carried only when the interpreter reads back exactly the same letters.
    if (decode(page, bytes) != text) return std::nullopt;
    return bytes;
}

std::string fromScriptCodePage(std::string_view bytes) { return win32::narrow(decode(GetOEMCP(), bytes)); }

bool scriptCodePageCarries(std::string_view cp1252) { return toScriptCodePage(cp1252).has_value(); }

}  // namespace kx
