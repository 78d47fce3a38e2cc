#pragma once
// The lower half of the debug window's full form: the simulated screen and
// live drawing on the terminal. Device commands ("切换层号", "终端分辨率",
// "背光控制", "触摸板校准", "清屏"), the foreground and background colours,
// the font group ("字体设置" runs the font chooser), and the drawing group:
// a shape drawn from typed points with "确定" or with the mouse on the
// simulated screen (picked up every 100 ms while the full form shows).
// Every command is recorded first, mirrored on the simulated screen when it
// draws, and written only when the port is open.

#include "link/LiveClicks.h"
#include "link/LiveCommands.h"
#include "terminal/LiveMirror.h"

#include <QColor>
#include <QImage>
#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollArea;
class QSlider;
class QTimer;

namespace h5 {

class DebugSession;
class Prompts;

class LiveDrawingPanel : public QWidget
{
    Q_OBJECT
public:
    LiveDrawingPanel(DebugSession &session, Prompts &prompts, QWidget *parent = nullptr);

    // The simulated screen as it is drawn (resolution plus a border).
    const QImage &screen() const { return m_mirror.image(); }
    const LiveMirror &mirror() const { return m_mirror; }
    LiveClicks &clicks() { return m_clicks; }

    // Mouse drawing runs (every 100 ms) while the full form shows.
    void setLive(bool on);
    // One tick of realtime dynamic debugging (timer 3, every 100 ms).
    void liveTick();

    // A picture of the picture list, clicked: shown at its own size at the
    // terminal's origin on the background colour (nothing when null), and
    // again whenever the resolution changes, until the screen is cleared.
    void showPicture(const QString &path, const QImage &picture);

    // The buttons and boxes.
    void clearScreen();
    void calibrate();
    void switchLayer();
    void sendBacklight();
    void chooseForeground();
    void chooseBackground();
    void chooseTextColour();
    void chooseTextBackground();
    void chooseFont();
    void setResolution(int index);
    void drawTyped();

private:
    QWidget *makeControls();
    // Sends a drawing shape between two points exactly as "确定" does.
    void sendShape(LiveShape shape, QPoint start, QPoint end);
    // Records, mirrors and (with the port open) sends a frame.
    void sendLive(const QByteArray &frame, bool mirror);
    void showScreen();
    void resetScreenView();
    void showColour(int which);
    // Asks for colour `which`; false on Cancel.
    bool chooseColour(int which);
    void screenMouse(QPoint imagePoint, bool click);
    bool eventFilter(QObject *watched, QEvent *event) override;

    DebugSession &m_session;
    Prompts &m_prompts;
    LiveMirror m_mirror;
    LiveClicks m_clicks;
    QTimer *m_timer = nullptr;
    QString m_picturePath; // the list's picture on the screen, until cleared

    QScrollArea *m_screenPane = nullptr;
    QLabel *m_screenLabel = nullptr;
    // Foreground, background, text and text background colours.
    QColor m_colours[4];
    QLabel *m_swatches[4] = {};
    QLineEdit *m_colourValues[4] = {};
    int m_fontSize = 1;
    int m_fontFace = 0;
    int m_resolution = 0;
    QLineEdit *m_layerBox = nullptr;
    QComboBox *m_resolutionBox = nullptr;
    QSlider *m_backlight = nullptr;
    QLineEdit *m_backlightValue = nullptr;
    QLabel *m_fontName = nullptr;
    QComboBox *m_fontMode = nullptr;
    QLineEdit *m_columnSpacing = nullptr;
    QLineEdit *m_rowSpacing = nullptr;
    QButtonGroup *m_shapes = nullptr;
    QLineEdit *m_startX = nullptr;
    QLineEdit *m_startY = nullptr;
    QLineEdit *m_endX = nullptr;
    QLineEdit *m_endY = nullptr;
    QLineEdit *m_textBox = nullptr;
    QLineEdit *m_currentX = nullptr;
    QLineEdit *m_currentY = nullptr;
    QLineEdit *m_colourValue = nullptr;
};

} // namespace h5
