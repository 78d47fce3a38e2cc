#include "model/CGraph.h"

#include <utility>

namespace h5 {

bool hasOrderedCorners(int kind)
{
    switch (kind) {
    case Kind::SolidRect:
    case Kind::HollowRect:
    case Kind::HollowEllipse:
    case Kind::SolidEllipse:
    case Kind::GroupBox:
    case Kind::Panel:
    case Kind::Bitmap:
    case Kind::BarCtrl:
    case Kind::ImageCtrl:
    case Kind::ButtonCtrl:
    case Kind::ReservedCtrl:
        return true;
    default:
        return false;
    }
}

CGraph::CGraph(int kind, int ctrlId, QPoint start, QPoint end, int attr, int number,
               COLORREF color1, COLORREF color2, COLORREF color3, COLORREF color4,
               COLORREF color5, int source, int value1, int value2, int value3, int value4,
               int style, int extra, std::string text1, std::string text3, std::string text2)
    : m_ptStart(start), m_ptEnd(end), m_crColor1(color1), m_crColor2(color2),
      m_crColor3(color3), m_crColor4(color4), m_crColor5(color5), m_nKind(kind), m_nAttr(attr),
      m_nNumber(number), m_nCtrlID(ctrlId), m_nStyle(style), m_nExtra(extra),
      m_nValue1(value1), m_nValue2(value2), m_nValue3(value3), m_nValue4(value4),
      m_nSource(source), m_strText1(std::move(text1)), m_strText2(std::move(text2)),
      m_strText3(std::move(text3))
{
}

void writeArchiveString(ByteWriter &out, const std::string &s)
{
    const std::size_t n = s.size();
    if (n < 0xFF) {
        out.u8(uint32_t(n));
    } else if (n < 0xFFFE) {
        out.u8(0xFF);
        out.le16(uint32_t(n));
    } else {
        out.u8(0xFF);
        out.le16(0xFFFF);
        out.le32(uint32_t(n));
    }
    out.bytes(s);
}

bool readArchiveString(ByteReader &in, std::string &s, QString *error)
{
    const std::size_t start = in.pos();
    auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("%1（位置%2）").arg(why).arg(start);
        return false;
    };
    uint8_t b;
    if (!in.u8(b))
        return fail(QStringLiteral("文件在文字长度之前结束"));
    uint32_t n = b;
    if (b == 0xFF) {
        uint16_t w;
        if (!in.le16(w))
            return fail(QStringLiteral("文件在文字长度中结束"));
        n = w;
        if (w == 0xFFFE)
            return fail(QStringLiteral("不支持的文字形式（宽字符）"));
        if (w == 0xFFFF) {
            uint32_t d;
            if (!in.le32(d))
                return fail(QStringLiteral("文件在文字长度中结束"));
            n = d;
        }
    }
    // The length is checked against what is left and against the longest
    // text a page can show before anything is allocated, so a damaged
    // length can never ask for gigabytes.
    if (n > in.remaining())
        return fail(QStringLiteral("文字长度%1超出文件末尾").arg(n));
    if (n > kMaxElementTextBytes)
        return fail(QStringLiteral("文字长度%1超过上限%2字节").arg(n).arg(kMaxElementTextBytes));
    in.bytes(n, s);
    return true;
}

void CGraph::Serialize(ByteWriter &out) const
{
    out.le32(uint32_t(m_nKind));
    out.le32(uint32_t(m_nCtrlID));
    out.le32(uint32_t(m_ptStart.x()));
    out.le32(uint32_t(m_ptStart.y()));
    out.le32(uint32_t(m_ptEnd.x()));
    out.le32(uint32_t(m_ptEnd.y()));
    out.le32(uint32_t(m_nAttr));
    out.le32(uint32_t(m_nNumber));
    out.le32(m_crColor1);
    out.le32(m_crColor2);
    out.le32(m_crColor3);
    out.le32(m_crColor4);
    out.le32(m_crColor5);
    out.le32(uint32_t(m_nSource));
    out.le32(uint32_t(m_nValue2));
    out.le32(uint32_t(m_nValue1));
    out.le32(uint32_t(m_nValue3));
    out.le32(uint32_t(m_nValue4));
    out.le32(uint32_t(m_nStyle));
    out.le32(uint32_t(m_nExtra));
    writeArchiveString(out, m_strText1);
    writeArchiveString(out, m_strText3);
    writeArchiveString(out, m_strText2);
}

bool CGraph::Serialize(ByteReader &in, QString *error)
{
    if (in.remaining() < 80) {
        if (error)
            *error = QStringLiteral("文件在图元中结束（位置%1）").arg(in.pos());
        return false;
    }
    int32_t w[20];
    for (int32_t &v : w)
        in.le32(v);
    CGraph g;
    g.m_nKind = w[0];
    g.m_nCtrlID = w[1];
    g.m_ptStart = QPoint(w[2], w[3]);
    g.m_ptEnd = QPoint(w[4], w[5]);
    g.m_nAttr = w[6];
    g.m_nNumber = w[7];
    g.m_crColor1 = uint32_t(w[8]);
    g.m_crColor2 = uint32_t(w[9]);
    g.m_crColor3 = uint32_t(w[10]);
    g.m_crColor4 = uint32_t(w[11]);
    g.m_crColor5 = uint32_t(w[12]);
    g.m_nSource = w[13];
    g.m_nValue2 = w[14];
    g.m_nValue1 = w[15];
    g.m_nValue3 = w[16];
    g.m_nValue4 = w[17];
    g.m_nStyle = w[18];
    g.m_nExtra = w[19];
    if (!readArchiveString(in, g.m_strText1, error) || !readArchiveString(in, g.m_strText3, error)
        || !readArchiveString(in, g.m_strText2, error))
        return false;
    *this = std::move(g);
    return true;
}

bool CGraph::operator==(const CGraph &o) const
{
    return m_ptStart == o.m_ptStart && m_ptEnd == o.m_ptEnd && m_crColor1 == o.m_crColor1
        && m_crColor2 == o.m_crColor2 && m_crColor3 == o.m_crColor3
        && m_crColor4 == o.m_crColor4 && m_crColor5 == o.m_crColor5 && m_nKind == o.m_nKind
        && m_nAttr == o.m_nAttr && m_nNumber == o.m_nNumber && m_nCtrlID == o.m_nCtrlID
        && m_nStyle == o.m_nStyle && m_nExtra == o.m_nExtra && m_nValue1 == o.m_nValue1
        && m_nValue2 == o.m_nValue2 && m_nValue3 == o.m_nValue3 && m_nValue4 == o.m_nValue4
        && m_nSource == o.m_nSource && m_strText1 == o.m_strText1
        && m_strText2 == o.m_strText2 && m_strText3 == o.m_strText3;
}

} // namespace h5
