#pragma once

#include <QColor>
#include <functional>

class QBoxLayout;
class QDialog;
class QFrame;
class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

// The pieces of the read-only code lists (service-branch codes, staff title codes): a
// sunken panel with a heading over a table that shows every cell at once, and "KAPAT".
namespace codelist {

// The grey of the header row's cells.
inline const QColor kHeaderCell(212, 208, 200);

// The sunken panel ("Panel1") that holds the heading and the table.
QFrame *panel(QWidget *parent);
// The heading ("Label1"): centred, bold, a point larger than the dialog's text.
QLabel *heading(const QString &text, QWidget *parent);
// The table ("StringGrid1"): no headers, no editing, no selection, no focus, no scroll
// bars, no context menu. It is only read.
QTableWidget *table(int rows, int columns, const QString &accessibleName, QWidget *parent);
// A cell that can only be read: not editable, not selectable.
QTableWidgetItem *cell(const QString &text, const QColor &background);
// Fixes the table's size to its cells, every one of them in view.
void fitToCells(QTableWidget *table);
// "KAPAT" at the right of a row of its own at the end of `layout`; a click runs `command`
// under the error guard.
QPushButton *closeButton(QDialog *dialog, const QString &objectName, QBoxLayout *layout,
                         std::function<void()> command);

} // namespace codelist
