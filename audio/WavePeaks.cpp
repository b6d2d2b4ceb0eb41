#include "audio/WavePeaks.h"

#include <algorithm>

CWavePeaks::CWavePeaks(int columnCount, int firstColumn, int msPerPixel)
    : m_columnCount(std::max(columnCount, 0)), m_max0(m_columnCount), m_min0(m_columnCount),
      m_min1(m_columnCount), m_max1(m_columnCount), m_msPerPixel(msPerPixel),
      m_firstColumn(firstColumn)
{
}

bool CWavePeaks::Matches(int firstColumn, int columnCount, int msPerPixel) const
{
    return m_columnCount == columnCount && m_firstColumn == firstColumn &&
           m_msPerPixel == msPerPixel;
}

int16_t CWavePeaks::GetMax(int channel, int column) const
{
    return (channel == 0 ? m_max0 : m_max1).at(static_cast<size_t>(column));
}

int16_t CWavePeaks::GetMin(int channel, int column) const
{
    return (channel == 0 ? m_min0 : m_min1).at(static_cast<size_t>(column));
}

void CWavePeaks::SetPeak(int channel, int column, int16_t minimum, int16_t maximum)
{
    const size_t index = static_cast<size_t>(column);
    (channel == 0 ? m_min0 : m_min1).at(index) = minimum;
    (channel == 0 ? m_max0 : m_max1).at(index) = maximum;
}
