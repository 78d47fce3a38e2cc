#include "edit/ToolElements.h"

#include "edit/EditGeometry.h"
#include "edit/Tools.h"

namespace h5 {

CGraph newShapeElement(int tool, QPoint start, QPoint end, const ShapeDefaults &d)
{
    return CGraph(tool, 0, start, end, d.pictureBlocks, d.pictureNumber, d.pen, d.fill, 0, 0, 0,
                  d.sourceIndex, 0, 0, 0, 0, 0, 0, d.text1, d.text3, d.text2);
}

CGraph newFrameElement(int tool, QPoint at, int sourceIndex)
{
    return CGraph(tool, 0, at, at, 0, 0, 0xFFFFFF, 0xC0C0C0, 0xD8E9EC, 0, 0, sourceIndex, 0, 0, 0,
                  0, 3, 0, "", "", "");
}

bool isZeroSizeShape(const CGraph &e)
{
    if (e.m_nKind == Kind::Line || isCircleKind(e.m_nKind))
        return e.m_ptStart == e.m_ptEnd;
    return e.m_ptStart.x() == e.m_ptEnd.x() || e.m_ptStart.y() == e.m_ptEnd.y();
}

int nextControlId(const std::vector<CGraph> &elements)
{
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
        if (it->m_nKind > 95)
            return it->m_nCtrlID + 1;
    }
    return 0;
}

CGraph deleteMarker(int index)
{
    CGraph m;
    m.m_nKind = Kind::DeleteMarker;
    m.m_nSource = index;
    return m;
}

} // namespace h5
