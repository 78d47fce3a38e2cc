#include "debug/FontPanel.h"

#include "common/FileIo.h"
#include "common/Prompts.h"
#include "debug/DebugWidgets.h"
#include "link/DebugSession.h"
#include "link/LiveCommands.h"
#include "serial/PortControls.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

namespace h5 {

FontPanel::FontPanel(DebugSession &session, Prompts &prompts, const PortControls &ports, QWidget *parent)
    : ExtensionPage(parent), m_session(session), m_prompts(prompts), m_ports(ports)
{
    setObjectName(QStringLiteral("fontPage"));
    m_view = makeListView(this, {QStringLiteral("字库号"), QStringLiteral("字库名")}, {60, 220},
                          QStringLiteral("fontList"));
    m_view->setMinimumSize(220, 80);
    m_view->horizontalHeader()->setStretchLastSection(true);
    auto *add = button(QStringLiteral("添加字库"), QStringLiteral("addFontsButton"), this);
    auto *remove = button(QStringLiteral("删除选中"), QStringLiteral("deleteFontsButton"), this);
    auto *clearButton = button(QStringLiteral("清空列表"), QStringLiteral("clearFontsButton"), this);
    auto *saveButton = button(QStringLiteral("保存列表"), QStringLiteral("saveFontsButton"), this);
    m_nextNumber = digitsBox(QStringLiteral("fontNextNumberBox"), this);

    auto *buttons = new QGridLayout;
    buttons->addWidget(add, 0, 0);
    buttons->addWidget(remove, 0, 1);
    buttons->addWidget(clearButton, 1, 0);
    buttons->addWidget(saveButton, 1, 1);
    auto *numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel(QStringLiteral("下一存储编号"), this));
    numberRow->addWidget(m_nextNumber);
    buttons->addLayout(numberRow, 2, 0, 1, 2);
    buttons->setRowStretch(3, 1);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    connect(add, &QPushButton::clicked, this, &FontPanel::addFonts);
    connect(remove, &QPushButton::clicked, this, &FontPanel::deleteSelected);
    connect(clearButton, &QPushButton::clicked, this, &FontPanel::clear);
    connect(saveButton, &QPushButton::clicked, this, &FontPanel::save);
    connect(m_view, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (QTableWidgetItem *item = m_view->item(row, 0))
            m_view->editItem(item);
    });
    connect(m_view, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) { numberEdited(item); });
}

bool FontPanel::hasUnsavedList() const
{
    // An empty queue loses nothing, whatever happened to it.
    return m_changed && !m_fonts.entries().empty();
}

void FontPanel::showRows()
{
    m_filling = true;
    const auto &entries = m_fonts.entries();
    m_view->setRowCount(int(entries.size()));
    for (int row = 0; row < int(entries.size()); ++row) {
        const DebugFont &f = entries[size_t(row)];
        m_view->setItem(row, 0, listCell(QString::number(f.number), true));
        m_view->setItem(row, 1, listCell(QDir::toNativeSeparators(f.path), false));
    }
    m_filling = false;
}

void FontPanel::addFonts()
{
    FileRequest request;
    request.kind = FileRequest::Kind::OpenMany;
    request.caption = QStringLiteral("添加字库");
    request.filter = QStringLiteral("txt文件(*.txt)");
    const QStringList paths = m_prompts.chooseFiles(request);
    if (paths.isEmpty())
        return;
    m_fonts.setNextNumber(int(std::clamp<long long>(readTypedNumber(m_nextNumber->text()), 0, 1000000)));
    const int before = m_fonts.nextNumber();
    if (m_fonts.addFonts(paths, m_prompts) > 0)
        m_changed = true;
    showRows();
    if (m_fonts.nextNumber() != before)
        m_nextNumber->setText(QString::number(m_fonts.nextNumber()));
}

void FontPanel::deleteSelected()
{
    const std::vector<int> rows = selectedRows(m_view);
    auto &entries = m_fonts.entries();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        if (size_t(*it) < entries.size()) {
            entries.erase(entries.begin() + *it);
            m_changed = true;
        }
    showRows();
}

void FontPanel::clear()
{
    m_fonts.entries().clear();
    showRows();
}

void FontPanel::numberEdited(QTableWidgetItem *item)
{
    if (m_filling || !item || item->column() != 0)
        return;
    const int row = item->row();
    if (row < 0 || size_t(row) >= m_fonts.entries().size())
        return;
    if (m_fonts.setNumber(size_t(row), item->text().trimmed(), m_prompts))
        m_changed = true;
    m_filling = true;
    item->setText(QString::number(m_fonts.entries()[size_t(row)].number));
    m_filling = false;
}

void FontPanel::save()
{
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.caption = QStringLiteral("保存列表");
    request.filter = QStringLiteral("字库文件(*.wzk)");
    request.defaultSuffix = QStringLiteral("wzk");
    QString target = m_prompts.chooseFile(request);
    if (target.isEmpty())
        return;
    if (!target.endsWith(QLatin1String(".wzk")))
        target += QLatin1String(".wzk");
    QByteArray bytes;
    QString error;
    if (!fontDownloadBytes(m_fonts.entries(), bytes, &error) || !writeFileAtomically(target, bytes, &error)) {
        m_prompts.message(QStringLiteral("字库文件保存不成功：") + error);
        return;
    }
    m_changed = false;
}

void FontPanel::send()
{
    if (!m_ports.isOpen())
        emit told(portNotOpenText());
    m_session.downloadFonts(m_fonts.entries());
}

} // namespace h5
