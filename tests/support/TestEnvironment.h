#pragma once

#include <QString>

#include <functional>

// The folders of the running test: a fresh HOME with XDG data, config, cache
// and runtime folders and a TMPDIR inside it, made before each test and
// removed after it.
namespace TestEnvironment {

QString Home();
QString DataHome();   // XDG_DATA_HOME
QString ConfigHome(); // XDG_CONFIG_HOME
QString RuntimeDir(); // XDG_RUNTIME_DIR

// Runs the Qt event loop until done() holds or timeoutMs passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);

} // namespace TestEnvironment
