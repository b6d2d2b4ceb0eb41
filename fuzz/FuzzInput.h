#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// The readers under test take paths, so each input goes to a file. Files live
// in one folder per process (in memory under /dev/shm where it exists), which
// is removed when the process ends.
namespace FuzzInput {

// The process's scratch folder, made on first use.
const QString& Folder();

// Writes the bytes to name inside Folder(), replacing what was there, and
// returns the file's path. Aborts when the write fails, so a full disk never
// passes for a finding.
QString Write(const uint8_t* data, size_t size, const QString& name);

// Removes name inside Folder() when it exists.
void Remove(const QString& name);

// Keeps glibc's GBK, UTF-8 and UTF-16 converters loaded for the process. The
// text helpers open and close a converter per call, and with none left open
// glibc unloads the module: reloading it would be most of each input's time.
void KeepConvertersLoaded();

// Aborts with "broken: what" when a property every input must keep fails,
// so libFuzzer keeps the input as a finding.
void Check(bool condition, const char* what);

} // namespace FuzzInput
