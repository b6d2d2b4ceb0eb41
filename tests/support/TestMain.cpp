#include "platform/Fonts.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace TestEnvironment {
void InstallFreshHomeListener();
void RemoveProcessFolder();
} // namespace TestEnvironment

int main(int argc, char** argv)
{
    // No display and no sound card in tests: widgets render offscreen and the
    // audio library uses its dummy driver unless a test picks another.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Offscreen, a display left over from the desktop session would give the
    // web engine's GL context that machine's GL driver; keep them apart.
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
    }
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    // The web engine's sandbox refuses to start as root; no GPU offscreen.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");

    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    TestEnvironment::InstallFreshHomeListener();
    const int status = RUN_ALL_TESTS();
    TestEnvironment::RemoveProcessFolder();
    return status;
}
