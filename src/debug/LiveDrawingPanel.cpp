#include "debug/LiveDrawingPanel.h"

#include "common/Prompts.h"
#include "debug/DebugWidgets.h"
#include "debug/LiveFontForm.h"
#include "link/DebugSession.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace h5 {

namespace {

QLineEdit *readOut(const QString &name, QWidget *parent, int width = 60)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setMaximumWidth(width);
    return box;
}

QLineEdit *numberBox(const QString &name, QWidget *parent)
{
    auto *box = new QLineEdit(QStringLiteral("0"), parent);
    box->setObjectName(name);
    box->setMaximumWidth(60);
    return box;
}

} // namespace

LiveDrawingPanel::LiveDrawingPanel(DebugSession &session, Prompts &prompts, QWidget *parent)
    : QWidget(parent), m_session(session), m_prompts(prompts)
{
    setObjectName(QStringLiteral("lowerHalf"));
    // Foreground and text white, background and text background blue.
    m_colours[0] = m_colours[2] = QColor(255, 255, 255);
    m_colours[1] = m_colours[3] = QColor(0, 0, 255);
    m_mirror.setResolution(terminalResolutions()[0].width, terminalResolutions()[0].height,
                           colour565(m_colours[1]));
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("liveTimer"));
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &LiveDrawingPanel::liveTick);

    // The whole pane takes the mouse, the grey beside a small screen image
    // too: a click there is outside the screen.
    m_screenLabel = new QLabel;
    m_screenLabel->setObjectName(QStringLiteral("simulatedScreen"));
    m_screenLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_screenPane = new QScrollArea(this);
    m_screenPane->setObjectName(QStringLiteral("screenPane"));
    m_screenPane->setWidget(m_screenLabel);
    m_screenPane->viewport()->setMouseTracking(true);
    m_screenPane->viewport()->installEventFilter(this);
    // 470 x 320 where there is room; on a low screen it gives up height
    // down to what a 320X240 screen image needs, and scrolls.
    m_screenPane->setFixedWidth(470);
    m_screenPane->setMinimumHeight(260);
    m_screenPane->setMaximumHeight(320);
    m_screenPane->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    m_screenPane->horizontalScrollBar()->setSingleStep(1);
    m_screenPane->verticalScrollBar()->setSingleStep(1);
    showScreen();

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeControls(), 1);
    layout->addWidget(m_screenPane, 0);
    // Asks for the pane's full 320 pixels where there is room.
    layout->addItem(new QSpacerItem(0, 320, QSizePolicy::Minimum, QSizePolicy::Preferred));
}

QWidget *LiveDrawingPanel::makeControls()
{
    // Two columns: the device commands and colours, then the font and
    // drawing groups.
    auto *panel = new QWidget(this);
    auto *columns = new QHBoxLayout(panel);
    columns->setContentsMargins(0, 0, 0, 0);
    auto *column = new QVBoxLayout;
    auto *second = new QVBoxLayout;
    columns->addLayout(column);
    columns->addLayout(second);

    // Layer, resolution, backlight, calibration and clear screen.
    auto *device = new QGridLayout;
    auto *layerGroup = new QGroupBox(QStringLiteral("切换层号"), panel);
    m_layerBox = numberBox(QStringLiteral("layerBox"), layerGroup);
    auto *layerOk = button(QStringLiteral("OK"), QStringLiteral("layerButton"), layerGroup);
    auto *layerRow = new QHBoxLayout(layerGroup);
    layerRow->addWidget(new QLabel(QStringLiteral("层号"), layerGroup));
    layerRow->addWidget(m_layerBox);
    layerRow->addWidget(layerOk);
    device->addWidget(layerGroup, 0, 0, 1, 4);

    m_resolutionBox = new QComboBox(panel);
    m_resolutionBox->setObjectName(QStringLiteral("resolutionCombo"));
    for (const TerminalResolution &r : terminalResolutions())
        m_resolutionBox->addItem(QString::fromLatin1(r.name));
    device->addWidget(new QLabel(QStringLiteral("终端分辨率："), panel), 1, 0);
    device->addWidget(m_resolutionBox, 1, 1, 1, 3);

    m_backlight = new QSlider(Qt::Horizontal, panel);
    m_backlight->setObjectName(QStringLiteral("backlightSlider"));
    m_backlight->setRange(0, 63);
    m_backlightValue = readOut(QStringLiteral("backlightValue"), panel, 40);
    m_backlightValue->setText(QStringLiteral("0"));
    device->addWidget(new QLabel(QStringLiteral("背光控制"), panel), 2, 0);
    device->addWidget(m_backlight, 2, 1, 1, 2);
    device->addWidget(m_backlightValue, 2, 3);

    auto *calibrateButton = button(QStringLiteral("触摸板校准"), QStringLiteral("calibrateButton"), panel);
    auto *clear = button(QStringLiteral("清屏"), QStringLiteral("clearScreenButton"), panel);
    device->addWidget(calibrateButton, 3, 0, 1, 2);
    device->addWidget(clear, 3, 2, 1, 2);
    column->addLayout(device);

    // The colours: a button, its swatch and its RGB565 value each.
    auto colourRow = [this](int which, const QString &caption, const QString &name, QWidget *parent) {
        auto *row = new QHBoxLayout;
        auto *b = button(caption, name + QStringLiteral("Button"), parent);
        m_swatches[which] = new QLabel(parent);
        m_swatches[which]->setObjectName(name + QStringLiteral("Swatch"));
        m_swatches[which]->setFixedSize(20, 20);
        m_swatches[which]->setAutoFillBackground(true);
        m_colourValues[which] = readOut(name + QStringLiteral("Value"), parent, 70);
        row->addWidget(b);
        row->addWidget(m_swatches[which]);
        row->addWidget(m_colourValues[which]);
        row->addStretch();
        showColour(which);
        return std::make_pair(row, b);
    };
    auto fg = colourRow(0, QStringLiteral("前景色"), QStringLiteral("foreground"), panel);
    auto bg = colourRow(1, QStringLiteral("背景色"), QStringLiteral("background"), panel);
    column->addLayout(fg.first);
    column->addLayout(bg.first);

    // The font group.
    auto *fontGroup = new QGroupBox(QStringLiteral("字体设置"), panel);
    fontGroup->setObjectName(QStringLiteral("fontGroup"));
    auto *fontGrid = new QGridLayout(fontGroup);
    auto *fontButton = button(QStringLiteral("字体设置"), QStringLiteral("fontButton"), fontGroup);
    m_fontName = new QLabel(liveFontName(m_fontSize, m_fontFace), fontGroup);
    m_fontName->setObjectName(QStringLiteral("fontName"));
    auto tc = colourRow(2, QStringLiteral("文本色"), QStringLiteral("textColour"), fontGroup);
    auto tbg = colourRow(3, QStringLiteral("背景色"), QStringLiteral("textBackground"), fontGroup);
    m_fontMode = new QComboBox(fontGroup);
    m_fontMode->setObjectName(QStringLiteral("fontModeCombo"));
    m_fontMode->addItem(QStringLiteral("前景色显示背景色不显示"));
    m_fontMode->addItem(QStringLiteral("前景色显示背景色显示"));
    m_columnSpacing = numberBox(QStringLiteral("columnSpacingBox"), fontGroup);
    m_rowSpacing = numberBox(QStringLiteral("rowSpacingBox"), fontGroup);
    fontGrid->addWidget(fontButton, 0, 0);
    fontGrid->addWidget(m_fontName, 0, 1, 1, 3);
    fontGrid->addLayout(tc.first, 1, 0, 1, 2);
    fontGrid->addLayout(tbg.first, 1, 2, 1, 2);
    fontGrid->addWidget(new QLabel(QStringLiteral("字体显示"), fontGroup), 2, 0);
    fontGrid->addWidget(m_fontMode, 2, 1, 1, 3);
    fontGrid->addWidget(new QLabel(QStringLiteral("列间距："), fontGroup), 3, 0);
    fontGrid->addWidget(m_columnSpacing, 3, 1);
    fontGrid->addWidget(new QLabel(QStringLiteral("行间距："), fontGroup), 3, 2);
    fontGrid->addWidget(m_rowSpacing, 3, 3);
    second->addWidget(fontGroup);

    // The drawing group.
    auto *drawGroup = new QGroupBox(QStringLiteral("作图"), panel);
    drawGroup->setObjectName(QStringLiteral("drawGroup"));
    auto *drawGrid = new QGridLayout(drawGroup);
    m_shapes = new QButtonGroup(drawGroup);
    const char *captions[10] = {"点", "直线", "折线", "空心矩形", "实心矩形",
                                "空心椭圆", "实心椭圆", "空心圆", "实心圆", "文本"};
    for (int i = 0; i < 10; ++i) {
        auto *radio = new QRadioButton(QString::fromUtf8(captions[i]), drawGroup);
        radio->setObjectName(QStringLiteral("shape%1").arg(i));
        m_shapes->addButton(radio, i);
        drawGrid->addWidget(radio, i / 5, i % 5);
    }
    m_shapes->button(0)->setChecked(true);
    m_startX = numberBox(QStringLiteral("startXBox"), drawGroup);
    m_startY = numberBox(QStringLiteral("startYBox"), drawGroup);
    m_endX = numberBox(QStringLiteral("endXBox"), drawGroup);
    m_endY = numberBox(QStringLiteral("endYBox"), drawGroup);
    m_textBox = new QLineEdit(drawGroup);
    m_textBox->setObjectName(QStringLiteral("textBox"));
    m_textBox->setEnabled(false);
    auto *draw = button(QStringLiteral("确定"), QStringLiteral("drawButton"), drawGroup);
    auto *points = new QHBoxLayout;
    points->addWidget(new QLabel(QStringLiteral("起点坐标"), drawGroup));
    points->addWidget(m_startX);
    points->addWidget(m_startY);
    points->addWidget(new QLabel(QStringLiteral("终点坐标"), drawGroup));
    points->addWidget(m_endX);
    points->addWidget(m_endY);
    points->addStretch();
    drawGrid->addLayout(points, 2, 0, 1, 5);
    auto *textRow = new QHBoxLayout;
    textRow->addWidget(m_textBox, 1);
    textRow->addWidget(draw);
    drawGrid->addLayout(textRow, 3, 0, 1, 5);
    second->addWidget(drawGroup);
    second->addStretch();

    // Where the pointer is on the simulated screen and its colour there.
    m_currentX = readOut(QStringLiteral("currentXBox"), panel);
    m_currentY = readOut(QStringLiteral("currentYBox"), panel);
    m_colourValue = readOut(QStringLiteral("colourValueBox"), panel);
    m_colourValue->setMinimumWidth(50);
    m_currentX->setText(QStringLiteral("0"));
    m_currentY->setText(QStringLiteral("0"));
    auto *readOuts = new QHBoxLayout;
    readOuts->addWidget(new QLabel(QStringLiteral("当前坐标"), panel));
    readOuts->addWidget(m_currentX);
    readOuts->addWidget(m_currentY);
    readOuts->addWidget(new QLabel(QStringLiteral("颜色值"), panel));
    readOuts->addWidget(m_colourValue);
    readOuts->addStretch();
    column->addLayout(readOuts);
    column->addStretch();

    connect(layerOk, &QPushButton::clicked, this, &LiveDrawingPanel::switchLayer);
    connect(m_resolutionBox, &QComboBox::currentIndexChanged, this, &LiveDrawingPanel::setResolution);
    connect(m_backlight, &QSlider::valueChanged, this,
            [this](int v) { m_backlightValue->setText(QString::number(v)); });
    // Every change is sent (a click on the groove, the wheel, the keys);
    // a drag only once, when the slider is let go.
    connect(m_backlight, &QSlider::valueChanged, this, [this] {
        if (!m_backlight->isSliderDown())
            sendBacklight();
    });
    connect(m_backlight, &QSlider::sliderReleased, this, &LiveDrawingPanel::sendBacklight);
    connect(calibrateButton, &QPushButton::clicked, this, &LiveDrawingPanel::calibrate);
    connect(clear, &QPushButton::clicked, this, &LiveDrawingPanel::clearScreen);
    connect(fg.second, &QPushButton::clicked, this, &LiveDrawingPanel::chooseForeground);
    connect(bg.second, &QPushButton::clicked, this, &LiveDrawingPanel::chooseBackground);
    connect(tc.second, &QPushButton::clicked, this, &LiveDrawingPanel::chooseTextColour);
    connect(tbg.second, &QPushButton::clicked, this, &LiveDrawingPanel::chooseTextBackground);
    connect(fontButton, &QPushButton::clicked, this, &LiveDrawingPanel::chooseFont);
    connect(m_shapes, &QButtonGroup::idClicked, this, [this](int id) {
        m_textBox->setEnabled(id == int(LiveShape::Text));
        m_clicks.setShape(LiveShape(id));
    });
    connect(draw, &QPushButton::clicked, this, &LiveDrawingPanel::drawTyped);
    setResolution(0);
    return panel;
}

void LiveDrawingPanel::setLive(bool on)
{
    if (on)
        m_timer->start();
    else
        m_timer->stop();
}

// ---- the simulated screen ---------------------------------------------------------

void LiveDrawingPanel::showScreen()
{
    m_screenLabel->setPixmap(QPixmap::fromImage(m_mirror.image()));
    m_screenLabel->resize(m_mirror.image().size());
}

void LiveDrawingPanel::resetScreenView()
{
    showScreen();
    m_screenPane->horizontalScrollBar()->setValue(0);
    m_screenPane->verticalScrollBar()->setValue(0);
}

void LiveDrawingPanel::showPicture(const QString &path, const QImage &picture)
{
    // The background colour, the picture at its own size at the terminal's
    // origin, scrolled back to the origin.
    m_picturePath = path;
    m_mirror.showPicture(picture, colour565(m_colours[1]));
    resetScreenView();
}

void LiveDrawingPanel::setResolution(int index)
{
    const auto &list = terminalResolutions();
    if (index < 0 || size_t(index) >= list.size())
        return;
    m_resolution = index;
    const TerminalResolution &r = list[size_t(index)];
    m_mirror.setResolution(r.width, r.height, colour565(m_colours[1]));
    m_layerBox->setEnabled(r.layerBoxEnabled);
    if (!m_picturePath.isEmpty()) {
        QImage picture;
        if (picture.load(m_picturePath))
            m_mirror.showPicture(picture, colour565(m_colours[1]));
    }
    resetScreenView();
}

bool LiveDrawingPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (m_screenPane && watched == m_screenPane->viewport()) {
        // Pane point to image pixel: the image sits at the pane's origin,
        // moved by the scroll positions.
        auto imagePoint = [this](QEvent *e) {
            return static_cast<QMouseEvent *>(e)->position().toPoint() - m_screenLabel->pos();
        };
        if (event->type() == QEvent::MouseMove) {
            screenMouse(imagePoint(event), false);
        } else if (event->type() == QEvent::MouseButtonPress
                   && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            screenMouse(imagePoint(event), true);
        }
    }
    return QWidget::eventFilter(watched, event);
}

// `imagePoint` is a pixel of the screen image: terminal point (x, y) lies at
// (x + 2, y + 2).
void LiveDrawingPanel::screenMouse(QPoint imagePoint, bool click)
{
    const QPoint terminal = imagePoint - QPoint(LiveMirror::kOffset, LiveMirror::kOffset);
    m_clicks.move(terminal, m_mirror.width(), m_mirror.height());
    if (click)
        m_clicks.click();
}

void LiveDrawingPanel::liveTick()
{
    const QPoint p = m_clicks.position();
    m_currentX->setText(QString::number(p.x()));
    m_currentY->setText(QString::number(p.y()));
    m_colourValue->setText(QStringLiteral("%1").arg(m_mirror.colourAt(p), 4, 16, QLatin1Char('0')));
    for (const LiveClicks::Shape &s : m_clicks.takeFired())
        sendShape(s.shape, s.start, s.shape == LiveShape::Point ? m_clicks.lastEnd() : s.end);
}

// ---- sending -------------------------------------------------------------------------

void LiveDrawingPanel::sendLive(const QByteArray &frame, bool mirror)
{
    if (frame.isEmpty())
        return;
    m_session.sendCommand(frame);
    if (mirror) {
        m_mirror.draw(frame);
        showScreen();
    }
}

void LiveDrawingPanel::sendShape(LiveShape shape, QPoint start, QPoint end)
{
    LiveFrame frame;
    if (shape == LiveShape::Text) {
        LiveTextStyle style;
        style.colour565 = colour565(m_colours[2]);
        style.background565 = colour565(m_colours[3]);
        style.columnSpacing = typedNumber(m_columnSpacing);
        style.rowSpacing = typedNumber(m_rowSpacing);
        style.mode = m_fontMode->currentIndex();
        style.sizeIndex = m_fontSize;
        style.faceIndex = m_fontFace;
        frame = textFrame(style, start, m_textBox->text());
    } else {
        frame = shapeFrame(shape, colour565(m_colours[0]), start, end);
    }
    if (!frame.refusal.isEmpty()) {
        m_prompts.message(frame.refusal);
        return;
    }
    sendLive(frame.bytes, true);
}

void LiveDrawingPanel::drawTyped()
{
    const LiveShape shape = LiveShape(std::max(m_shapes->checkedId(), 0));
    sendShape(shape, QPoint(typedNumber(m_startX), typedNumber(m_startY)),
              QPoint(typedNumber(m_endX), typedNumber(m_endY)));
}

void LiveDrawingPanel::calibrate() { sendLive(calibrationFrame(), false); }

void LiveDrawingPanel::sendBacklight() { sendLive(backlightFrame(m_backlight->value()), false); }

void LiveDrawingPanel::switchLayer()
{
    const int layer = typedNumber(m_layerBox);
    const QString refusal = layerSwitchRefusal(m_resolution, layer);
    if (!refusal.isEmpty()) {
        m_prompts.message(refusal);
        return;
    }
    sendLive(layerSwitchFrame(layer), false);
}

// Clear screen and a new background colour also reset the simulated
// screen: the list's picture is forgotten, the image filled with the
// background colour and scrolled back to the origin.
void LiveDrawingPanel::clearScreen()
{
    const uint16_t bg = colour565(m_colours[1]);
    sendLive(clearScreenFrame(bg), false);
    m_picturePath.clear();
    m_mirror.fill(bg);
    resetScreenView();
}

// ---- colours and font ------------------------------------------------------------------

void LiveDrawingPanel::showColour(int which)
{
    QPalette palette = m_swatches[which]->palette();
    palette.setColor(QPalette::Window, m_colours[which]);
    m_swatches[which]->setPalette(palette);
    m_colourValues[which]->setText(QStringLiteral("0x%1").arg(colour565(m_colours[which]), 4, 16, QLatin1Char('0')));
}

bool LiveDrawingPanel::chooseColour(int which)
{
    const QColor c = m_prompts.chooseColour(m_colours[which], QString());
    if (!c.isValid())
        return false;
    m_colours[which] = c;
    showColour(which);
    return true;
}

void LiveDrawingPanel::chooseForeground() { chooseColour(0); }

void LiveDrawingPanel::chooseBackground()
{
    if (chooseColour(1))
        clearScreen(); // the new background colour goes to the terminal at once
}

void LiveDrawingPanel::chooseTextColour() { chooseColour(2); }

void LiveDrawingPanel::chooseTextBackground() { chooseColour(3); }

void LiveDrawingPanel::chooseFont()
{
    LiveFontForm form(m_fontSize, m_fontFace, this);
    if (!m_prompts.runForm(form))
        return;
    const int size = form.sizeIndex();
    const int face = form.faceIndex();
    if (liveFontCode(size, face) < 0)
        return; // the chooser offers no such font
    m_fontSize = size;
    m_fontFace = face;
    m_fontName->setText(liveFontName(size, face));
}

} // namespace h5
