#pragma once
// PointerMakerWindow, opened by "指针制作" (page-view tool bar).
//
// "指针制作": the pointer maker. The user sets a needle's full length, tip
// cut and start and end angle while a preview, repainted every 100 ms,
// shows the needle at both ends (optionally every position of the sweep
// and the pivot circles); "生成" writes a .MGL file, "加载" reads one.

#include "edit/PointerFile.h"

#include <QDialog>
#include <QImage>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace h5 {

class Prompts;

class PointerMakerWindow : public QDialog
{
    Q_OBJECT
public:
    // Messages (the file written, unwritable or unreadable files) go to
    // `prompts` as given; the file choosers open over this window.
    explicit PointerMakerWindow(Prompts &prompts, QWidget *parent = nullptr);
    ~PointerMakerWindow() override;

    // One tick of the preview timer: reads the boxes, rebuilds the name and
    // redraws the preview.
    void repaintPreview();
    // The four number boxes against the ranges of their arrows (full length
    // 2..400, tip cut 0..400, angles -360..360): the first box that holds
    // no number or one out of range is reported with the property forms'
    // message ("请键入一个整数。", "“请填入一个在%1和%2之间的整数。”"), gets
    // the focus, and the check fails. "生成" asks for no file then.
    bool checkNumbers();
    // What "生成" does once a path is chosen: the numbers are checked,
    // ".MGL" is appended unless the path ends in exactly ".MGL", the file
    // is written and confirmed (writtenText()). Returns the path written,
    // or an empty string (with the message shown) when nothing was written.
    QString generateTo(const QString &path);
    // The confirmation of a written pointer file.
    static QString writtenText(const QString &path);
    // What "加载" does once a file is chosen. A file that cannot be read or
    // is shorter than 60 bytes is reported and leaves the boxes alone.
    bool loadFrom(const QString &path);

    QString name() const;
    const QImage &previewImage() const { return m_preview; }
    PointerPreviewOptions currentValues() const;
    QTimer *previewTimer() const { return m_timer; }

private:
    QLineEdit *numberBox(const char *objectName, int initial, int lo, int hi, QWidget *row);
    void report(const QString &text);
    void inform(const QString &text);

    Prompts &m_prompts;
    std::unique_ptr<Prompts> m_own; // over this window
    QLineEdit *m_length = nullptr;
    QLineEdit *m_tip = nullptr;
    QLineEdit *m_start = nullptr;
    QLineEdit *m_end = nullptr;
    QLineEdit *m_name = nullptr;
    QCheckBox *m_scale = nullptr;
    QCheckBox *m_circle = nullptr;
    QLabel *m_view = nullptr;
    QTimer *m_timer = nullptr;
    QImage m_preview;
    int m_positions = kPointerMakerPositions;
};

} // namespace h5
