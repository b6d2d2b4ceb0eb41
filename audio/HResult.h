#pragma once

#include <cstdint>

// The 32-bit status the engine's media decoders return: 0 is success and
// every failure is negative, so callers test `== S_OK` or `< 0`.
using HRESULT = int32_t;

constexpr HRESULT MakeFailure(uint32_t bits)
{
    return static_cast<HRESULT>(bits);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = MakeFailure(0x80004005);
constexpr HRESULT E_INVALIDARG = MakeFailure(0x80070057);
constexpr HRESULT E_OUTOFMEMORY = MakeFailure(0x8007000E);

// A file-system failure: the errno value in the low 16 bits under the
// facility code 7 that system errors carry.
constexpr HRESULT HResultFromErrno(int error)
{
    return MakeFailure(0x80070000u | (static_cast<uint32_t>(error) & 0xFFFFu));
}
