#include "debug/DebugWidgets.h"

#include "common/Rgb565.h"
#include "link/UserFontList.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <algorithm>

namespace h5 {

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

QTableWidgetItem *listCell(const QString &text, bool editable)
{
    auto *item = new QTableWidgetItem(text);
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (editable)
        flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    return item;
}

std::vector<int> selectedRows(QTableWidget *view)
{
    std::vector<int> rows;
    for (const QModelIndex &index : view->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
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

QProgressBar *progressBar(const QString &name, QWidget *parent)
{
    auto *b = new QProgressBar(parent);
    b->setObjectName(name);
    b->setTextVisible(false);
    b->setRange(0, kBarSteps);
    b->setValue(0);
    return b;
}

int typedNumber(const QLineEdit *box)
{
    return int(std::clamp<long long>(readTypedNumber(box->text()), -1000000000LL, 1000000000LL));
}

uint16_t colour565(const QColor &c)
{
    return rgb565(c.red(), c.green(), c.blue());
}

QString portNotOpenText()
{
    return QStringLiteral("串口未打开!");
}

} // namespace h5
