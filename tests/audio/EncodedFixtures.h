#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

// Tiny audio files made at test time by the Debian tools (sox, lame, oggenc,
// ffmpeg) in the running test's fresh home folder, and small file helpers.
namespace EncodedFixtures {

// Runs program with args (no shell); true on exit status 0. stdout goes to
// *out when given; input is written to its stdin.
bool RunTool(const QString& program, const QStringList& args, QByteArray* out = nullptr,
             const QByteArray& input = QByteArray());

// A path named name inside the test's home folder.
QString PathOf(const QString& name);

// A sine tone WAV (16-bit) made by sox; empty path on failure.
QString MakeWav(const QString& name, int rate, int channels, double seconds);
// An MP3 made by lame from a fresh WAV of the given rate and length, with
// the extra lame arguments (bitrate, tags, "-t" for no info frame).
QString MakeMp3(const QString& name, int rate, double seconds, const QStringList& lameArgs);

// A Windows Media file (wmav2 in ASF) made by ffmpeg, with "key=value"
// metadata entries; empty path on failure.
QString MakeAsf(const QString& name, const QStringList& metadata);
// An Ogg Vorbis file made by oggenc; empty path on failure.
QString MakeOgg(const QString& name);

QByteArray ReadAll(const QString& path);
bool WriteAll(const QString& path, const QByteArray& bytes);
// Makes a FIFO at path (nobody ever writes to it).
bool MakeFifo(const QString& path);

// A ring container as the operator packs it: the 282-byte header with the
// marker at 274, then (3 filler bytes when not packed and) the payload
// combined with key.
QByteArray RingContainer(const QByteArray& payload, uint8_t key, uint8_t packed);
QByteArray Marker();
// Every byte of bytes combined with key.
QByteArray Xor(QByteArray bytes, uint8_t key);

// text as GBK bytes, converted by iconv.
QByteArray IconvGbk(const QString& text);

} // namespace EncodedFixtures
