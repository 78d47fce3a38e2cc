#include "debug/StatusText.h"

#include <QPainter>
#include <algorithm>
#include <QStyle>

namespace h5 {

namespace {

constexpr int kPadding = 3; // between the frame and the text

} // namespace

StatusText::StatusText(QWidget *parent) : QFrame(parent)
{
    // Framed and filled like a read-only edit box.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusText::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    setToolTip(text);
    update();
}

QString StatusText::shownText() const
{
    const int room = std::max(contentsRect().width() - 2 * kPadding, 0);
    const QFontMetrics metrics = fontMetrics();
    if (metrics.horizontalAdvance(m_text) <= room)
        return m_text;
    // A path keeps its file name whole; the folders before it, and what is
    // said after it, share the room that is left.
    const qsizetype slash = std::max(m_text.lastIndexOf(QLatin1Char('/')), m_text.lastIndexOf(QLatin1Char('\\')));
    if (slash > 0) {
        qsizetype nameEnd = slash + 1;
        while (nameEnd < m_text.size() && m_text[nameEnd] != QChar(0xFF1A) && m_text[nameEnd] != QLatin1Char(':')
               && !m_text[nameEnd].isSpace())
            ++nameEnd;
        const QString head = m_text.left(slash);
        const QString name = m_text.mid(slash, nameEnd - slash);
        const QString rest = m_text.mid(nameEnd);
        const int left = room - metrics.horizontalAdvance(name);
        const int ellipsis = metrics.horizontalAdvance(QStringLiteral("…"));
        if (left >= 2 * ellipsis) {
            const int restWidth = metrics.horizontalAdvance(rest);
            const int restRoom = std::min(restWidth, left / 2);
            const int headRoom = left - restRoom;
            return metrics.elidedText(head, Qt::ElideRight, headRoom) + name
                   + metrics.elidedText(rest, Qt::ElideRight, restRoom);
        }
    }
    return metrics.elidedText(m_text, Qt::ElideMiddle, room);
}

QSize StatusText::sizeHint() const
{
    const int frame = 2 * frameWidth();
    return QSize(150 + frame, fontMetrics().height() + 2 * kPadding + frame);
}

QSize StatusText::minimumSizeHint() const
{
    const QSize hint = sizeHint();
    return QSize(40, hint.height());
}

void StatusText::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect room = contentsRect().adjusted(kPadding, 0, -kPadding, 0);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

} // namespace h5
