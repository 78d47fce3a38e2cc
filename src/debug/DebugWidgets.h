#pragma once
// Small widget makers the debug window's files share.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

namespace h5 {

// A list view with the given columns, full-row selection and grid lines;
// cells are edited only when the window asks.
QTableWidget *makeListView(QWidget *parent, const QStringList &headers, const QList<int> &widths,
                           const QString &name);
QPushButton *button(const QString &caption, const QString &name, QWidget *parent);
// A box that takes digits only, showing "0".
QLineEdit *digitsBox(const QString &name, QWidget *parent);
// The terminal colour of `c` (RGB565 with the terminal's rounding).
uint16_t colour565(const QColor &c);

} // namespace h5
