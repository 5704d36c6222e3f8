#pragma once

#include <QObject>

class DbError;
class QLabel;
class SharedQueries;

// The all-staff list QueryPersonel while a long one is read in the background at start
// (SharedQueries::openAllButLongStaffList), so that the window answers before it is there.
// Until it arrives the all-staff counts show no number, and the commands that work on it
// wait for it with the wait cursor. A failed reading is said like any other failure to open
// the database at start, and the program cannot go on.
class StaffListArrival : public QObject
{
    Q_OBJECT
public:
    StaffListArrival(SharedQueries *data, QLabel *labelPersonel, QLabel *countPanel,
                     QObject *parent);
    // After the queries have been opened: the counts wait with the list.
    void begin();
    bool isPending() const;
    // Returns once the list is there: at once, or after waiting with the wait cursor while
    // the window goes on painting (input waits until then). False when it did not come: the
    // reading failed, or the program is ending.
    bool wait();

Q_SIGNALS:
    // The reading failed and the user has been told.
    void failed();

private:
    void arrived();
    void readingFailed(const DbError &error);

    SharedQueries *m_data;
    QLabel *m_labelPersonel;
    QLabel *m_countPanel;
    bool m_failed = false;
};
