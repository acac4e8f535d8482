// A fresh folder for one Windows test under the system's temporary folder,
// made and removed through the program's own file functions (cp1252 names),
// and the tool stand-in copied in under a tool's name.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/win32/wide.h"

namespace kx::test {

class WinScratch {
public:
    WinScratch() {
        static int count = 0;
        wchar_t temp[MAX_PATH + 1];
        DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        root = win32::narrow(std::wstring_view(temp, n));
        if (root.back() != '\\') root += '\\';
        root += "klarbrix-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count) + "\\";
        fs::removeTree(root);
        fs::makeFolder(root);
    }
    ~WinScratch() { fs::removeTree(root); }
    WinScratch(const WinScratch&) = delete;
    WinScratch& operator=(const WinScratch&) = delete;

    std::string operator/(std::string_view relative) const { return root + std::string(relative); }

    // Makes the folders of a relative path ("a\\b\\", ending in a separator).
    void folders(std::string_view relative) const {
        for (std::size_t at = 0; (at = relative.find('\\', at)) != std::string::npos; ++at)
            fs::makeFolder(root + std::string(relative.substr(0, at + 1)));
    }

    // The tool stand-in as `relative` (for example "Applications\\mkvmerge.exe").
    void standIn(std::string_view relative) const {
        auto program = fs::readFile(KLARBRIX_BUILD_DIR "/klarbrix-stand-in.exe");
        ASSERT_TRUE(program) << "klarbrix-stand-in.exe is built beside the tests";
        ASSERT_TRUE(fs::writeFile(root + std::string(relative), *program));
    }

    // The UTF-8 lines appended by the stand-ins of `folder` (relative).
    std::string calls(const std::string& folder = "") const {
        return fs::readFile(root + folder + "calls.txt").value_or("(no calls)");
    }

    std::string root;  // ends in a backslash
};

}  // namespace kx::test
