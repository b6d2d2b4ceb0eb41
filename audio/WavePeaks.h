#pragma once

#include <cstdint>
#include <vector>

// The column peaks of one clip for one zoom and scroll, so that repainting at
// the same zoom and scroll reads no samples. Columns are pixels counted from
// the clip's left edge. Built by CWaveDoc::BuildPeaks, owned by the clip.
//
// For each column it holds the minimum and maximum sample of channels 0 and 1
// (8-bit samples as byte - 128). Both start at 0, so a minimum is never above
// 0 and a maximum never below. In one-sample mode (a column covers fewer than
// two samples) the maximum holds the column's single sample instead and the
// minimum stays 0.
class CWavePeaks
{
public:
    CWavePeaks(int columnCount, int firstColumn, int msPerPixel);

    int GetColumnCount() const { return m_columnCount; }
    int GetFirstColumn() const { return m_firstColumn; }
    int GetMsPerPixel() const { return m_msPerPixel; }

    // Whether the cache was built for these columns at this zoom.
    bool Matches(int firstColumn, int columnCount, int msPerPixel) const;

    // channel 0 or 1, column 0 .. column count - 1.
    int16_t GetMax(int channel, int column) const;
    int16_t GetMin(int channel, int column) const;
    void SetPeak(int channel, int column, int16_t minimum, int16_t maximum);

    // The largest absolute sample the drawing scales to, with the floor of
    // the clip's bit depth already applied.
    int GetScaleReference() const { return m_scaleReference; }
    void SetScaleReference(int reference) { m_scaleReference = reference; }

    bool IsOneSample() const { return m_oneSample; }
    void SetOneSample(bool oneSample) { m_oneSample = oneSample; }

private:
    int m_columnCount = 0;
    std::vector<int16_t> m_max0;
    std::vector<int16_t> m_min0;
    std::vector<int16_t> m_min1;
    std::vector<int16_t> m_max1;
    int m_msPerPixel = 0;
    int m_firstColumn = 0;
    int m_scaleReference = 0;
    bool m_oneSample = false;
};
