#include "debug/PointerMakerWindow.h"

#include "common/Gbk.h"
#include "common/Prompts.h"
#include "edit/FormValues.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace h5 {

namespace {

const QSize kPreviewSize(300, 300);
const QString kFilter = QStringLiteral("MGL文件(*.MGL)");

// A box's number as typed; what does not read as a decimal number is 0.
int boxNumber(const QLineEdit *box)
{
    bool ok = false;
    const int v = box->text().trimmed().toInt(&ok, 10);
    return ok ? v : 0;
}

} // namespace

PointerMakerWindow::PointerMakerWindow(Prompts &prompts, QWidget *parent)
    : QDialog(parent), m_prompts(prompts), m_own(prompts.forWindow(this))
{
    setWindowTitle(QStringLiteral("指针制作"));
    auto *top = new QHBoxLayout(this);

    auto *left = new QVBoxLayout;
    auto *numbers = new QGridLayout;
    const PointerPreviewOptions initial;
    struct Row { const char *label; const char *object; int value, lo, hi; QLineEdit **box; };
    const Row rows[] = {
        {"全长:", "length", initial.length, 2, 400, &m_length},
        {"尖端取消:", "tipCut", initial.tipCut, 0, 400, &m_tip},
        {"开始:", "startAngle", initial.startAngle, -360, 360, &m_start},
        {"结束:", "endAngle", initial.endAngle, -360, 360, &m_end},
    };
    int r = 0;
    for (const Row &row : rows) {
        auto *holder = new QWidget(this);
        *row.box = numberBox(row.object, row.value, row.lo, row.hi, holder);
        numbers->addWidget(new QLabel(QString::fromUtf8(row.label), this), r, 0);
        numbers->addWidget(holder, r, 1);
        ++r;
    }
    left->addLayout(numbers);

    m_name = new QLineEdit(QStringLiteral("Len(20,0);0?-180"), this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setReadOnly(true);
    m_name->setMaxLength(kPointerNameSize);
    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("名称"), this));
    nameRow->addWidget(m_name);
    left->addLayout(nameRow);

    m_scale = new QCheckBox(QStringLiteral("刻度视图"), this);
    m_scale->setObjectName(QStringLiteral("scaleView"));
    m_circle = new QCheckBox(QStringLiteral("指针圆"), this);
    m_circle->setObjectName(QStringLiteral("pointerCircle"));
    left->addWidget(m_scale);
    left->addWidget(m_circle);
    connect(m_scale, &QCheckBox::toggled, this, [this] { repaintPreview(); });
    connect(m_circle, &QCheckBox::toggled, this, [this] { repaintPreview(); });

    auto *generate = new QPushButton(QStringLiteral("生成"), this);
    generate->setObjectName(QStringLiteral("generate"));
    auto *load = new QPushButton(QStringLiteral("加载"), this);
    load->setObjectName(QStringLiteral("load"));
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(generate);
    buttons->addWidget(load);
    buttons->addWidget(cancel);
    left->addLayout(buttons);
    left->addStretch();
    top->addLayout(left);

    auto *frame = new QGroupBox(QStringLiteral("预览"), this);
    auto *frameLayout = new QVBoxLayout(frame);
    m_view = new QLabel(frame);
    m_view->setObjectName(QStringLiteral("preview"));
    m_view->setFixedSize(kPreviewSize);
    frameLayout->addWidget(m_view);
    top->addWidget(frame);

    connect(generate, &QPushButton::clicked, this, [this] {
        if (!checkNumbers())
            return;
        FileRequest request;
        request.kind = FileRequest::Kind::Save;
        request.filter = kFilter;
        request.confirmOverwrite = false;
        const QString path = m_own->chooseFile(request);
        if (!path.isEmpty())
            generateTo(path);
    });
    connect(load, &QPushButton::clicked, this, [this] {
        FileRequest request;
        request.filter = kFilter;
        const QString path = m_own->chooseFile(request);
        if (!path.isEmpty())
            loadFrom(path);
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, [this] { repaintPreview(); });
    m_timer->start();
}

QLineEdit *PointerMakerWindow::numberBox(const char *objectName, int initial, int lo, int hi, QWidget *row)
{
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *box = new QLineEdit(QString::number(initial), row);
    box->setObjectName(QString::fromLatin1(objectName));
    layout->addWidget(box);
    // The arrows step within their range; a typed value is used as typed.
    auto step = [box, lo, hi](int by) {
        box->setText(QString::number(std::clamp(boxNumber(box) + by, lo, hi)));
    };
    auto *up = new QToolButton(row);
    up->setArrowType(Qt::UpArrow);
    up->setObjectName(QString::fromLatin1(objectName) + QStringLiteral("Up"));
    auto *down = new QToolButton(row);
    down->setArrowType(Qt::DownArrow);
    down->setObjectName(QString::fromLatin1(objectName) + QStringLiteral("Down"));
    up->setAutoRepeat(true);
    down->setAutoRepeat(true);
    connect(up, &QToolButton::clicked, box, [step] { step(1); });
    connect(down, &QToolButton::clicked, box, [step] { step(-1); });
    layout->addWidget(up);
    layout->addWidget(down);
    return box;
}

PointerPreviewOptions PointerMakerWindow::currentValues() const
{
    PointerPreviewOptions o;
    o.length = boxNumber(m_length);
    o.tipCut = boxNumber(m_tip);
    o.startAngle = boxNumber(m_start);
    o.endAngle = boxNumber(m_end);
    o.positions = m_positions;
    o.scaleView = m_scale->isChecked();
    o.pointerCircle = m_circle->isChecked();
    return o;
}

QString PointerMakerWindow::name() const { return m_name->text(); }

void PointerMakerWindow::repaintPreview()
{
    const PointerPreviewOptions o = currentValues();
    const QString text = fromGbk(pointerMakerName(o.length, o.tipCut, o.startAngle, o.endAngle));
    if (m_name->text() != text)
        m_name->setText(text);
    m_preview = renderPointerPreview(kPreviewSize, o);
    m_view->setPixmap(QPixmap::fromImage(m_preview));
}

bool PointerMakerWindow::checkNumbers()
{
    // The ranges of the arrows, checked with the property forms' messages.
    struct Check { QLineEdit *box; int lo, hi; };
    const Check checks[] = {
        {m_length, 2, 400},
        {m_tip, 0, 400},
        {m_start, -360, 360},
        {m_end, -360, 360},
    };
    for (const Check &c : checks) {
        int value = 0;
        const FormError e = readIntBox(c.box->objectName(), c.box->text(),
                                       IntCheck{true, true, c.lo, c.hi}, value);
        if (e) {
            report(e.message);
            c.box->setFocus();
            c.box->selectAll();
            return false;
        }
    }
    return true;
}

QString PointerMakerWindow::generateTo(const QString &chosen)
{
    if (!checkNumbers())
        return QString();
    repaintPreview();
    const QString path = withMglSuffix(chosen);
    const PointerPreviewOptions o = currentValues();
    PointerFileHeader h = makePointerHeader(o.length, o.tipCut, o.startAngle, o.endAngle);
    h.positions = m_positions;
    QString error;
    if (!pointerNumbersFit(h, &error) || !savePointerFile(path, h, &error)) {
        report(error);
        return QString();
    }
    inform(writtenText(path));
    return path;
}

bool PointerMakerWindow::loadFrom(const QString &path)
{
    PointerFileHeader h;
    QString error;
    if (!readPointerFile(path, h, &error)) {
        report(error);
        return false;
    }
    m_name->setText(fromGbk(h.name));
    m_length->setText(QString::number(h.length));
    m_tip->setText(QString::number(h.tipCut));
    m_start->setText(QString::number(h.startAngle));
    m_end->setText(QString::number(h.endAngle));
    m_positions = h.positions;
    return true;
}

PointerMakerWindow::~PointerMakerWindow() = default;

QString PointerMakerWindow::writtenText(const QString &path)
{
    return QStringLiteral("已生成指针文件：%1").arg(QDir::toNativeSeparators(path));
}

void PointerMakerWindow::inform(const QString &text)
{
    m_prompts.message(MessageKind::Information, text);
}

void PointerMakerWindow::report(const QString &text)
{
    m_prompts.message(MessageKind::Warning, text);
}

} // namespace h5
