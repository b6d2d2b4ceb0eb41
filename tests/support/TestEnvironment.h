#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The folders of the running test: a fresh HOME with XDG data, config, cache
// and runtime folders and a TMPDIR inside it, made before each test and
// removed after it.
namespace TestEnvironment {

QString Home();
QString DataHome();   // XDG_DATA_HOME
QString ConfigHome(); // XDG_CONFIG_HOME
QString RuntimeDir(); // XDG_RUNTIME_DIR

// A folder for what lives as long as the process rather than one test (the
// stream files of the sound device, which opens once per process): made in the
// system temp folder on the first call, removed when every test has run.
QString ProcessFolder();

// Runs the Qt event loop until done() holds or timeoutMs passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);

// Runs a tool (ffmpeg, ffprobe, sox...) with an argument list, never a shell;
// true when it exited with status 0 within timeoutMs, and then *out holds its
// standard output.
bool RunTool(const QString& program, const QStringList& args, QByteArray* out = nullptr,
             int timeoutMs = 120000);

} // namespace TestEnvironment
