#include "editor/TerminalPreviewWindow.h"

#include "pictures/PictureConvert.h"
#include "terminal/BuiltProject.h"
#include "terminal/LiveDraw.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>

namespace h5 {

TerminalPreviewWindow::TerminalPreviewWindow(const QString &projectFile, int page, const QImage &editorImage,
                                       bool pageModified, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TerminalPreviewWindow"));
    setWindowTitle(QStringLiteral("终端预览 - %1.wlp").arg(page));

    m_picture = new QLabel;
    m_picture->setObjectName(QStringLiteral("previewPicture"));
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *pane = new QScrollArea(this);
    pane->setWidget(m_picture);
    pane->setWidgetResizable(true);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("previewNote"));
    m_note->setWordWrap(true);
    m_showDifference = new QCheckBox(QStringLiteral("显示差异"), this);
    m_showDifference->setObjectName(QStringLiteral("showDifferenceCheck"));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_note, 1);
    bottom->addWidget(m_showDifference);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pane, 1);
    layout->addLayout(bottom);

    BuiltProject built;
    QString faultFile, error;
    const BuiltProject::Status status = BuiltProject::read(projectFile, built, &faultFile, &error, true);
    QStringList notes;
    if (built.isRead()) {
        m_terminal = built.preview(page, &error);
        if (m_terminal.isNull())
            notes << error;
    } else if (status == BuiltProject::Status::NotBuilt || status == BuiltProject::Status::Damaged) {
        notes << error; // the whole message; a damaged file's names the file
    } else {
        notes << QDir::toNativeSeparators(faultFile) + QStringLiteral("：") + error;
    }
    if (!m_terminal.isNull() && (pageModified || status == BuiltProject::Status::Outdated))
        notes << QStringLiteral("页面在上次编译后已修改，这里是上次编译的结果；编译后再看。");
    m_note->setText(notes.join(QLatin1Char('\n')));
    m_showDifference->setEnabled(!m_terminal.isNull() && !editorImage.isNull());
    if (!m_terminal.isNull() && !editorImage.isNull())
        m_difference = difference(editorImage, m_terminal, &m_differing);

    connect(m_showDifference, &QCheckBox::toggled, this, [this] { showChoice(); });
    showChoice();
    // Without a picture the window holds only its note (a refused build's
    // message names a file and can be long): room for a few lines of it.
    if (m_terminal.isNull())
        resize(560, 200);
    else
        resize(std::min(m_terminal.width(), 1000) + 40, std::min(m_terminal.height(), 700) + 90);
}

QString TerminalPreviewWindow::note() const { return m_note->text(); }

void TerminalPreviewWindow::showChoice()
{
    m_shown = m_showDifference->isChecked() ? m_difference : m_terminal;
    m_picture->setPixmap(QPixmap::fromImage(m_shown));
    if (m_showDifference->isChecked())
        m_showDifference->setText(QStringLiteral("显示差异（%1个像素不同）").arg(m_differing));
    else
        m_showDifference->setText(QStringLiteral("显示差异"));
}

QImage TerminalPreviewWindow::difference(const QImage &editorIn, const QImage &terminalIn, int *count)
{
    const QImage editor = editorIn.convertToFormat(QImage::Format_RGB32);
    const QImage terminal = terminalIn.convertToFormat(QImage::Format_RGB32);
    const int w = std::max(editor.width(), terminal.width());
    const int h = std::max(editor.height(), terminal.height());
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(qRgb(255, 0, 0));
    int differing = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (x >= editor.width() || y >= editor.height() || x >= terminal.width() || y >= terminal.height()) {
                ++differing;
                continue;
            }
            const QRgb e = editor.pixel(x, y);
            const QRgb t = terminal.pixel(x, y);
            // The editor's colour as the terminal keeps it.
            if (rgb565(qRed(e), qGreen(e), qBlue(e)) == rgb565Of(t)) {
                const int grey = 128 + qGray(t) / 3;
                out.setPixel(x, y, qRgb(grey, grey, grey));
            } else {
                ++differing;
            }
        }
    }
    if (count)
        *count = differing;
    return out;
}

} // namespace h5
