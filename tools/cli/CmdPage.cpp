// h5800 page dump: a page file as JSON.

#include "Cli.h"

#include "common/Gbk.h"
#include "model/Page.h"


using namespace h5cli;

namespace {

// JSON is written by hand so the fields keep their record order.
QString jsonString(const QString &text)
{
    QString r = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case '"': r += QLatin1String("\\\""); break;
        case '\\': r += QLatin1String("\\\\"); break;
        case '\n': r += QLatin1String("\\n"); break;
        case '\r': r += QLatin1String("\\r"); break;
        case '\t': r += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                r += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                r += c;
        }
    }
    return r + QLatin1Char('"');
}

struct JsonFields
{
    QStringList items;
    void add(const char *name, qint64 v) { items << QStringLiteral("\"%1\": %2").arg(QLatin1String(name)).arg(v); }
    void add(const char *name, const QPoint &p)
    {
        items << QStringLiteral("\"%1\": [%2, %3]").arg(QLatin1String(name)).arg(p.x()).arg(p.y());
    }
    void add(const char *name, const std::string &gbk)
    {
        items << QStringLiteral("\"%1\": %2").arg(QLatin1String(name), jsonString(h5::fromGbk(gbk)));
    }
    QString object(const QString &indent) const
    {
        return QStringLiteral("{\n%1  %2\n%1}").arg(indent, items.join(",\n" + indent + "  "));
    }
};

QString settingsJson(const h5::CTypeGraph &s)
{
    JsonFields o;
    o.add("m_nResolution", s.m_nResolution);
    o.add("m_nFlags", s.m_nFlags);
    o.add("m_nPageNo", s.m_nPageNo);
    o.add("m_nNextPage", s.m_nNextPage);
    o.add("m_nDelay", s.m_nDelay);
    o.add("m_crBack", s.m_crBack);
    return o.object(QStringLiteral("  "));
}

QString elementJson(const h5::CGraph &g)
{
    JsonFields o;
    o.add("m_nKind", g.m_nKind);
    o.add("m_nCtrlID", g.m_nCtrlID);
    o.add("m_ptStart", g.m_ptStart);
    o.add("m_ptEnd", g.m_ptEnd);
    o.add("m_nAttr", g.m_nAttr);
    o.add("m_nNumber", g.m_nNumber);
    o.add("m_crColor1", g.m_crColor1);
    o.add("m_crColor2", g.m_crColor2);
    o.add("m_crColor3", g.m_crColor3);
    o.add("m_crColor4", g.m_crColor4);
    o.add("m_crColor5", g.m_crColor5);
    o.add("m_nSource", g.m_nSource);
    o.add("m_nValue1", g.m_nValue1);
    o.add("m_nValue2", g.m_nValue2);
    o.add("m_nValue3", g.m_nValue3);
    o.add("m_nValue4", g.m_nValue4);
    o.add("m_nStyle", g.m_nStyle);
    o.add("m_nExtra", g.m_nExtra);
    o.add("m_strText1", g.m_strText1);
    o.add("m_strText2", g.m_strText2);
    o.add("m_strText3", g.m_strText3);
    return o.object(QStringLiteral("    "));
}

int pageDump(const QStringList &argsIn)
{
    QStringList args = argsIn;
    expectPositional(args, 1, "page dump");
    h5::Page page;
    QString error;
    if (!page.load(args[0], &error)) {
        err() << "h5800: " << error << Qt::endl;
        return ExitBadInput;
    }
    // Written element by element: the text of the whole page is never held
    // at once, so memory stays near the size of the page itself.
    out() << "{\n  \"settings\": " << settingsJson(page.settings) << ",\n  \"elements\": [";
    const char *separator = "\n";
    for (const h5::CGraph &g : page.elements) {
        out() << separator << "    " << elementJson(g);
        separator = ",\n";
    }
    if (!page.elements.empty())
        out() << "\n  ";
    out() << "]\n}\n";
    return ExitOk;
}

Registrar dump{{
    "page dump",
    "print a page file (.wlp) as JSON",
    "usage: h5800 page dump PAGE.wlp\n\n"
    "Prints {\"settings\": {...}, \"elements\": [...]} with every field under its\n"
    "own name; texts are decoded from GBK. Elements are in file order.\n"
    "Exit status 1 when the file cannot be read or is not a page file, or is more\n"
    "than any page can be (judged before it is read): over 143,032,612 bytes, more\n"
    "than 44,880 elements (what 255 flash pages of instructions can draw) or a\n"
    "text over 538,560 bytes.",
    pageDump,
}};

} // namespace
