#include "debug/DebugWindow.h"

#include "debug/DebugWidgets.h"
#include "debug/StatusText.h"

#include "common/FileIo.h"
#include "common/Gbk.h"
#include "common/Notifier.h"
#include "pictures/PictureConvert.h"
#include "serial/PortControls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace h5 {

namespace {

// The rates of the baud box, fastest first (the debug window offers no
// 230400).
const QList<int> kDebugRates = {1228800, 921600, 460800, 115200, 57600, 38400, 19200, 9600, 4800, 2400};

constexpr int kMaxPictureNumber = 599;
constexpr int kBarSteps = 1000;

const QString kRecordFile = QStringLiteral("serialNote.txt");
const QString kPortNotOpen = QStringLiteral("串口未打开!");
const QString kPortClosed = QStringLiteral("串口已关闭!");

// Room a window manager takes around a window not yet shown: the title bar
// and the borders.
const QSize kFrameGuess(16, 40);

} // namespace

// Helpers the window's other files use too.
QTableWidget *makeListView(QWidget *parent, const QStringList &headers, const QList<int> &widths,
                           const QString &name)
{
    auto *view = new QTableWidget(0, int(headers.size()), parent);
    view->setObjectName(name);
    view->setHorizontalHeaderLabels(headers);
    for (int i = 0; i < widths.size(); ++i)
        view->setColumnWidth(i, widths[i]);
    view->verticalHeader()->setVisible(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setShowGrid(true);
    // Only the number is edited, and only after a double click on its row.
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->horizontalHeader()->setStretchLastSection(false);
    return view;
}

namespace {

QTableWidgetItem *cell(const QString &text, bool editable)
{
    auto *item = new QTableWidgetItem(text);
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (editable)
        flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    return item;
}

} // namespace

uint16_t colour565(const QColor &c)
{
    return rgb565(c.red(), c.green(), c.blue());
}

QPushButton *button(const QString &caption, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLineEdit *digitsBox(const QString &name, QWidget *parent)
{
    auto *box = new QLineEdit(QStringLiteral("0"), parent);
    box->setObjectName(name);
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box));
    box->setMaximumWidth(70);
    return box;
}

namespace {

QProgressBar *bar(const QString &name, QWidget *parent)
{
    auto *b = new QProgressBar(parent);
    b->setObjectName(name);
    b->setTextVisible(false);
    b->setRange(0, kBarSteps);
    b->setValue(0);
    return b;
}

} // namespace

// The list operations' messages and questions go where the link's go.
class DebugWindow::Notes : public Notifier
{
public:
    explicit Notes(DebugWindow &window) : m_window(window) {}
    void message(const QString &text) override { m_window.m_host->message(text); }
    bool question(const QString &text) override { return m_window.m_host->ask(text); }
    void status(const QString &text) override { m_window.m_host->status(text); }

private:
    DebugWindow &m_window;
};

DebugWindow::DebugWindow(Prompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_prompts(prompts.forWindow(this))
{
    setObjectName(QStringLiteral("DebugWindow"));
    setWindowTitle(QStringLiteral("在线调试"));

    // Foreground and text white, background and text background blue.
    m_colours[0] = m_colours[2] = QColor(255, 255, 255);
    m_colours[1] = m_colours[3] = QColor(0, 0, 255);
    m_mirror.setResolution(terminalResolutions()[0].width, terminalResolutions()[0].height,
                           colour565(m_colours[1]));
    m_liveTimer = new QTimer(this);
    m_liveTimer->setObjectName(QStringLiteral("liveTimer"));
    m_liveTimer->setInterval(100);
    connect(m_liveTimer, &QTimer::timeout, this, &DebugWindow::liveTick);

    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("content"));
    m_upper = new QWidget(m_content);
    m_upper->setObjectName(QStringLiteral("upperHalf"));
    QWidget *pictureGroup = makePictureGroup();

    m_ports = new PortControls(m_comm, *m_prompts, m_upper);
    m_ports->setBaudRates(kDebugRates);
    m_ports->setCloseEnabledWhileClosed(false);
    m_ports->setCaptions(QStringLiteral("端口："), QStringLiteral("波特率："));
    auto *serialRow = new QHBoxLayout;
    serialRow->addWidget(m_ports, 1);
    serialRow->addWidget(makeBesideSerial());

    auto *left = new QVBoxLayout;
    left->addWidget(pictureGroup, 1);
    left->addLayout(serialRow);
    auto *right = new QVBoxLayout;
    right->addWidget(makeExtensionGroup());
    right->addWidget(makeRecordGroup(), 1);
    auto *upper = new QHBoxLayout(m_upper);
    upper->setContentsMargins(0, 0, 0, 0);
    upper->addLayout(left, 3);
    upper->addLayout(right, 2);

    m_rule = new QFrame(m_content);
    m_rule->setObjectName(QStringLiteral("halfRule"));
    m_rule->setFrameShape(QFrame::HLine);
    m_rule->setFrameShadow(QFrame::Sunken);

    m_lower = makeLowerHalf();
    m_lower->setVisible(false);

    auto *main = new QVBoxLayout(m_content);
    main->setContentsMargins(4, 4, 4, 4);
    main->setSpacing(2);
    main->addWidget(m_upper, 1);
    main->addWidget(m_rule);
    main->addWidget(m_lower);

    // On a small screen the window keeps a usable size and its content
    // scrolls.
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("formScroll"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_content);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_scroll);

    m_notes = std::make_unique<Notes>(*this);
    m_host = std::make_unique<WindowLinkHost>(*this, *m_prompts, m_comm, *m_ports, *m_pictureStatus,
                                              *m_pictureProgress);
    m_host->setYesNoQuestions(true);
    m_session = std::make_unique<DebugSession>(*m_host);
    m_session->setSendStatusSink([this](const QString &text) { m_sendStatus->setText(text); });
    m_session->setSendProgressSink([this](qint64 done, qint64 total) {
        m_sendProgress->setValue(total > 0 ? int(std::clamp<qint64>(done, 0, total) * kBarSteps / total) : 0);
    });
    m_session->setRecordChanged([this] { recordGrew(); });
    m_host->attach(
        *m_session, [this] { m_session->portOpened(); }, [this] { m_session->portClosed(); });
    m_host->setAfterEvent([this] { afterEvent(); });
    // "关闭" leaves no word of the connection behind.
    connect(m_ports->closeButton(), &QPushButton::clicked, this, [this] {
        if (!m_ports->isOpen())
            m_pictureStatus->setText(kPortClosed);
    });

    connect(m_fullButton, &QPushButton::clicked, this, &DebugWindow::toggleFullForm);

    m_ports->detect();
    resize(fittingSize());
}

QSize DebugWindow::fittingSize() const
{
    const QSize wanted = m_content->sizeHint();
    const QScreen *shownOn = QWidget::screen();
    if (!shownOn)
        return wanted;
    const QSize frame = isVisible() ? frameGeometry().size() - size() : kFrameGuess;
    const QSize room = shownOn->availableGeometry().size() - frame.expandedTo(QSize(0, 0));
    // A direction that does not fit gets a scroll bar, which takes room in
    // the other direction.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QSize size = wanted;
    if (size.height() > room.height())
        size.rwidth() += bar;
    if (size.width() > room.width())
        size.rheight() += bar;
    return size.boundedTo(room);
}

DebugWindow::~DebugWindow()
{
    // The port is closed before the window goes; no close steps, no status.
    m_comm.disconnect(this);
    m_host->detach();
    m_comm.close();
}

QWidget *DebugWindow::makePictureGroup()
{
    auto *group = new QGroupBox(QStringLiteral("图片设置"), m_upper);
    group->setObjectName(QStringLiteral("pictureGroup"));
    m_pictureView = makeListView(group, {QStringLiteral("编号"), QStringLiteral("图片名"), QStringLiteral("宽"), QStringLiteral("高")},
                                 {40, 161, 40, 40}, QStringLiteral("pictureList"));
    m_pictureView->setMinimumWidth(300);

    auto *add = button(QStringLiteral("添加图片"), QStringLiteral("addPicturesButton"), group);
    auto *up = button(QStringLiteral("上移"), QStringLiteral("upButton"), group);
    auto *down = button(QStringLiteral("下移"), QStringLiteral("downButton"), group);
    auto *remove = button(QStringLiteral("删除选中"), QStringLiteral("deleteSelectedButton"), group);
    auto *clear = button(QStringLiteral("清空列表"), QStringLiteral("clearListButton"), group);
    auto *save = button(QStringLiteral("保存列表"), QStringLiteral("saveListButton"), group);
    auto *open = button(QStringLiteral("打开列表"), QStringLiteral("openListButton"), group);
    // Two columns of buttons keep the group low enough for the full form
    // to fit a small screen.
    auto *buttons = new QGridLayout;
    QPushButton *const order[] = {add, up, down, remove, clear, save, open};
    for (int i = 0; i < 7; ++i)
        buttons->addWidget(order[i], i % 4, i / 4);
    buttons->setRowStretch(4, 1);

    m_nextNumber = digitsBox(QStringLiteral("nextNumberBox"), group);
    m_preview = new QLabel(group);
    m_preview->setObjectName(QStringLiteral("previewBox"));
    m_preview->setFixedSize(96, 72);
    m_preview->setFrameShape(QFrame::Box);
    m_preview->setAlignment(Qt::AlignCenter);
    m_erase = new QCheckBox(QStringLiteral("擦除FLASH"), group);
    m_erase->setObjectName(QStringLiteral("eraseCheck"));
    m_download = button(QStringLiteral("下载图片"), QStringLiteral("downloadButton"), group);
    m_pictureStatus = new QLineEdit(group);
    m_pictureStatus->setObjectName(QStringLiteral("statusBox"));
    m_pictureStatus->setReadOnly(true);
    m_pictureProgress = bar(QStringLiteral("progressBar"), group);

    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel(QStringLiteral("下一存储编号"), group));
    numberRow->addWidget(m_nextNumber);
    numberRow->addStretch();
    auto *downloadRow = new QHBoxLayout;
    downloadRow->addWidget(m_erase);
    downloadRow->addWidget(m_download);
    downloadRow->addStretch();
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(m_pictureStatus, 2);
    statusRow->addWidget(m_pictureProgress, 1);
    auto *below = new QVBoxLayout;
    below->addLayout(numberRow);
    below->addLayout(downloadRow);
    below->addLayout(statusRow);
    auto *belowRow = new QHBoxLayout;
    belowRow->addLayout(below, 1);
    belowRow->addWidget(m_preview);

    auto *grid = new QGridLayout(group);
    grid->addWidget(m_pictureView, 0, 0);
    grid->addLayout(buttons, 0, 1);
    grid->addLayout(belowRow, 1, 0, 1, 2);
    grid->setRowStretch(0, 1);

    connect(add, &QPushButton::clicked, this, &DebugWindow::addPictures);
    connect(up, &QPushButton::clicked, this, &DebugWindow::moveUp);
    connect(down, &QPushButton::clicked, this, &DebugWindow::moveDown);
    connect(remove, &QPushButton::clicked, this, &DebugWindow::deleteSelected);
    connect(clear, &QPushButton::clicked, this, &DebugWindow::clearList);
    connect(save, &QPushButton::clicked, this, &DebugWindow::saveList);
    connect(open, &QPushButton::clicked, this, &DebugWindow::openList);
    connect(m_download, &QPushButton::clicked, this, &DebugWindow::downloadPictures);
    connect(m_pictureView, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (QTableWidgetItem *item = m_pictureView->item(row, 0))
            m_pictureView->editItem(item);
    });
    connect(m_pictureView, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem *item) { pictureNumberEdited(item); });
    connect(m_pictureView, &QTableWidget::cellClicked, this, [this](int, int) { rowClicked(); });
    return group;
}

QWidget *DebugWindow::makeExtensionGroup()
{
    auto *group = new QGroupBox(QStringLiteral("扩展"), m_upper);
    group->setObjectName(QStringLiteral("extensionGroup"));
    m_tabs = new QTabWidget(group);
    m_tabs->setObjectName(QStringLiteral("extensionTabs"));
    m_tabs->addTab(makeHexPage(), QStringLiteral("十六进制自写指令"));
    m_tabs->addTab(makeFontPage(), QStringLiteral("用户字库"));
    m_tabs->addTab(makeRealtimePage(), QStringLiteral("实时显示图片"));
    m_tabs->addTab(makeCopyPage(), QStringLiteral("拷贝"));

    m_sendButton = button(QStringLiteral("发送"), QStringLiteral("sendButton"), group);
    // A failure names its file inside a long text: the box keeps the file
    // name in sight, the whole text in its tool tip.
    m_sendStatus = new StatusText(group);
    m_sendStatus->setObjectName(QStringLiteral("sendStatusBox"));
    m_sendProgress = bar(QStringLiteral("sendProgressBar"), group);
    auto *sendRow = new QHBoxLayout;
    sendRow->addWidget(m_sendButton);
    sendRow->addWidget(m_sendStatus, 2);
    sendRow->addWidget(m_sendProgress, 1);

    auto *layout = new QVBoxLayout(group);
    layout->addWidget(m_tabs);
    layout->addLayout(sendRow);
    connect(m_sendButton, &QPushButton::clicked, this, &DebugWindow::send);
    return group;
}

QWidget *DebugWindow::makeFontPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("fontPage"));
    m_fontView = makeListView(page, {QStringLiteral("字库号"), QStringLiteral("字库名")}, {60, 220},
                              QStringLiteral("fontList"));
    m_fontView->setMinimumSize(220, 80);
    m_fontView->horizontalHeader()->setStretchLastSection(true);
    auto *add = button(QStringLiteral("添加字库"), QStringLiteral("addFontsButton"), page);
    auto *remove = button(QStringLiteral("删除选中"), QStringLiteral("deleteFontsButton"), page);
    auto *clear = button(QStringLiteral("清空列表"), QStringLiteral("clearFontsButton"), page);
    auto *save = button(QStringLiteral("保存列表"), QStringLiteral("saveFontsButton"), page);
    m_fontNextNumber = digitsBox(QStringLiteral("fontNextNumberBox"), page);

    auto *buttons = new QGridLayout;
    buttons->addWidget(add, 0, 0);
    buttons->addWidget(remove, 0, 1);
    buttons->addWidget(clear, 1, 0);
    buttons->addWidget(save, 1, 1);
    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel(QStringLiteral("下一存储编号"), page));
    numberRow->addWidget(m_fontNextNumber);
    buttons->addLayout(numberRow, 2, 0, 1, 2);
    buttons->setRowStretch(3, 1);
    auto *layout = new QHBoxLayout(page);
    layout->addWidget(m_fontView, 1);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &DebugWindow::addFonts);
    connect(remove, &QPushButton::clicked, this, &DebugWindow::deleteSelectedFonts);
    connect(clear, &QPushButton::clicked, this, &DebugWindow::clearFonts);
    connect(save, &QPushButton::clicked, this, &DebugWindow::saveFonts);
    connect(m_fontView, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (QTableWidgetItem *item = m_fontView->item(row, 0))
            m_fontView->editItem(item);
    });
    connect(m_fontView, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem *item) { fontNumberEdited(item); });
    return page;
}

QWidget *DebugWindow::makeRecordGroup()
{
    auto *group = new QGroupBox(QStringLiteral("通讯记录"), m_upper);
    group->setObjectName(QStringLiteral("recordGroup"));
    m_recordBox = new QPlainTextEdit(group);
    m_recordBox->setObjectName(QStringLiteral("recordBox"));
    m_recordBox->setReadOnly(true);
    m_recordBox->setMinimumSize(280, 50);
    auto *clear = button(QStringLiteral("记录清除"), QStringLiteral("clearRecordButton"), group);
    auto *save = button(QStringLiteral("记录保存"), QStringLiteral("saveRecordButton"), group);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clear);
    buttons->addWidget(save);
    auto *layout = new QVBoxLayout(group);
    layout->addWidget(m_recordBox, 1);
    layout->addLayout(buttons);
    connect(clear, &QPushButton::clicked, this, &DebugWindow::clearRecord);
    connect(save, &QPushButton::clicked, this, &DebugWindow::saveRecord);
    return group;
}

// A finished piece of work, told with the information icon.
void DebugWindow::tellDone(const QString &text)
{
    m_prompts->message(MessageKind::Information, text);
}

// ---- picture list -------------------------------------------------------------

int DebugWindow::readNextNumber() const
{
    return int(std::clamp<long long>(readTypedNumber(m_nextNumber->text()), 0, 1000000));
}

void DebugWindow::showNextNumber()
{
    m_nextNumber->setText(QString::number(m_pictures.nextNumber()));
}

void DebugWindow::showPictureRows()
{
    m_filling = true;
    const auto &entries = m_pictures.entries();
    m_pictureView->setRowCount(int(entries.size()));
    for (int row = 0; row < int(entries.size()); ++row) {
        const PictureEntry &e = entries[size_t(row)];
        m_pictureView->setItem(row, 0, cell(QString::number(e.number), true));
        m_pictureView->setItem(row, 1, cell(QDir::toNativeSeparators(fromGbk(e.path)), false));
        m_pictureView->setItem(row, 2, cell(QString::number(e.width), false));
        m_pictureView->setItem(row, 3, cell(QString::number(e.height), false));
    }
    m_filling = false;
}

void DebugWindow::addPictures()
{
    FileRequest request;
    request.kind = FileRequest::Kind::OpenMany;
    request.caption = QStringLiteral("添加图片");
    request.filter = QStringLiteral("图片文件(*.bmp *.jpg *.jpeg)");
    const QStringList paths = m_prompts->chooseFiles(request);
    if (paths.isEmpty())
        return;
    m_pictures.setNextNumber(readNextNumber());
    if (m_pictures.addPictures(paths, *m_notes) > 0)
        m_picturesChanged = true;
    showPictureRows();
    showNextNumber();
}

void DebugWindow::openList()
{
    FileRequest request;
    request.caption = QStringLiteral("打开列表");
    request.filter = QStringLiteral("图片列表文件(*.wbm *.cbm *.tbm)");
    const QStringList paths = m_prompts->chooseFiles(request);
    if (paths.isEmpty())
        return;
    m_pictures.setNextNumber(readNextNumber());
    const bool wasEmpty = m_pictures.entries().empty();
    if (!m_pictures.open(paths.constFirst(), *m_notes))
        return;
    // Opened into an empty list, the list is the file's; added to pictures
    // already listed, the whole is saved nowhere yet.
    m_picturesChanged = !wasEmpty;
    showPictureRows();
    showNextNumber();
}

void DebugWindow::saveList()
{
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.caption = QStringLiteral("保存列表");
    request.filter = QStringLiteral("图片列表文件(*.tbm)");
    request.defaultSuffix = QStringLiteral("tbm");
    const QStringList paths = m_prompts->chooseFiles(request);
    if (paths.isEmpty())
        return;
    if (m_pictures.save(paths.constFirst(), *m_notes))
        m_picturesChanged = false;
    // The list is sorted by number, also as far as a failed save got.
    showPictureRows();
}

namespace {

std::vector<int> selectedTableRows(QTableWidget *view)
{
    std::vector<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Exchanges the pictures of two entries; each row keeps its number.
void swapPictures(PictureEntry &a, PictureEntry &b)
{
    std::swap(a.path, b.path);
    std::swap(a.sourceList, b.sourceList);
    std::swap(a.blockAddress, b.blockAddress);
    std::swap(a.start, b.start);
    std::swap(a.width, b.width);
    std::swap(a.height, b.height);
}

} // namespace

void DebugWindow::moveUp()
{
    const std::vector<int> rows = selectedTableRows(m_pictureView);
    if (rows.empty() || rows.front() == 0)
        return;
    const int i = rows.front();
    auto &entries = m_pictures.entries();
    swapPictures(entries[size_t(i - 1)], entries[size_t(i)]);
    m_picturesChanged = true;
    showPictureRows();
    m_pictureView->clearSelection();
    m_pictureView->selectRow(i - 1);
}

void DebugWindow::moveDown()
{
    const std::vector<int> rows = selectedTableRows(m_pictureView);
    auto &entries = m_pictures.entries();
    if (rows.empty() || size_t(rows.front()) + 1 >= entries.size())
        return;
    const int i = rows.front();
    swapPictures(entries[size_t(i)], entries[size_t(i + 1)]);
    m_picturesChanged = true;
    showPictureRows();
    m_pictureView->clearSelection();
    m_pictureView->selectRow(i + 1);
}

void DebugWindow::deleteSelected()
{
    const std::vector<int> rows = selectedTableRows(m_pictureView);
    auto &entries = m_pictures.entries();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (size_t(*it) < entries.size()) {
            entries.erase(entries.begin() + *it);
            m_picturesChanged = true;
        }
    showPictureRows();
}

void DebugWindow::clearList()
{
    m_pictures.entries().clear();
    m_pictures.setNextNumber(0);
    showPictureRows();
    showNextNumber();
}

void DebugWindow::pictureNumberEdited(QTableWidgetItem *item)
{
    if (m_filling || !item || item->column() != 0)
        return;
    const int row = item->row();
    auto &entries = m_pictures.entries();
    if (row < 0 || size_t(row) >= entries.size())
        return;
    PictureEntry &e = entries[size_t(row)];
    const QString typed = item->text().trimmed();
    const long long value = readTypedNumber(typed);
    if (!typed.isEmpty() && value >= 0 && value <= kMaxPictureNumber) {
        m_picturesChanged = m_picturesChanged || e.number != int(value);
        e.number = int(value);
    } else if (!typed.isEmpty()) {
        m_host->message(QStringLiteral("编号超出范围!"));
    }
    // The row shows the entry's number as the list now holds it.
    m_filling = true;
    item->setText(QString::number(e.number));
    m_filling = false;
}

void DebugWindow::rowClicked()
{
    const std::vector<int> rows = selectedTableRows(m_pictureView);
    if (rows.empty() || size_t(rows.front()) >= m_pictures.entries().size())
        return;
    showPreview(fromGbk(m_pictures.entries()[size_t(rows.front())].path));
}

void DebugWindow::showPreview(const QString &path)
{
    m_previewPath = path;
    QImage picture;
    const bool drawn = !path.isEmpty() && picture.load(path) && !picture.isNull();

    // The simulated screen: the background colour, the picture at its own
    // size at the terminal's origin, scrolled back to the origin.
    m_mirror.showPicture(drawn ? picture : QImage(), colour565(m_colours[1]));
    resetScreenView();

    // The small box: the picture scaled into it with a 1-pixel margin.
    if (!drawn) {
        m_preview->setPixmap(QPixmap());
        m_preview->setText(QStringLiteral("渲染图象失败！"));
        return;
    }
    QPixmap box(m_preview->size());
    box.fill(Qt::white);
    {
        QPainter painter(&box);
        painter.drawImage(QRect(1, 1, box.width() - 2, box.height() - 2), picture);
    }
    m_preview->setText(QString());
    m_preview->setPixmap(box);
}

// ---- downloads --------------------------------------------------------------------

void DebugWindow::downloadPictures()
{
    if (!m_ports->isOpen()) {
        m_pictureStatus->setText(kPortNotOpen);
        return;
    }
    m_host->resetProgress();
    m_downloadEntries = m_pictures.entries();
    std::vector<DebugPicture> list;
    list.reserve(m_downloadEntries.size());
    for (const PictureEntry &e : m_downloadEntries)
        list.push_back(DebugPicture{e.number, e.width, e.height, -1});
    m_pictureDownload = m_session->downloadPictures(list, m_erase->isChecked(), [this](size_t index, QString *why) {
        return index < m_downloadEntries.size() ? entryPixels(m_downloadEntries[index], *m_notes, why)
                                                : QByteArray();
    });
}

void DebugWindow::afterEvent()
{
    if (!m_pictureDownload)
        return;
    const LinkState state = m_session->state();
    if (state != LinkState::Ready && state != LinkState::Offline)
        return;
    // The download is over: its entries keep the block addresses the
    // placement gave them, where they are still in the list.
    m_pictureDownload = false;
    const auto &placed = m_session->pictures();
    for (size_t i = 0; i < placed.size() && i < m_downloadEntries.size(); ++i) {
        if (placed[i].firstBlock < 0)
            continue;
        for (PictureEntry &e : m_pictures.entries())
            if (e.number == m_downloadEntries[i].number && e.path == m_downloadEntries[i].path)
                e.blockAddress = std::to_string(placed[i].firstBlock);
    }
    m_downloadEntries.clear();
}

// ---- user fonts ----------------------------------------------------------------------

void DebugWindow::showFontRows()
{
    m_filling = true;
    const auto &entries = m_fonts.entries();
    m_fontView->setRowCount(int(entries.size()));
    for (int row = 0; row < int(entries.size()); ++row) {
        const DebugFont &f = entries[size_t(row)];
        m_fontView->setItem(row, 0, cell(QString::number(f.number), true));
        m_fontView->setItem(row, 1, cell(QDir::toNativeSeparators(f.path), false));
    }
    m_filling = false;
}

void DebugWindow::addFonts()
{
    FileRequest request;
    request.kind = FileRequest::Kind::OpenMany;
    request.caption = QStringLiteral("添加字库");
    request.filter = QStringLiteral("txt文件(*.txt)");
    const QStringList paths = m_prompts->chooseFiles(request);
    if (paths.isEmpty())
        return;
    m_fonts.setNextNumber(int(std::clamp<long long>(readTypedNumber(m_fontNextNumber->text()), 0, 1000000)));
    const int before = m_fonts.nextNumber();
    if (m_fonts.addFonts(paths, *m_notes) > 0)
        m_fontsChanged = true;
    showFontRows();
    if (m_fonts.nextNumber() != before)
        m_fontNextNumber->setText(QString::number(m_fonts.nextNumber()));
}

void DebugWindow::deleteSelectedFonts()
{
    const std::vector<int> rows = selectedTableRows(m_fontView);
    auto &entries = m_fonts.entries();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (size_t(*it) < entries.size()) {
            entries.erase(entries.begin() + *it);
            m_fontsChanged = true;
        }
    showFontRows();
}

void DebugWindow::clearFonts()
{
    m_fonts.entries().clear();
    showFontRows();
}

void DebugWindow::fontNumberEdited(QTableWidgetItem *item)
{
    if (m_filling || !item || item->column() != 0)
        return;
    const int row = item->row();
    if (row < 0 || size_t(row) >= m_fonts.entries().size())
        return;
    if (m_fonts.setNumber(size_t(row), item->text().trimmed(), *m_notes))
        m_fontsChanged = true;
    m_filling = true;
    item->setText(QString::number(m_fonts.entries()[size_t(row)].number));
    m_filling = false;
}

void DebugWindow::send()
{
    m_sendProgress->setValue(0);
    switch (m_tabs->currentIndex()) {
    case 0:
        sendHex();
        break;
    case 1:
        if (!m_ports->isOpen())
            m_sendStatus->setText(kPortNotOpen);
        m_session->downloadFonts(m_fonts.entries());
        break;
    case 2:
        sendRealtimePicture();
        break;
    case 3:
        sendCopy();
        break;
    default:
        break;
    }
}

// ---- record -----------------------------------------------------------------------------

void DebugWindow::recordGrew()
{
    const QString &text = m_session->record().text();
    if (text.size() < m_recordShown) {
        m_recordBox->clear();
        m_recordShown = 0;
    }
    QString added = text.mid(m_recordShown);
    m_recordShown = text.size();
    if (added.isEmpty())
        return;
    added.remove(QLatin1Char('\r'));
    // Hex shows in upper case; a path being recorded shows as it is.
    const qsizetype asIs = m_recordAsIs.isEmpty() ? -1 : added.indexOf(m_recordAsIs);
    if (asIs < 0)
        added = added.toUpper();
    else
        added = added.left(asIs).toUpper() + m_recordAsIs + added.mid(asIs + m_recordAsIs.size()).toUpper();
    QTextCursor end(m_recordBox->document());
    end.movePosition(QTextCursor::End);
    end.insertText(added);
    m_recordBox->verticalScrollBar()->setValue(m_recordBox->verticalScrollBar()->maximum());
}

void DebugWindow::clearRecord()
{
    m_session->clearRecord();
    m_recordBox->clear();
    m_recordShown = 0;
}

// The record is appended to the file: the old content and the record are
// written together to a temporary file that then replaces it, so a failed
// write leaves the file as it was.
bool DebugWindow::appendRecord(const QString &path, QString *error)
{
    QByteArray content;
    if (QFileInfo::exists(path) && !readWholeFile(path, content, error))
        return false;
    const std::string bytes = toGbk(m_session->record().text());
    content.append(bytes.data(), qsizetype(bytes.size()));
    return writeFileAtomically(path, content, error);
}

void DebugWindow::saveRecord()
{
    // "serialNote.txt" in the user's data folder: the program's own folder
    // cannot be written by a user once the program is installed.
    const QString folder = m_recordFolder.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        : m_recordFolder;
    QString path = QDir(folder).filePath(kRecordFile);
    const bool writable = !folder.isEmpty() && QDir().mkpath(folder) && QFileInfo(folder).isDir()
                          && QFileInfo(folder).isWritable();
    if (!writable) {
        // No data folder to write in: the user says where the record goes.
        FileRequest request;
        request.kind = FileRequest::Kind::Save;
        request.caption = QStringLiteral("记录保存");
        request.filter = QStringLiteral("文本文件(*.txt)");
        request.defaultSuffix = QStringLiteral("txt");
        request.fileName = kRecordFile;
        const QStringList chosen = m_prompts->chooseFiles(request);
        if (chosen.isEmpty())
            return;
        path = chosen.constFirst();
    }
    QString error;
    if (!appendRecord(path, &error)) {
        m_host->message(QStringLiteral("记录保存失败：") + QDir::toNativeSeparators(path) + QStringLiteral("：")
                        + error);
        return;
    }
    tellDone(QStringLiteral("记录保存完毕，路径为") + QDir::toNativeSeparators(path));
}

// ---- closing ------------------------------------------------------------------------------

QString DebugWindow::closeQuestion() const
{
    // An empty list loses nothing, whatever happened to it.
    const bool pictures = m_picturesChanged && !m_pictures.entries().empty();
    const bool fonts = m_fontsChanged && !m_fonts.entries().empty();
    QStringList lost;
    if (pictures)
        lost << QStringLiteral("未保存的图片列表");
    if (fonts)
        lost << (pictures ? QStringLiteral("字库列表") : QStringLiteral("未保存的字库列表"));
    if (!m_session->record().text().isEmpty())
        lost << QStringLiteral("通讯记录");
    QString discard;
    if (lost.size() == 1)
        discard = lost[0];
    else if (lost.size() > 1)
        discard = QStringList(lost.mid(0, lost.size() - 1)).join(QStringLiteral("、")) + QStringLiteral("和")
                  + lost.last();
    const bool port = m_ports->isOpen();
    if (!port && discard.isEmpty())
        return {};
    QString text = QStringLiteral("关闭窗口将");
    if (port)
        text += QStringLiteral("断开串口");
    if (port && !discard.isEmpty())
        text += QStringLiteral("并");
    if (!discard.isEmpty())
        text += QStringLiteral("丢弃") + discard;
    return text + QStringLiteral("，是否关闭?");
}

void DebugWindow::closeEvent(QCloseEvent *event)
{
    // "否" is the default: Enter or Escape keeps everything.
    const QString question = closeQuestion();
    const bool close = question.isEmpty() || m_prompts->question(question, QuestionButtons::YesNo, false);
    if (!close) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---- forms --------------------------------------------------------------------------------

void DebugWindow::toggleFullForm()
{
    // The full form adds the lower half below the upper one and grows the
    // window as far as the screen allows (the rest scrolls); the compact
    // form returns to the size the window had.
    m_full = !m_full;
    if (m_full)
        m_liveTimer->start();
    else
        m_liveTimer->stop();
    if (m_full) {
        m_compactSize = size();
        m_lower->setVisible(true);
        m_content->layout()->activate();
        resize(fittingSize().expandedTo(m_compactSize));
    } else {
        m_lower->setVisible(false);
        m_content->layout()->activate();
        resize(m_compactSize);
    }
}

} // namespace h5
