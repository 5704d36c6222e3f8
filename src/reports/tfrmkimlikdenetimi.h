#pragma once

#include "data/identitynumber.h"

#include <QDialog>

class Database;
class QLabel;
class QPushButton;
class QTableView;
class SharedQueries;

// "Kimlik Numarası Denetimi": the members whose identity number fails its check or is held
// by more than one member, with their units and what is wrong, so that an existing register
// can be put right. Made for each use and freed after it; the staff table is read when the
// window is created.
class TFrmKimlikDenetimi : public QDialog
{
    Q_OBJECT
public:
    // Creates the window, shows it modally over `parent` and frees it. When the staff cannot
    // be read the error box says why and no window comes up.
    static void execute(SharedQueries *data, QWidget *parent);

    // Reads the staff table; throws DbError.
    TFrmKimlikDenetimi(Database &connection, QWidget *parent);

    const QList<identitynumber::Finding> &findings() const { return m_findings; }
    QTableView *list() const { return m_list; }
    // The list as it is shown, to a workbook or a CSV file.
    void BtnDisaAktarClick();

private:
    QList<identitynumber::Finding> m_findings;
    QLabel *m_summary = nullptr;
    QTableView *m_list = nullptr;
    QPushButton *m_export = nullptr;
};
