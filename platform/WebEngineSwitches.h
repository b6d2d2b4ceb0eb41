#pragma once

#include <QByteArray>

// The switches the programs' web view (Qt WebEngine, Chromium inside) starts
// with. Chromium refuses to run as root with its sandbox and ends the whole
// process when asked to ("Running as root without --no-sandbox is not
// supported"), so as root, and only then, the programs turn the sandbox off;
// as any other user it stays on.
class WebEngineSwitches
{
public:
    static constexpr char kVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";
    static constexpr char kNoSandbox[] = "--no-sandbox";

    // Adds kNoSandbox to the switches in kVariable, keeping those it holds,
    // when the process runs as root (effective user 0). The web engine reads
    // the variable when the first web view is made: call this at start-up,
    // before that. Calling it again changes nothing.
    static void Prepare();

    // flags with kNoSandbox added when root and not already among them.
    static QByteArray FlagsFor(const QByteArray& flags, bool root);
};
