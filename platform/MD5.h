#pragma once

#include "platform/IMessageDigest.h"

#include <cstdint>

// The MD5 digest of RFC 1321 (16 bytes). Misuse throws std::runtime_error
// before any state changes. Any thread, one object per use.
class CMD5 : public IMessageDigest
{
public:
    static constexpr int kDigestSize = 16;

    CMD5();
    // A length of 0 still counts as data added.
    void AddData(const void* data, int32_t length) override;
    // output receives kDigestSize bytes; the object is reset afterwards.
    void FinalDigest(unsigned char* output) override;
    void Reset() override;

protected:
    void Transform() override;

private:
    bool m_dataAdded = false;
    uint32_t m_state[4];
    uint32_t m_count[2]; // message length in bits, low word first
    unsigned char m_block[64];
};
