#include "debug/PicturePreview.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace h5 {

PicturePreview::PicturePreview(const QString &name, QWidget *parent) : QLabel(parent)
{
    setObjectName(name);
    setFixedSize(96, 72);
    setFrameShape(QFrame::Box);
    setAlignment(Qt::AlignCenter);
}

void PicturePreview::showPicture(const QImage &picture)
{
    if (picture.isNull()) {
        setPixmap(QPixmap());
        setText(QStringLiteral("渲染图象失败！"));
        return;
    }
    QPixmap box(size());
    box.fill(Qt::white);
    {
        QPainter painter(&box);
        painter.drawImage(QRect(1, 1, box.width() - 2, box.height() - 2), picture);
    }
    setText(QString());
    setPixmap(box);
}

} // namespace h5
