#include "model/CTypeGraph.h"

namespace h5 {

namespace {
const QSize kSizes[kResolutionCount] = {
    {320, 234}, {320, 240}, {640, 480},  {800, 480}, {800, 600}, {1024, 768}, {480, 272},
    {272, 480}, {480, 640}, {240, 320},  {480, 800}, {600, 800}, {768, 1024},
};
}

QSize resolutionSize(int index)
{
    if (index < 0 || index >= kResolutionCount)
        return QSize();
    return kSizes[index];
}

int resolutionIndex(int width, int height)
{
    for (int i = 0; i < kResolutionCount; ++i) {
        if (kSizes[i] == QSize(width, height))
            return i;
    }
    return -1;
}

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
