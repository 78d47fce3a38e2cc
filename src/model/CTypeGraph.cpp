#include "model/CTypeGraph.h"

namespace h5 {

void CTypeGraph::Serialize(ByteWriter &out) const
{
    out.le32(uint32_t(m_nResolution));
    out.le32(uint32_t(m_nFlags));
    out.le32(uint32_t(m_nPageNo));
    out.le32(uint32_t(m_nNextPage));
    out.le32(uint32_t(m_nDelay));
    out.le32(m_crBack);
}

bool CTypeGraph::Serialize(ByteReader &in)
{
    if (in.remaining() < 24)
        return false;
    int32_t v[6];
    for (int32_t &x : v)
        in.le32(x);
    m_nResolution = v[0];
    m_nFlags = v[1];
    m_nPageNo = v[2];
    m_nNextPage = v[3];
    m_nDelay = v[4];
    m_crBack = uint32_t(v[5]);
    return true;
}

} // namespace h5
