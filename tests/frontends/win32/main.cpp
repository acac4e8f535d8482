// The window tests' entry: common controls and COM for this thread, then the
// tests; with "--screenshots FOLDER" it draws the windows into PNG files instead.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "screenshots.h"
#include "frontends/win32/win32_ui.h"

int main(int argc, char** argv) {
    kx::Win32Ui::initialiseThread();
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--screenshots")) return kx::test::screenshots(argv[i + 1]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
