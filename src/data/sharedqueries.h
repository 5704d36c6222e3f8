#pragma once

#include "database.h"
#include "dataset.h"

#include <QObject>
#include <optional>

class BackgroundOpen;
class ChangeNotices;

// The connection and the seven long-lived queries that every window shares. The main
// window owns one of these for the whole run.
class SharedQueries : public QObject
{
    Q_OBJECT
public:
    explicit SharedQueries(QObject *parent = nullptr);
    ~SharedQueries() override;

    // Opens Data.dat in the program folder and checks that it holds the program's tables;
    // throws DbError.
    void connect(const QString &databasePath);
    // Either kind of register: the file, or a database on a server; throws DbError.
    void connect(const RegisterAddress &address);
    // The same, false with the engine's message.
    bool connect(const QString &databasePath, QString *error);
    bool connect(const RegisterAddress &address, QString *error);
    // Opens the queries in the order the unit-staff link needs; throws DbError.
    void openAll();
    // Opens them as openAll() does, but leaves a long all-staff list to be read in the
    // background (staffListOpening()), so that the program can answer before it is there.
    // A short list is read at once: another connection would cost more than it saves.
    void openAllButLongStaffList();
    BackgroundOpen *staffListOpening() const { return m_staffListOpening; }
    // From how many staff rows on the all-staff list is long (tests make every list long).
    static void setLongStaffList(qlonglong rows);
    // Ends the connection (the repair rewrites the file); the queries close first, and a
    // reading in the background stops.
    void disconnect();

    Database &connection() { return m_db; }

    Dataset *QueryOkul;
    Dataset *Query_Uye;
    Dataset *QuerySabit;
    Dataset *QueryPersonel;
    Dataset *QYetkili;
    Dataset *QSendika;
    Dataset *ADOQuery1;

    // The same queries by what they hold, as the code that uses them reads.
    Dataset *units() const { return QueryOkul; }
    Dataset *unitStaff() const { return Query_Uye; }
    Dataset *fixedInformation() const { return QuerySabit; }
    Dataset *staff() const { return QueryPersonel; }
    Dataset *authority() const { return QYetkili; }
    Dataset *unions() const { return QSendika; }
    Dataset *stagedWorkbookRows() const { return ADOQuery1; }

    QList<Dataset *> all() const;

    // On a server: what the other offices change, which the open lists of units and staff
    // follow by themselves, from the first opening of the lists on; null for the file.
    ChangeNotices *changeNotices() const { return m_notices; }

    // Staff rows stored for a unit, counted in the table itself: the staff list may show
    // only a search result.
    int staffCountOfUnit(const QVariant &siraNo);

    // The full name kept with every staff row: first name, one blank, surname.
    static QString fullName(const QString &firstName, const QString &surname);

private:
    bool staffListIsLong();
    void listenForChanges();
    // Another office's changes of `keys`, or of any row, into a list; false when they could
    // not be read.
    static bool follow(Dataset *list, const std::optional<QList<qlonglong>> &keys);
    // The open lists of a table, masters before their details.
    QList<Dataset *> listsOf(const QString &table) const;

    Database m_db;
    BackgroundOpen *m_staffListOpening;
    ChangeNotices *m_notices = nullptr;
};
