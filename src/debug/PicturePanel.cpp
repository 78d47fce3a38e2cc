#include "debug/PicturePanel.h"

#include "common/Gbk.h"
#include "common/Prompts.h"
#include "debug/DebugWidgets.h"
#include "debug/PicturePreview.h"
#include "link/DebugSession.h"
#include "link/UserFontList.h"
#include "serial/PortControls.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace h5 {

namespace {

constexpr int kMaxPictureNumber = 599;

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

PicturePanel::PicturePanel(DebugSession &session, Prompts &prompts, const PortControls &ports,
                           QLineEdit &statusBox, QProgressBar &progress, QWidget *parent)
    : QGroupBox(QStringLiteral("图片设置"), parent), m_session(session), m_prompts(prompts), m_ports(ports),
      m_status(statusBox), m_progress(progress)
{
    setObjectName(QStringLiteral("pictureGroup"));
    m_view = makeListView(this, {QStringLiteral("编号"), QStringLiteral("图片名"), QStringLiteral("宽"), QStringLiteral("高")},
                          {40, 161, 40, 40}, QStringLiteral("pictureList"));
    m_view->setMinimumWidth(300);

    auto *add = button(QStringLiteral("添加图片"), QStringLiteral("addPicturesButton"), this);
    auto *up = button(QStringLiteral("上移"), QStringLiteral("upButton"), this);
    auto *down = button(QStringLiteral("下移"), QStringLiteral("downButton"), this);
    auto *remove = button(QStringLiteral("删除选中"), QStringLiteral("deleteSelectedButton"), this);
    auto *clear = button(QStringLiteral("清空列表"), QStringLiteral("clearListButton"), this);
    auto *save = button(QStringLiteral("保存列表"), QStringLiteral("saveListButton"), this);
    auto *open = button(QStringLiteral("打开列表"), QStringLiteral("openListButton"), this);
    // Two columns of buttons keep the group low enough for the full form
    // to fit a small screen.
    auto *buttons = new QGridLayout;
    QPushButton *const order[] = {add, up, down, remove, clear, save, open};
    for (int i = 0; i < 7; ++i)
        buttons->addWidget(order[i], i % 4, i / 4);
    buttons->setRowStretch(4, 1);

    m_nextNumber = digitsBox(QStringLiteral("nextNumberBox"), this);
    m_preview = new PicturePreview(QStringLiteral("previewBox"), this);
    m_erase = new QCheckBox(QStringLiteral("擦除FLASH"), this);
    m_erase->setObjectName(QStringLiteral("eraseCheck"));
    auto *download = button(QStringLiteral("下载图片"), QStringLiteral("downloadButton"), this);

    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel(QStringLiteral("下一存储编号"), this));
    numberRow->addWidget(m_nextNumber);
    numberRow->addStretch();
    auto *downloadRow = new QHBoxLayout;
    downloadRow->addWidget(m_erase);
    downloadRow->addWidget(download);
    downloadRow->addStretch();
    auto *statusRow = new QHBoxLayout;
    statusRow->addWidget(&m_status, 2);
    statusRow->addWidget(&m_progress, 1);
    auto *below = new QVBoxLayout;
    below->addLayout(numberRow);
    below->addLayout(downloadRow);
    below->addLayout(statusRow);
    auto *belowRow = new QHBoxLayout;
    belowRow->addLayout(below, 1);
    belowRow->addWidget(m_preview);

    auto *grid = new QGridLayout(this);
    grid->addWidget(m_view, 0, 0);
    grid->addLayout(buttons, 0, 1);
    grid->addLayout(belowRow, 1, 0, 1, 2);
    grid->setRowStretch(0, 1);

    connect(add, &QPushButton::clicked, this, &PicturePanel::addPictures);
    connect(up, &QPushButton::clicked, this, &PicturePanel::moveUp);
    connect(down, &QPushButton::clicked, this, &PicturePanel::moveDown);
    connect(remove, &QPushButton::clicked, this, &PicturePanel::deleteSelected);
    connect(clear, &QPushButton::clicked, this, &PicturePanel::clearList);
    connect(save, &QPushButton::clicked, this, &PicturePanel::saveList);
    connect(open, &QPushButton::clicked, this, &PicturePanel::openList);
    connect(download, &QPushButton::clicked, this, &PicturePanel::downloadPictures);
    connect(m_view, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (QTableWidgetItem *item = m_view->item(row, 0))
            m_view->editItem(item);
    });
    connect(m_view, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) { numberEdited(item); });
    connect(m_view, &QTableWidget::cellClicked, this, [this](int, int) { rowClicked(); });
}

bool PicturePanel::hasUnsavedList() const
{
    // An empty list loses nothing, whatever happened to it.
    return m_changed && !m_pictures.entries().empty();
}

int PicturePanel::readNextNumber() const
{
    return int(std::clamp<long long>(readTypedNumber(m_nextNumber->text()), 0, 1000000));
}

void PicturePanel::showNextNumber()
{
    m_nextNumber->setText(QString::number(m_pictures.nextNumber()));
}

void PicturePanel::showRows()
{
    m_filling = true;
    const auto &entries = m_pictures.entries();
    m_view->setRowCount(int(entries.size()));
    for (int row = 0; row < int(entries.size()); ++row) {
        const PictureEntry &e = entries[size_t(row)];
        m_view->setItem(row, 0, listCell(QString::number(e.number), true));
        m_view->setItem(row, 1, listCell(QDir::toNativeSeparators(fromGbk(e.path)), false));
        m_view->setItem(row, 2, listCell(QString::number(e.width), false));
        m_view->setItem(row, 3, listCell(QString::number(e.height), false));
    }
    m_filling = false;
}

void PicturePanel::addPictures()
{
    FileRequest request;
    request.kind = FileRequest::Kind::OpenMany;
    request.caption = QStringLiteral("添加图片");
    request.filter = QStringLiteral("图片文件(*.bmp *.jpg *.jpeg)");
    const QStringList paths = m_prompts.chooseFiles(request);
    if (paths.isEmpty())
        return;
    m_pictures.setNextNumber(readNextNumber());
    if (m_pictures.addPictures(paths, m_prompts) > 0)
        m_changed = true;
    showRows();
    showNextNumber();
}

void PicturePanel::openList()
{
    FileRequest request;
    request.caption = QStringLiteral("打开列表");
    request.filter = QStringLiteral("图片列表文件(*.wbm *.cbm *.tbm)");
    const QString path = m_prompts.chooseFile(request);
    if (path.isEmpty())
        return;
    m_pictures.setNextNumber(readNextNumber());
    const bool wasEmpty = m_pictures.entries().empty();
    if (!m_pictures.open(path, m_prompts))
        return;
    // Opened into an empty list, the list is the file's; added to pictures
    // already listed, the whole is saved nowhere yet.
    m_changed = !wasEmpty;
    showRows();
    showNextNumber();
}

void PicturePanel::saveList()
{
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.caption = QStringLiteral("保存列表");
    request.filter = QStringLiteral("图片列表文件(*.tbm)");
    request.defaultSuffix = QStringLiteral("tbm");
    const QString path = m_prompts.chooseFile(request);
    if (path.isEmpty())
        return;
    if (m_pictures.save(path, m_prompts))
        m_changed = false;
    // The list is sorted by number, also as far as a failed save got.
    showRows();
}

void PicturePanel::moveUp()
{
    const std::vector<int> rows = selectedRows(m_view);
    if (rows.empty() || rows.front() == 0)
        return;
    const int i = rows.front();
    auto &entries = m_pictures.entries();
    swapPictures(entries[size_t(i - 1)], entries[size_t(i)]);
    m_changed = true;
    showRows();
    m_view->clearSelection();
    m_view->selectRow(i - 1);
}

void PicturePanel::moveDown()
{
    const std::vector<int> rows = selectedRows(m_view);
    auto &entries = m_pictures.entries();
    if (rows.empty() || size_t(rows.front()) + 1 >= entries.size())
        return;
    const int i = rows.front();
    swapPictures(entries[size_t(i)], entries[size_t(i + 1)]);
    m_changed = true;
    showRows();
    m_view->clearSelection();
    m_view->selectRow(i + 1);
}

void PicturePanel::deleteSelected()
{
    const std::vector<int> rows = selectedRows(m_view);
    auto &entries = m_pictures.entries();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (size_t(*it) < entries.size()) {
            entries.erase(entries.begin() + *it);
            m_changed = true;
        }
    showRows();
}

void PicturePanel::clearList()
{
    m_pictures.entries().clear();
    m_pictures.setNextNumber(0);
    showRows();
    showNextNumber();
}

void PicturePanel::numberEdited(QTableWidgetItem *item)
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
        m_changed = m_changed || e.number != int(value);
        e.number = int(value);
    } else if (!typed.isEmpty()) {
        m_prompts.message(QStringLiteral("编号超出范围!"));
    }
    // The row shows the entry's number as the list now holds it.
    m_filling = true;
    item->setText(QString::number(e.number));
    m_filling = false;
}

void PicturePanel::rowClicked()
{
    const std::vector<int> rows = selectedRows(m_view);
    if (rows.empty() || size_t(rows.front()) >= m_pictures.entries().size())
        return;
    const QString path = fromGbk(m_pictures.entries()[size_t(rows.front())].path);
    QImage picture;
    if (path.isEmpty() || !picture.load(path))
        picture = QImage();
    emit pictureShown(path, picture);
    m_preview->showPicture(picture);
}

// ---- download -----------------------------------------------------------------

void PicturePanel::downloadPictures()
{
    if (!m_ports.isOpen()) {
        m_status.setText(portNotOpenText());
        return;
    }
    m_progress.setValue(0);
    // The entries as they are now: the block addresses the placement gives
    // go to the same pictures when the download ends.
    const std::vector<DebugPicture> list = m_download.begin(m_pictures.entries());
    const bool started = m_session.downloadPictures(list, m_erase->isChecked(), [this](size_t index, QString *why) {
        const auto &entries = m_download.entries();
        return index < entries.size() ? entryPixels(entries[index], m_prompts, why) : QByteArray();
    });
    if (!started)
        m_download.cancel();
}

void PicturePanel::afterEvent()
{
    if (!m_download.running())
        return;
    const LinkState state = m_session.state();
    if (state != LinkState::Ready && state != LinkState::Offline)
        return;
    m_download.end(m_session.pictures(), m_pictures.entries());
}

} // namespace h5
