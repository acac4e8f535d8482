// The resources of klarbrix.exe, read from the built program: the manifest
// (version-6 common controls, administrator rights), the version set in CMake, the
// program icon and the 64 x 64 logo; and the common controls 6 really in use
// in this test program, which carries the same manifest without elevation.
#include <gtest/gtest.h>

#include <string>

#include "base/version.h"
#include "support.h"
#include "frontends/win32/resource_ids.h"

namespace kx {
namespace {

using namespace test;

std::wstring programPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"klarbrix.exe";
}

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryExW(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (!module) GTEST_SKIP() << "klarbrix.exe is not built beside the tests";
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

TEST_F(Program, ManifestAsksForCommonControls6AndAdministratorRights) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    std::string manifest(data, SizeofResource(module, found));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
}

TEST_F(Program, VersionIconAndLogo) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(programPath().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string info(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(programPath().c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, (unsigned(KLARBRIX_VERSION_MAJOR) << 16) | KLARBRIX_VERSION_MINOR);
    EXPECT_EQ(fixed->dwFileVersionLS, unsigned(KLARBRIX_VERSION_PATCH) << 16);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040C04E4\\ProductVersion", reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::wstring(text), L"" KLARBRIX_VERSION);

    auto icon = [&](int id, int side) {
        return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, side, side, 0));
    };
    for (int side : {16, 32, 48}) {
        HICON i = icon(KX_PROGRAM_ICON, side);
        EXPECT_NE(i, nullptr) << side;
        if (i) DestroyIcon(i);
    }
    HICON logo = icon(KX_LOGO_ICON, 64);
    ASSERT_NE(logo, nullptr);
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(logo, &parts));
    BITMAP bitmap{};
    GetObjectW(parts.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 64);
    EXPECT_EQ(bitmap.bmHeight, 64);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    DestroyIcon(logo);
}

TEST(Resources, TheManifestBringsCommonControls6) {
    // The version-6 controls are the side-by-side assembly, not the system's own.
    HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(controls, nullptr);
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(controls, path.data(), DWORD(path.size())));
    CharLowerW(path.data());
    EXPECT_NE(path.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."), std::wstring::npos)
        << std::string(path.begin(), path.end());
}

}  // namespace
}  // namespace kx
