#pragma once
// A one-line, read-only status box that keeps a file name in sight. A text
// wider than the box is shortened ("…") around the file name of the last
// path it holds: the start (what happened) and what follows the name share
// the room the name leaves. A text without a path is shortened in the
// middle. The whole text is the box's tool tip.

#include <QFrame>
#include <QString>

namespace h5 {

class StatusText : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QString shownText READ shownText)
public:
    explicit StatusText(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    void clear() { setText(QString()); }
    // The text as the box shows it at its present width.
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
};

} // namespace h5
