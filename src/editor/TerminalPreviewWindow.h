#pragma once
// TerminalPreviewWindow, opened by "终端预览" (查看 menu and page-view tool bar).
//
// "终端预览": the active page as the terminal will draw it from the last
// build of the project, read from the project's files. It builds nothing
// and changes nothing. A note says when the page was changed since that
// build; "显示差异" shows where the editor's drawing of the page differs
// (in red, after rounding the editor's colours to the terminal's RGB565).

#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;

namespace h5 {

class TerminalPreviewWindow : public QDialog
{
    Q_OBJECT
public:
    // `projectFile`: the project's .wgc; `page`: the page number;
    // `editorImage`: the editor's drawing of the page as it is now;
    // `pageModified`: the page has changes not saved yet.
    TerminalPreviewWindow(const QString &projectFile, int page, const QImage &editorImage, bool pageModified,
                       QWidget *parent = nullptr);

    const QImage &terminalImage() const { return m_terminal; }
    // The picture shown now (the terminal's drawing or the difference).
    QImage shownImage() const { return m_shown; }
    // Pixels where the editor's drawing and the terminal's differ.
    int differingPixels() const { return m_differing; }
    QString note() const;

    // The difference picture: equal pixels dimmed to grey, differing ones
    // red; `count` receives how many differ. Sizes that differ count every
    // pixel outside the common part.
    static QImage difference(const QImage &editor, const QImage &terminal, int *count);

private:
    void showChoice();

    QImage m_terminal;
    QImage m_difference;
    QImage m_shown;
    int m_differing = 0;
    QLabel *m_picture = nullptr;
    QLabel *m_note = nullptr;
    QCheckBox *m_showDifference = nullptr;
};

} // namespace h5
