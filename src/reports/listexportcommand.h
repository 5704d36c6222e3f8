#pragma once

#include "reports/export/shownlist.h"

#include <QString>
#include <memory>

class QWidget;
class TSrDBGrid;

// "Listeyi Dışa Aktar": the list a window shows, written to an Excel workbook or a CSV file
// that the user names in the save dialog.
namespace listexportcommand
{

// The list the grid shows: its visible columns in their order on the screen, with their
// captions as the user reads them, and its rows in the order shown.
std::unique_ptr<listexport::ShownList> shownList(const TSrDBGrid *grid);

// Asks for the file in the save dialog ("ListeDisaAktarDialog"; the file's type by its
// suffix, or by the type chosen there), writes the list with a progress window that can
// cancel a long one, and tells the outcome. `title` names the workbook's sheet and the file
// offered.
void run(const listexport::ShownList &list, const QString &title, QWidget *parent);
void run(const TSrDBGrid *grid, const QString &title, QWidget *parent);

} // namespace listexportcommand
