#pragma once

#include <cstdint>

// A message digest fed in pieces. One object per message and thread.
class IMessageDigest
{
public:
    virtual ~IMessageDigest() = default;
    // Appends length bytes of data to the message; a negative length throws
    // std::runtime_error and changes nothing.
    virtual void AddData(const void* data, int32_t length) = 0;
    // Writes the digest of the message and starts a new one; throws
    // std::runtime_error, changing nothing, when no data was added since the
    // last reset.
    virtual void FinalDigest(unsigned char* output) = 0;
    virtual void Reset() = 0;

protected:
    // Folds the block being filled into the state.
    virtual void Transform() = 0;
};
