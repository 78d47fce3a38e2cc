#pragma once
// Small widget makers and readers the debug window's panels share.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace h5 {

// The steps of the debug window's progress bars.
inline constexpr int kBarSteps = 1000;

// A list view with the given columns, full-row selection and grid lines;
// cells are edited only when the window asks.
QTableWidget *makeListView(QWidget *parent, const QStringList &headers, const QList<int> &widths,
                           const QString &name);
// A cell of such a list; an editable one takes typing after a double click.
QTableWidgetItem *listCell(const QString &text, bool editable);
// The selected rows of a list, top to bottom.
std::vector<int> selectedRows(QTableWidget *view);
QPushButton *button(const QString &caption, const QString &name, QWidget *parent);
// A box that takes digits only, showing "0".
QLineEdit *digitsBox(const QString &name, QWidget *parent);
// A progress bar without text, 0..kBarSteps, at 0.
QProgressBar *progressBar(const QString &name, QWidget *parent);
// A typed number as the boxes read it (text that is no number reads as 0),
// within ±1,000,000,000.
int typedNumber(const QLineEdit *box);
// The terminal colour of `c` (RGB565 with the terminal's rounding).
uint16_t colour565(const QColor &c);

// "串口未打开!": what a command that needs the port says without it.
QString portNotOpenText();

} // namespace h5
