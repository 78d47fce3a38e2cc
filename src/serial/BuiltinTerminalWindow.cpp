#include "serial/BuiltinTerminalWindow.h"

#include "common/Prompts.h"
#include "port/BuiltinTerminal.h"
#include "terminal/ScreenPainting.h"
#include "terminal/VirtualTerminal.h"

#include <QDir>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace h5 {

namespace {

// The screen, scaled to its part of the window; a left click is a touch.
class ScreenWidget : public QWidget
{
public:
    explicit ScreenWidget(BuiltinTerminal &terminal, QWidget *parent) : QWidget(parent), m_terminal(terminal)
    {
        setObjectName(QStringLiteral("builtinScreen"));
        const QSize size = terminal.screenImage().size();
        setMinimumSize(size.scaled(QSize(400, 300), Qt::KeepAspectRatio));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }
    QSize sizeHint() const override { return m_terminal.screenImage().size(); }

    void paint(QPainter &p) const
    {
        paintTerminalScreen(p, size(), m_terminal.screenImage(), m_terminal.backlight());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        paint(p);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        int x = 0, y = 0;
        if (event->button() == Qt::LeftButton
            && terminalPointIn(size(), m_terminal.screenImage().size(), event->position(), x, y))
            m_terminal.touch(x, y);
    }

private:
    BuiltinTerminal &m_terminal;
};

QPointer<BuiltinTerminalWindow> &theWindow()
{
    static QPointer<BuiltinTerminalWindow> window;
    return window;
}

void deleteTheWindow()
{
    delete theWindow().data();
}

} // namespace

BuiltinTerminalWindow::BuiltinTerminalWindow(BuiltinTerminal &terminal, Prompts &prompts, QWidget *parent)
    : QWidget(parent), m_terminal(terminal), m_alive(&terminal)
{
    m_prompts = prompts.forWindow(this);
    setObjectName(QStringLiteral("builtinTerminalWindow"));
    setWindowTitle(BuiltinTerminal::deviceName());

    m_screen = new ScreenWidget(terminal, this);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("builtinState"));
    m_flash = new QLabel(this);
    m_flash->setObjectName(QStringLiteral("builtinFlash"));
    m_flash->setWordWrap(true);
    m_flash->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_erase = new QPushButton(QStringLiteral("清空闪存"), this);
    m_erase->setObjectName(QStringLiteral("builtinEraseButton"));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_state);
    bottom->addStretch(1);
    bottom->addWidget(m_erase);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_screen, 1);
    layout->addWidget(m_flash);
    layout->addLayout(bottom);

    connect(&terminal, &BuiltinTerminal::screenChanged, m_screen, qOverload<>(&QWidget::update));
    connect(&terminal, &BuiltinTerminal::lineOpened, this, &BuiltinTerminalWindow::showState);
    connect(&terminal, &BuiltinTerminal::lineClosed, this, &BuiltinTerminalWindow::showState);
    connect(m_erase, &QPushButton::clicked, this, &BuiltinTerminalWindow::eraseFlash);
    // The window goes with its terminal (a test replaces the terminal): it
    // is hidden at once, so nothing paints the terminal that is gone.
    connect(&terminal, &QObject::destroyed, this, [this] {
        hide();
        deleteLater();
    });
    showState();
}

BuiltinTerminalWindow::~BuiltinTerminalWindow() = default;

BuiltinTerminalWindow *BuiltinTerminalWindow::showFor(BuiltinTerminal &terminal, Prompts &prompts)
{
    QPointer<BuiltinTerminalWindow> &w = theWindow();
    if (w && w->m_alive != &terminal) {
        delete w.data();
        w = nullptr;
    }
    if (!w) {
        w = new BuiltinTerminalWindow(terminal, prompts);
        static bool routineAdded = false;
        if (!routineAdded) {
            qAddPostRoutine(deleteTheWindow);
            routineAdded = true;
        }
    }
    w->showState();
    if (!w->isVisible()) {
        w->show();
    }
    return w;
}

BuiltinTerminalWindow *BuiltinTerminalWindow::current()
{
    return theWindow().data();
}

QImage BuiltinTerminalWindow::picture() const
{
    QImage out(m_screen->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter p(&out);
    static_cast<ScreenWidget *>(m_screen)->paint(p);
    return out;
}

void BuiltinTerminalWindow::showState()
{
    m_state->setText(m_terminal.line() ? QStringLiteral("串口已连接") : QStringLiteral("串口未连接"));
    QString flash = m_terminal.flashPath().isEmpty()
                        ? QStringLiteral("闪存只在内存中，程序结束即清空")
                        : QStringLiteral("闪存保存在：%1").arg(QDir::toNativeSeparators(m_terminal.flashPath()));
    if (!m_terminal.flashProblem().isEmpty())
        flash += QLatin1Char('\n') + m_terminal.flashProblem();
    m_flash->setText(flash);
}

void BuiltinTerminalWindow::eraseFlash()
{
    const QString question = QStringLiteral("清空内置虚拟终端的闪存（工程、图片和字库）？");
    // "否" is the default: Enter or Escape keeps the flash.
    if (!m_prompts->question(question, QuestionButtons::YesNo, false))
        return;
    QString error;
    if (!m_terminal.eraseFlash(&error))
        m_prompts->message(MessageKind::Warning, error);
    showState();
    m_screen->update();
}

} // namespace h5
