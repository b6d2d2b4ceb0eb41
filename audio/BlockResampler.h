#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One channel through libresample, fed in blocks of any size, giving exactly
// the samples of one call over the whole input with the last-chunk flag set
// (the same values, their count and the flush at the end).
//
// libresample copies its input into a work buffer and filters whatever that
// buffer holds each time it fills; its clock is a double that is moved back
// by the samples filtered, so where those fills end decides the rounding of
// every later position. A whole-input call always fills the buffer to its
// size before filtering, except at the very end. Here the resampler is only
// called with more pending input than its buffer holds and with no room for
// output, so each call fills the buffer once and stops after filtering it;
// the output is taken by a second call without input. The rest of the
// stream is given in one last call, as the whole-input call gives it.
class BlockResampler
{
public:
    // capacity: the most output frames kept; later ones are dropped, as a
    // whole-input call into a buffer of that size drops them.
    BlockResampler(double factor, int64_t capacity);
    ~BlockResampler();
    BlockResampler(const BlockResampler&) = delete;
    BlockResampler& operator=(const BlockResampler&) = delete;

    // false when libresample refused the factor.
    bool IsOpen() const { return m_handle != nullptr; }
    // Takes count input values; what is ready is appended to out.
    bool Push(const float* values, size_t count, std::vector<float>& out);
    // Ends the input: the rest of the output and the resampler's flush are
    // appended to out. Nothing may be pushed afterwards.
    bool Finish(std::vector<float>& out);
    // Output frames kept so far.
    int64_t Produced() const { return m_produced; }

private:
    bool FillOnce();
    bool Drain(std::vector<float>& out);
    void Keep(const float* values, int count, std::vector<float>& out);

    void* m_handle = nullptr;
    double m_factor;
    int64_t m_capacity;
    int64_t m_produced = 0;
    size_t m_lookahead = 0; // pending input needed before a call that is not the last
    std::vector<float> m_pending;
    size_t m_used = 0; // of m_pending, already handed to libresample
    std::vector<float> m_scratch;
};
