#pragma once
// The settings of one page: resolution, flags, number, next page, delay with
// page tag, background colour.

#include "common/Bytes.h"
#include "model/CGraph.h"
#include "model/Resolutions.h" // resolutionSize(): the size of m_nResolution

#include <QSize>

namespace h5 {

class CTypeGraph
{
public:
    CTypeGraph() = default;
    CTypeGraph(int resolution, int flags, int pageNo, int nextPage, int delay, COLORREF back)
        : m_nResolution(resolution), m_nFlags(flags), m_nPageNo(pageNo), m_nNextPage(nextPage),
          m_nDelay(delay), m_crBack(back)
    {
    }

    // Six little-endian 32-bit words, 24 bytes.
    void Serialize(ByteWriter &out) const;
    bool Serialize(ByteReader &in);

    bool isAuxiliary() const { return (m_nFlags & 1) != 0; }
    int layer() const { return (m_nFlags >> 2) & 0xFF; }
    int delay() const { return m_nDelay & 0xFFFF; }
    int pageTag() const { return (m_nDelay >> 16) & 0xFFFF; }

    bool operator==(const CTypeGraph &o) const
    {
        return m_nResolution == o.m_nResolution && m_nFlags == o.m_nFlags
            && m_nPageNo == o.m_nPageNo && m_nNextPage == o.m_nNextPage && m_nDelay == o.m_nDelay
            && m_crBack == o.m_crBack;
    }

    int m_nResolution = 0;
    int m_nFlags = 0;
    int m_nPageNo = 0;
    int m_nNextPage = 1024; // 1024 = no next page
    int m_nDelay = 0;
    COLORREF m_crBack = 0;
};

} // namespace h5
