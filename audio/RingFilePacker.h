#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// The head of a ring container: 282 bytes followed by the payload file with
// every byte exclusive-or'ed with the key byte. Its four 32-bit integers
// (little-endian) are kept as the file holds them, as bytes: the programs
// never use them, and byte fields keep the layout free of padding.
struct RingFileHeader
{
    char text1[128]; // zero-padded
    char text2[128]; // zero-padded
    uint8_t integer1[4];
    uint8_t integer2[4];
    uint8_t integer3[4];
    uint8_t key; // combined with every payload byte
    uint8_t integer4[4];
    uint8_t packed;    // 0: the payload starts 3 bytes behind the marker
    uint8_t marker[8]; // 00 01 02 03 04 05 06 07
};
static_assert(sizeof(RingFileHeader) == 282, "the container's header is 282 bytes");
static_assert(offsetof(RingFileHeader, key) == 268 && offsetof(RingFileHeader, packed) == 273 &&
                  offsetof(RingFileHeader, marker) == 274,
              "fields sit where the file has them");

// Reads ring containers (the programs never write them). No state; any thread.
class CRingFilePacker
{
public:
    static constexpr uint8_t kDefaultKey = 0x6E;
    static constexpr int kFirstMarkerPosition = 256;

    // Texts and integers zero, packed flag 0, the default key, the marker.
    static void InitHeader(RingFileHeader& header);

    // Searches the marker in the file's first 282 bytes at every position from
    // 256 to the last where it still fits. At the first hit the bytes before
    // it are copied over the start of header (the rest keeps its values) and
    // the position behind the marker is returned. 0: no container, or the
    // file cannot be opened (or is no regular file).
    static int64_t FindRingFileHeader(const QString& path, RingFileHeader& header);

    // Writes the payload of the container at source, decoded with the key of
    // the container's own header, to target (created or truncated). 1 done;
    // 0 when source is no container, its payload would start at or past its
    // end, a file cannot be opened or a read or write fails; a regular target
    // file left incomplete by a failure is removed.
    static int UnpackRingFile(const QString& source, const QString& target);
};
