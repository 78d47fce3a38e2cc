#pragma once
// The small picture box of the debug window's picture list and of its
// realtime picture page: the picture scaled into the box on white with a
// one-pixel margin, or "渲染图象失败！" when it cannot be drawn.

#include <QLabel>

namespace h5 {

class PicturePreview : public QLabel
{
    Q_OBJECT
public:
    explicit PicturePreview(const QString &name, QWidget *parent = nullptr);

    // Shows `picture`; a null picture shows the failure text.
    void showPicture(const QImage &picture);
};

} // namespace h5
