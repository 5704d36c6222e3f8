#include "testserver.h"
#include "testsupport.h"

#include "data/database.h"
#include "data/dataset.h"
#include "data/dberror.h"
#include "data/schema.h"
#include "data/sharedqueries.h"

#include <QFile>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <sqlite3.h>

namespace
{

QString sqlText(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

QString repeated(const QString &piece, int times)
{
    return piece.repeated(times);
}

void addUnits(Database &db, const QStringList &names)
{
    QStringList statements;
    for (const QString &name : names)
        statements << QStringLiteral("INSERT INTO okul (okul_adi) VALUES (%1)").arg(sqlText(name));
    db.exec(statements.join(QStringLiteral(";\n")));
}

// A second connection on the same file, so that what a dataset claims to have written is
// read back from the file and not from its memory. Opened on first use: every keyed open
// derives the key anew, which is slow.
class Reader
{
public:
    explicit Reader(const TestProgramDir &dir) : m_address(dir.address()) {}

    QStringList column(const QString &sql)
    {
        Statement st(db(), sql);
        QStringList out;
        while (st.step())
            out << (st.isNull(0) ? QStringLiteral("<null>") : st.string(0));
        return out;
    }
    QVariant scalar(const QString &sql) { return db().scalar(sql); }

private:
    Database &db()
    {
        if (!m_db.isOpen())
            m_db.open(m_address);
        return m_db;
    }
    RegisterAddress m_address;
    Database m_db;
};

// A database connection on the test folder, as the program holds one.
struct Connection {
    TestProgramDir dir;
    Database db;
    Reader read{dir};

    Connection() { db.open(dir.address()); }
};

// Records the five notification signals in the order they arrive.
class EventLog : public QObject
{
public:
    QStringList events;

    void watch(Dataset *ds)
    {
        connect(ds, &Dataset::afterOpen, this, [this] { events << QStringLiteral("afterOpen"); });
        connect(ds, &Dataset::afterScroll, this,
                [this] { events << QStringLiteral("afterScroll"); });
        connect(ds, &Dataset::beforePost, this, [this] { events << QStringLiteral("beforePost"); });
        connect(ds, &Dataset::afterPost, this, [this] { events << QStringLiteral("afterPost"); });
        connect(ds, &Dataset::afterDelete, this,
                [this] { events << QStringLiteral("afterDelete"); });
    }
};

// Runs one step of a scripted session. "set:field=text" types into a field, "post!" is a
// post that the database must refuse, "locate:field=prefix" searches, "clear" forgets the
// events so far. An unexpected outcome is written into the log so that the comparison fails.
void runStep(Dataset &ds, const QString &step, EventLog *log = nullptr)
{
    const QString arg = step.section(QLatin1Char(':'), 1);
    const QString op = step.section(QLatin1Char(':'), 0, 0);
    if (op == QLatin1String("open"))
        ds.open();
    else if (op == QLatin1String("close"))
        ds.close();
    else if (op == QLatin1String("first"))
        ds.first();
    else if (op == QLatin1String("last"))
        ds.last();
    else if (op == QLatin1String("next"))
        ds.next();
    else if (op == QLatin1String("prior"))
        ds.prior();
    else if (op == QLatin1String("moveBy"))
        ds.moveBy(arg.toInt());
    else if (op == QLatin1String("edit"))
        ds.edit();
    else if (op == QLatin1String("append"))
        ds.append();
    else if (op == QLatin1String("cancel"))
        ds.cancel();
    else if (op == QLatin1String("remove"))
        ds.remove();
    else if (op == QLatin1String("post"))
        ds.post();
    else if (op == QLatin1String("post!")) {
        bool refused = false;
        try {
            ds.post();
        } catch (const DbError &) {
            refused = true;
        }
        if (!refused && log)
            log->events << QStringLiteral("<post was accepted>");
    } else if (op == QLatin1String("set"))
        ds.setFieldText(arg.section(QLatin1Char('='), 0, 0), arg.section(QLatin1Char('='), 1));
    else if (op == QLatin1String("locate")) {
        if (!ds.locate(arg.section(QLatin1Char('='), 0, 0), arg.section(QLatin1Char('='), 1)) &&
            log)
            log->events << QStringLiteral("<not found>");
    } else if (op == QLatin1String("clear")) {
        if (log)
            log->events.clear();
    } else
        throw std::logic_error("unknown step " + step.toStdString());
}

const QStringList kTurkishOrder = {
    QStringLiteral("Cem"),  QStringLiteral("Çelik"), QStringLiteral("Ilgaz"),
    QStringLiteral("ılık"), QStringLiteral("Işık"),  QStringLiteral("ikbal"),
    QStringLiteral("İnci"), QStringLiteral("iz"),    QStringLiteral("Oya"),
    QStringLiteral("Ömer"), QStringLiteral("Zeki")};

QStringList reversed(QStringList list)
{
    std::reverse(list.begin(), list.end());
    return list;
}

// Units 1 Ada, 2 Bor, 3 Cide (no staff) and staff of the first two plus one without a unit.
void addUnitsAndStaff(Database &db)
{
    addUnits(db, {QStringLiteral("Ada"), QStringLiteral("Bor"), QStringLiteral("Cide")});
    db.exec(QStringList{
        QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, sendikasi) VALUES (1, 'Veli', "
                       "'Kaya', 'Türk Eğitim-Sen')"),
        QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, sendikasi) VALUES (1, 'Ali', "
                       "'Demir', 'Eğitim-Sen')"),
        QStringLiteral(
            "INSERT INTO uyeler (SiraNo, adi, soyadi, sendikasi) VALUES (2, 'Can', 'Er', NULL)"),
        QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, sendikasi) VALUES (2, 'Ayşe', "
                       "'Şen', 'EĞİTİM-İŞ')"),
        QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, sendikasi) VALUES (NULL, 'Ece', "
                       "'Ak', 'Eğitim-Bir-Sen')"),
    }
                .join(QStringLiteral(";\n")));
}

// Counts the statements run on a connection that read the staff table.
class StaffReads
{
public:
    // A server register reads a list anew each time; only the file's reads are counted.
    explicit StaffReads(Database &db)
    {
        if (db.handle())
            sqlite3_trace_v2(db.handle(), SQLITE_TRACE_STMT, &StaffReads::onStatement, this);
    }
    bool counts(const Database &db) const { return db.handle() != nullptr; }
    int count = 0;

private:
    static int onStatement(unsigned, void *context, void *, void *sql)
    {
        const QString text = QString::fromUtf8(static_cast<const char *>(sql)).simplified();
        if (text.startsWith(QLatin1String("select * from uyeler"), Qt::CaseInsensitive))
            ++static_cast<StaffReads *>(context)->count;
        return 0;
    }
};

// Resident memory of this process, in kB.
long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

} // namespace

class TestDataset : public QObject
{
    Q_OBJECT

private:
    // Read-only tables shared by every row of one test function: creating and opening an
    // encrypted file per row would cost most of the run.
    Database &unitsFixture(std::unique_ptr<Connection> &fixture, const QStringList &units);
    std::unique_ptr<Connection> m_locateUnits;
    std::unique_ptr<Connection> m_likeUnits;

private Q_SLOTS:
    // statement, open and close
    void statementLinesAreSeparateLines();
    void failingStatementLeavesDatasetClosed_data();
    void failingStatementLeavesDatasetClosed();
    void requeryFetchesRowsWrittenElsewhere();
    void reopenKeepsRowsWhileNothingChanged_data();
    void reopenKeepsRowsWhileNothingChanged();
    void droppingALargeResultGivesItsMemoryBack();

    // moves
    void moves_data();
    void moves();
    void eofLoopVisitsEveryRowOnce_data();
    void eofLoopVisitsEveryRowOnce();

    // fields
    void fieldValues_data();
    void fieldValues();
    void unknownFieldThrows();

    // editing
    void statesFollowEditing();
    void postWritesEditToTable();
    void postAssignsAutoNumber();
    void removeDeletesCurrentRow();
    void editOnEmptyDatasetStartsNewRow();
    void movingWhileEditing_data();
    void movingWhileEditing();
    void removeWhileInsertingDiscardsNewRow();
    void removeOnEmptyDatasetThrows();

    // sizes
    void overlongValueIsRefused_data();
    void overlongValueIsRefused();
    void databaseEnforcesSizes_data();
    void databaseEnforcesSizes();

    // locate, sort, LIKE
    void locate_data();
    void locate();
    void locateFollowsCurrentOrder();
    void locateSeesPostedChanges();
    void sortOrder_data();
    void sortOrder();
    void sortKeepsCurrentRow();
    void sortTextReadsBack();
    void sortAfterRemoveKeepsEveryRow();
    void likeIsTurkishCaseInsensitive_data();
    void likeIsTurkishCaseInsensitive();

    // unit and staff
    void detailFollowsMasterByParameter_data();
    void detailFollowsMasterByParameter();
    void detailFilterFollowsMaster_data();
    void detailFilterFollowsMaster();
    void appendedStaffBelongsToCurrentUnit_data();
    void appendedStaffBelongsToCurrentUnit();
    void fullNameIsKeptWithEveryPost_data();
    void fullNameIsKeptWithEveryPost();

    // events
    void events_data();
    void events();

    // shared queries
    void openAllOpensInLinkOrder();
    void personnelQueryHasNoUnitField();
};

Database &TestDataset::unitsFixture(std::unique_ptr<Connection> &fixture, const QStringList &units)
{
    if (!fixture) {
        fixture = std::make_unique<Connection>();
        addUnits(fixture->db, units);
    }
    return fixture->db;
}

// ---------------------------------------------------------------- statement

void TestDataset::statementLinesAreSeparateLines()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada"), QStringLiteral("Bor")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    // A comment ends at the line break; joined on one line it would swallow the condition.
    ds.addSql(QStringLiteral("SELECT * FROM okul -- every unit"));
    ds.addSql(QStringLiteral("WHERE okul_adi = 'Bor'"));
    QCOMPARE(ds.sql(), QStringLiteral("SELECT * FROM okul -- every unit\nWHERE okul_adi = 'Bor'"));
    ds.open();
    QCOMPARE(columnOf(ds, QStringLiteral("okul_adi")), QStringList{QStringLiteral("Bor")});

    ds.close();
    ds.clearSql();
    QCOMPARE(ds.sql(), QString());
    ds.addSql(QStringLiteral("SELECT * FROM okul"));
    ds.open();
    QCOMPARE(ds.recordCount(), 2);
}

void TestDataset::failingStatementLeavesDatasetClosed_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("syntax error") << QStringLiteral("SELEC * FROM okul");
    QTest::newRow("unknown table") << QStringLiteral("SELECT * FROM okullar");
    QTest::newRow("unknown column") << QStringLiteral("SELECT okul_ismi FROM okul");
    // Refused while the rows are read, not while the statement is prepared.
    QTest::newRow("fails while stepping")
        << QStringLiteral("SELECT okul_adi, abs(-9223372036854775807 - 1) FROM okul");
}

void TestDataset::failingStatementLeavesDatasetClosed()
{
    QFETCH(QString, statement);
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    ds.open();
    ds.close();

    ds.setSql(statement);
    QVERIFY_THROWS_EXCEPTION(DbError, ds.open());
    QVERIFY(!ds.isOpen());
    QCOMPARE(ds.state(), Dataset::State::Inactive);
    QCOMPARE(ds.recordCount(), 0);
}

void TestDataset::requeryFetchesRowsWrittenElsewhere()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada"), QStringLiteral("Bor")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();
    ds.last();
    addUnits(c.db, {QStringLiteral("Cide")});
    QCOMPARE(ds.recordCount(), 2); // the rows were fetched when the dataset opened

    ds.requery();
    QVERIFY(ds.isOpen());
    QCOMPARE(columnOf(ds, QStringLiteral("okul_adi")),
             (QStringList{QStringLiteral("Ada"), QStringLiteral("Bor"), QStringLiteral("Cide")}));
    QCOMPARE(ds.recNo(), 1);
}

void TestDataset::reopenKeepsRowsWhileNothingChanged_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<bool>("readAgain");
    QTest::addColumn<QStringList>("names");
    const QStringList both{QStringLiteral("ALİ ŞEN"), QStringLiteral("CEM AY")};
    QTest::newRow("nothing") << "" << false << both;
    QTest::newRow("another table changed here") << "unit" << false << both;
    QTest::newRow("a row saved through the dataset")
        << "post" << true << QStringList{QStringLiteral("ALİ KAYA"), QStringLiteral("CEM AY")};
    QTest::newRow("a row added here")
        << "insert" << true
        << QStringList{QStringLiteral("ALİ ŞEN"), QStringLiteral("CEM AY"),
                       QStringLiteral("DERYA KOÇ")};
    QTest::newRow("the table emptied here in one statement") << "empty" << true << QStringList();
    QTest::newRow("another connection committed")
        << "other connection" << true << QStringList{QStringLiteral("ALİ ŞEN")};
    QTest::newRow("another program committed")
        << "other program" << true << QStringList{QStringLiteral("ALİ ŞEN")};
    QTest::newRow("another statement")
        << "statement" << true << QStringList{QStringLiteral("CEM AY"), QStringLiteral("ALİ ŞEN")};
    QTest::newRow("another parameter value")
        << "parameter" << true << QStringList{QStringLiteral("ALİ ŞEN")};
}

// A reopening with the same statement and parameters keeps the rows held while neither this
// connection nor another has changed a table they come from; any such change reads them anew.
void TestDataset::reopenKeepsRowsWhileNothingChanged()
{
    QFETCH(QString, meanwhile);
    QFETCH(bool, readAgain);
    QFETCH(QStringList, names);
    Connection c;
    c.db.exec(QStringLiteral(
        "INSERT INTO okul (okul_adi) VALUES ('GAZİ LİSESİ');"
        "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES (1, 'ALİ', 'ŞEN', 'ALİ ŞEN'), "
        "(1, 'CEM', 'AY', 'CEM AY')"));
    Dataset staff(&c.db, QStringLiteral("QueryPersonel"));
    staff.setSql(QStringLiteral("select * from uyeler where adi like :ad Order By adi"));
    staff.setParam(QStringLiteral("ad"), QStringLiteral("%"));
    staff.open();
    StaffReads reads(c.db);

    if (meanwhile == QLatin1String("unit")) {
        addUnits(c.db, {QStringLiteral("ATATÜRK İLKOKULU")});
    } else if (meanwhile == QLatin1String("post")) {
        staff.edit();
        staff.setFieldText(QStringLiteral("soyadi"), QStringLiteral("KAYA"));
        staff.setFieldText(QStringLiteral("Birlestir"), QStringLiteral("ALİ KAYA"));
        staff.post();
    } else if (meanwhile == QLatin1String("insert")) {
        c.db.exec(QStringLiteral("INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir) VALUES "
                                 "(1, 'DERYA', 'KOÇ', 'DERYA KOÇ')"));
    } else if (meanwhile == QLatin1String("empty")) {
        c.db.exec(QStringLiteral("DELETE FROM uyeler")); // the engine empties the table at once
    } else if (meanwhile == QLatin1String("other connection")) {
        c.dir.exec(QStringLiteral("DELETE FROM uyeler WHERE adi = 'CEM'"));
    } else if (meanwhile == QLatin1String("other program")) {
        SKIP_ON_SERVER("another program on the same file");
        const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
        if (shell.isEmpty())
            QSKIP("the sqlcipher shell is not installed");
        QProcess other;
        other.start(shell,
                    {QStringLiteral("-bail"), QStringLiteral("-batch"), c.dir.databasePath()});
        other.write(QByteArray("PRAGMA key = '") + schema::kKey +
                    "';\nPRAGMA cipher_page_size = 4096;\nDELETE FROM uyeler WHERE KayitNo = 2;\n");
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(10000));
        QCOMPARE(other.exitCode(), 0);
    } else if (meanwhile == QLatin1String("statement")) {
        staff.setSql(QStringLiteral("select * from uyeler where adi like :ad Order By soyadi"));
    } else if (meanwhile == QLatin1String("parameter")) {
        staff.setParam(QStringLiteral("ad"), QStringLiteral("a%"));
    }
    // The same statement written otherwise reads the same rows.
    if (meanwhile != QLatin1String("statement"))
        staff.setSql(QStringLiteral("SELECT *  FROM uyeler WHERE adi LIKE :ad ORDER BY adi"));
    staff.reopen();
    if (reads.counts(c.db))
        QCOMPARE(reads.count, readAgain ? 1 : 0);
    QVERIFY(staff.isOpen());
    QCOMPARE(staff.state(), Dataset::State::Browse);
    QCOMPARE(staff.recNo(), names.isEmpty() ? 0 : 1);
    QCOMPARE(columnOf(staff, QStringLiteral("Birlestir")), names);

    // Kept or read anew, the rows are kept by the next reopening while nothing changes.
    staff.reopen();
    if (reads.counts(c.db))
        QCOMPARE(reads.count, readAgain ? 1 : 0);
    QCOMPARE(columnOf(staff, QStringLiteral("Birlestir")), names);
}

// The allocator keeps the memory of many small rows freed beneath something still in use;
// closing a large result hands it back to the system.
void TestDataset::droppingALargeResultGivesItsMemoryBack()
{
    Connection c;
    c.db.exec(QStringLiteral(
        "INSERT INTO okul (okul_adi) VALUES ('KALABALIK BİRİM');"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
        "INSERT INTO uyeler (SiraNo, adi, soyadi, Birlestir, hakkinda) "
        "SELECT 1, 'AD' || i, 'SOYAD', 'AD' || i || ' SOYAD', '%1' FROM n")
                  .arg(QString(1500, u'0')));
    Dataset staff(&c.db, QStringLiteral("QueryPersonel"));
    staff.setSql(QStringLiteral("select * from uyeler Order By adi"));
    const long before = residentKb();
    staff.open();
    QCOMPARE(staff.recordCount(), 40000);
    // Work goes on while the rows are held, and what it keeps lies above them.
    const QByteArray later(200, 'x');
    const long held = residentKb();
    QVERIFY2(held - before > 40000, qPrintable(QString::number(held - before)));
    staff.close();
    const long after = residentKb();
    QVERIFY2(after - before < (held - before) / 4,
             qPrintable(QStringLiteral("%1 kB before, %2 kB with the rows, %3 kB after")
                            .arg(before)
                            .arg(held)
                            .arg(after)));
    QCOMPARE(later.size(), 200);
}

// ---------------------------------------------------------------- moves

void TestDataset::moves_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("moved"); // what the last moveBy returned
    QTest::addColumn<int>("recNo");
    QTest::addColumn<bool>("eof");
    QTest::addColumn<bool>("bof");

    const QStringList none;
    QTest::newRow("opened") << 5 << none << 0 << 1 << false << true;
    QTest::newRow("next onto the last row is not eof")
        << 5 << QStringList{"next", "next", "next", "next"} << 0 << 5 << false << false;
    QTest::newRow("next at the last row")
        << 5 << QStringList{"last", "next"} << 0 << 5 << true << false;
    QTest::newRow("prior after eof")
        << 5 << QStringList{"last", "next", "prior"} << 0 << 4 << false << false;
    QTest::newRow("prior at the first row") << 5 << QStringList{"prior"} << 0 << 1 << false << true;
    QTest::newRow("first after moves")
        << 5 << QStringList{"last", "first"} << 0 << 1 << false << true;
    QTest::newRow("moveBy forwards") << 5 << QStringList{"moveBy:2"} << 2 << 3 << false << false;
    QTest::newRow("moveBy backwards")
        << 5 << QStringList{"last", "moveBy:-2"} << -2 << 3 << false << false;
    QTest::newRow("moveBy past the end")
        << 5 << QStringList{"next", "moveBy:10"} << 3 << 5 << true << false;
    QTest::newRow("moveBy before the start")
        << 5 << QStringList{"last", "prior", "moveBy:-10"} << -3 << 1 << false << true;
    QTest::newRow("empty") << 0 << none << 0 << 0 << true << true;
    QTest::newRow("empty next") << 0 << QStringList{"next"} << 0 << 0 << true << true;
    QTest::newRow("empty moveBy") << 0 << QStringList{"moveBy:3"} << 0 << 0 << true << true;
    QTest::newRow("empty last") << 0 << QStringList{"last"} << 0 << 0 << true << true;
}

void TestDataset::moves()
{
    QFETCH(int, rows);
    QFETCH(QStringList, steps);
    QFETCH(int, moved);
    QFETCH(int, recNo);
    QFETCH(bool, eof);
    QFETCH(bool, bof);

    Connection c;
    QStringList names;
    for (int i = 1; i <= rows; ++i)
        names << QStringLiteral("Birim %1").arg(i);
    addUnits(c.db, names);
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();

    int lastMoved = 0;
    for (const QString &step : steps) {
        if (step.startsWith(QLatin1String("moveBy:")))
            lastMoved = ds.moveBy(step.section(QLatin1Char(':'), 1).toInt());
        else
            runStep(ds, step);
    }
    QCOMPARE(lastMoved, moved);
    QCOMPARE(ds.recNo(), recNo);
    QCOMPARE(ds.eof(), eof);
    QCOMPARE(ds.bof(), bof);
    if (recNo > 0)
        QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Birim %1").arg(recNo));
}

void TestDataset::eofLoopVisitsEveryRowOnce_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("three rows") << QStringList{"Ada", "Bor", "Cide"};
    QTest::newRow("one row") << QStringList{"Ada"};
    QTest::newRow("no rows") << QStringList{};
}

void TestDataset::eofLoopVisitsEveryRowOnce()
{
    QFETCH(QStringList, names);
    Connection c;
    addUnits(c.db, names);
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();

    QStringList visited;
    for (ds.first(); !ds.eof() && visited.size() <= names.size(); ds.next())
        visited << ds.fieldText(QStringLiteral("okul_adi"));
    QCOMPARE(visited, names);
}

// ---------------------------------------------------------------- fields

void TestDataset::fieldValues_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("text") << "okul_adi"
                          << "Ada" << QVariant(QStringLiteral("Ada"));
    QTest::newRow("null text") << "okul_muduru"
                               << "" << QVariant();
    QTest::newRow("digits in a text column stay text")
        << "telefonu"
        << "0212" << QVariant(QStringLiteral("0212"));
    QTest::newRow("integer key") << "SiraNo"
                                 << "7" << QVariant(qlonglong(7));
}

void TestDataset::fieldValues()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QVariant, value);

    Connection c;
    c.db.exec(QStringLiteral("INSERT INTO okul (SiraNo, okul_adi, okul_muduru, telefonu) VALUES "
                             "(7, 'Ada', NULL, '0212')"));
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    ds.open();

    QCOMPARE(ds.fieldText(field), text);
    const QVariant got = ds.value(field);
    QCOMPARE(got.isNull(), value.isNull());
    if (!value.isNull()) {
        QCOMPARE(got.metaType(), value.metaType());
        QCOMPARE(got, value);
    }
}

void TestDataset::unknownFieldThrows()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    ds.open();
    QVERIFY_THROWS_EXCEPTION(DbError, ds.fieldText(QStringLiteral("okul_ismi")));
    QVERIFY_THROWS_EXCEPTION(DbError, ds.value(QStringLiteral("okul_ismi")));
    ds.edit();
    QVERIFY_THROWS_EXCEPTION(DbError,
                             ds.setFieldText(QStringLiteral("okul_ismi"), QStringLiteral("x")));
    QVERIFY(!ds.isModified());
}

// ---------------------------------------------------------------- editing

void TestDataset::statesFollowEditing()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    QCOMPARE(ds.state(), Dataset::State::Inactive);
    QVERIFY(!ds.isOpen());

    ds.open();
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QVERIFY(ds.isOpen());

    ds.edit();
    QCOMPARE(ds.state(), Dataset::State::Edit);
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Bor"));
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Bor"));
    ds.cancel();
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Ada"));

    ds.append();
    QCOMPARE(ds.state(), Dataset::State::Insert);
    QCOMPARE(ds.recordCount(), 2);
    ds.cancel();
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(ds.recordCount(), 1);
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Ada"));

    ds.close();
    QCOMPARE(ds.state(), Dataset::State::Inactive);
    QCOMPARE(c.read.column(QStringLiteral("SELECT okul_adi FROM okul")),
             QStringList{QStringLiteral("Ada")});
}

void TestDataset::postWritesEditToTable()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada"), QStringLiteral("Bor")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();
    ds.next();
    ds.edit();
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Boğaziçi"));
    ds.setFieldText(QStringLiteral("ili"), QStringLiteral("İstanbul"));
    ds.post();

    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Boğaziçi"));
    QCOMPARE(
        c.read.column(QStringLiteral("SELECT okul_adi || '/' || ili FROM okul WHERE SiraNo = 2")),
        QStringList{QStringLiteral("Boğaziçi/İstanbul")});
    QCOMPARE(c.read.column(QStringLiteral("SELECT okul_adi FROM okul WHERE SiraNo = 1")),
             QStringList{QStringLiteral("Ada")});
}

void TestDataset::postAssignsAutoNumber()
{
    Connection c;
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    ds.open();

    ds.append();
    QVERIFY(ds.value(QStringLiteral("SiraNo")).isNull());
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Ada"));
    ds.post();
    const QVariant first = ds.value(QStringLiteral("SiraNo"));
    QCOMPARE(first.metaType(), QMetaType::fromType<qlonglong>());
    QCOMPARE(
        c.read.column(
            QStringLiteral("SELECT okul_adi FROM okul WHERE SiraNo = %1").arg(first.toLongLong())),
        QStringList{QStringLiteral("Ada")});

    // A number once given is not given again, even after its unit was deleted.
    ds.append();
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Bor"));
    ds.post();
    const qlonglong second = ds.value(QStringLiteral("SiraNo")).toLongLong();
    QVERIFY(second > first.toLongLong());
    ds.remove();
    ds.append();
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Cide"));
    ds.post();
    QVERIFY(ds.value(QStringLiteral("SiraNo")).toLongLong() > second);
    QCOMPARE(ds.fieldText(QStringLiteral("SiraNo")),
             c.read.scalar(QStringLiteral("SELECT SiraNo FROM okul WHERE okul_adi = 'Cide'"))
                 .toString());
}

void TestDataset::removeDeletesCurrentRow()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada"), QStringLiteral("Bor"), QStringLiteral("Cide")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();
    ds.next();
    ds.remove();

    QCOMPARE(ds.recordCount(), 2);
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Cide"));
    QCOMPARE(c.read.column(QStringLiteral("SELECT okul_adi FROM okul ORDER BY SiraNo")),
             (QStringList{QStringLiteral("Ada"), QStringLiteral("Cide")}));

    // Removing the last row leaves the new last row current.
    ds.remove();
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Ada"));
    QCOMPARE(c.read.column(QStringLiteral("SELECT okul_adi FROM okul")),
             QStringList{QStringLiteral("Ada")});
}

void TestDataset::editOnEmptyDatasetStartsNewRow()
{
    Connection c;
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    ds.open();
    ds.edit();
    QCOMPARE(ds.state(), Dataset::State::Insert);
    QCOMPARE(ds.recordCount(), 1);
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Ada"));
    ds.post();
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(c.read.column(QStringLiteral("SELECT okul_adi FROM okul")),
             QStringList{QStringLiteral("Ada")});
}

void TestDataset::movingWhileEditing_data()
{
    QTest::addColumn<QString>("start"); // "edit" the first row or "append" a new one
    QTest::addColumn<bool>("typed");    // whether a value was typed before the move
    QTest::addColumn<QString>("move");
    QTest::addColumn<int>("recordCount"); // afterwards
    QTest::addColumn<QStringList>("table");

    const QStringList untouched{"Ada", "Bor"};
    const QStringList move{"next", "prior", "first", "last", "locate:okul_adi=bo"};
    for (const QString &m : move) {
        const QByteArray name = m.section(QLatin1Char(':'), 0, 0).toUtf8();
        QTest::addRow("edited row, %s", name.constData())
            << "edit" << true << m << 2 << QStringList{"Yeni", "Bor"};
        QTest::addRow("unchanged row, %s", name.constData())
            << "edit" << false << m << 2 << untouched;
        QTest::addRow("typed new row, %s", name.constData())
            << "append" << true << m << 3 << QStringList{"Ada", "Bor", "Yeni"};
        QTest::addRow("untouched new row, %s", name.constData())
            << "append" << false << m << 2 << untouched;
    }
}

void TestDataset::movingWhileEditing()
{
    QFETCH(QString, start);
    QFETCH(bool, typed);
    QFETCH(QString, move);
    QFETCH(int, recordCount);
    QFETCH(QStringList, table);

    Connection c;
    addUnits(c.db, {QStringLiteral("Ada"), QStringLiteral("Bor")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();

    runStep(ds, start);
    if (typed)
        ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Yeni"));
    runStep(ds, move);

    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(ds.recordCount(), recordCount);
    QCOMPARE(c.read.column(QStringLiteral("SELECT okul_adi FROM okul ORDER BY SiraNo")), table);
    // What the dataset shows is what the table holds.
    QStringList shown = columnOf(ds, QStringLiteral("okul_adi"));
    QCOMPARE(shown, table);
}

void TestDataset::removeWhileInsertingDiscardsNewRow()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada"), QStringLiteral("Bor")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();
    ds.last();
    ds.append();
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Yeni"));
    EventLog log;
    log.watch(&ds);

    ds.remove();
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(ds.recordCount(), 2);
    QVERIFY(!log.events.contains(QStringLiteral("afterDelete")));
    // Neither the new row was written nor the row that was current before it deleted.
    QCOMPARE(c.read.column(QStringLiteral("SELECT okul_adi FROM okul ORDER BY SiraNo")),
             (QStringList{QStringLiteral("Ada"), QStringLiteral("Bor")}));
    QCOMPARE(columnOf(ds, QStringLiteral("okul_adi")),
             (QStringList{QStringLiteral("Ada"), QStringLiteral("Bor")}));
}

void TestDataset::removeOnEmptyDatasetThrows()
{
    Connection c;
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    ds.open();
    QVERIFY_THROWS_EXCEPTION(DbError, ds.remove());
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(ds.recordCount(), 0);
}

// ---------------------------------------------------------------- sizes

void TestDataset::overlongValueIsRefused_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");

    for (const char *start : {"edit", "append"}) {
        QTest::addRow("%s, 51 letters", start) << start << "okul_adi" << repeated("a", 51) << false;
        QTest::addRow("%s, 50 letters", start) << start << "okul_adi" << repeated("a", 50) << true;
        // A Turkish letter is two bytes but one character.
        QTest::addRow("%s, 50 Turkish letters", start)
            << start << "okul_adi" << repeated("Ş", 50) << true;
        QTest::addRow("%s, 51 Turkish letters", start)
            << start << "okul_adi" << repeated("ğ", 51) << false;
        QTest::addRow("%s, short column", start) << start << "ilcesi" << repeated("ç", 11) << false;
        QTest::addRow("%s, short column full", start)
            << start << "ilcesi" << repeated("ç", 10) << true;
    }
}

void TestDataset::overlongValueIsRefused()
{
    QFETCH(QString, start);
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(bool, accepted);

    Connection c;
    c.db.exec(QStringLiteral(
        "INSERT INTO okul (okul_adi, okul_muduru, ilcesi) VALUES ('Ada', 'Eski Müdür', 'Merkez')"));
    const QString tableSql = QStringLiteral(
        "SELECT okul_adi || '/' || okul_muduru || '/' || ilcesi FROM okul ORDER BY SiraNo");
    const QStringList before = c.read.column(tableSql);
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();

    runStep(ds, start);
    const Dataset::State editing = ds.state();
    // Another field typed in the same entry must not be written either when the row is refused.
    ds.setFieldText(QStringLiteral("okul_muduru"), QStringLiteral("Yeni Müdür"));
    ds.setFieldText(field, value);
    if (accepted) {
        ds.post();
        QCOMPARE(ds.state(), Dataset::State::Browse);
        QCOMPARE(c.read
                     .scalar(QStringLiteral("SELECT %1 FROM okul WHERE okul_muduru = 'Yeni Müdür'")
                                 .arg(field))
                     .toString(),
                 value);
        return;
    }

    QString message;
    try {
        ds.post();
    } catch (const DbError &e) {
        message = e.message();
    }
    QVERIFY2(message.contains(field), qPrintable(message));
    QCOMPARE(ds.state(), editing);
    QCOMPARE(ds.fieldText(field), value);
    QCOMPARE(ds.fieldText(QStringLiteral("okul_muduru")), QStringLiteral("Yeni Müdür"));
    QCOMPARE(c.read.column(tableSql), before);

    // Once shortened, the same entry goes through.
    ds.setFieldText(field, QStringLiteral("Kısa"));
    ds.post();
    QCOMPARE(ds.state(), Dataset::State::Browse);
    QCOMPARE(c.read.scalar(QStringLiteral("SELECT count(*) FROM okul WHERE %1 = 'Kısa'").arg(field))
                 .toInt(),
             1);
}

void TestDataset::databaseEnforcesSizes_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("size"); // 0: no limit

    QTest::newRow("okul_adi") << "okul"
                              << "okul_adi" << 50;
    QTest::newRow("okul_muduru") << "okul"
                                 << "okul_muduru" << 25;
    QTest::newRow("adresi") << "okul"
                            << "adresi" << 100;
    QTest::newRow("telefonu") << "okul"
                              << "telefonu" << 15;
    QTest::newRow("ili") << "okul"
                         << "ili" << 25;
    QTest::newRow("ilcesi") << "okul"
                            << "ilcesi" << 10;
    QTest::newRow("adi") << "uyeler"
                         << "adi" << 15;
    QTest::newRow("soyadi") << "uyeler"
                            << "soyadi" << 15;
    QTest::newRow("Birlestir") << "uyeler"
                               << "Birlestir" << 31;
    QTest::newRow("sendikasi") << "uyeler"
                               << "sendikasi" << 25;
    QTest::newRow("kan_grubu") << "uyeler"
                               << "kan_grubu" << 10;
    QTest::newRow("hakkinda is a memo") << "uyeler"
                                        << "hakkinda" << 0;
}

void TestDataset::databaseEnforcesSizes()
{
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(int, size);

    TestProgramDir dir;
    Reader read(dir);
    const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES ('%3')").arg(table, column);
    const QString count = QStringLiteral("SELECT count(*) FROM %1").arg(table);

    if (size == 0) {
        dir.exec(insert.arg(repeated("ş", 5000)));
        QCOMPARE(read.scalar(count).toInt(), 1);
        return;
    }
    dir.exec(insert.arg(repeated("Ş", size)));
    QString message;
    try {
        dir.exec(insert.arg(repeated("Ş", size + 1)));
    } catch (const DbError &e) {
        message = e.message();
    }
    QVERIFY2(message.contains(column), qPrintable(message));
    QCOMPARE(read.scalar(count).toInt(), 1);
}

// ---------------------------------------------------------------- locate, sort, LIKE

void TestDataset::locate_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("found"); // empty: not found

    QTest::newRow("dotless lower finds upper I") << "ış"
                                                 << "IŞIK";
    QTest::newRow("dotted lower finds dotted capital") << "i"
                                                       << "İNCİ";
    QTest::newRow("capital I finds dotless") << "I"
                                             << "ILGAZ";
    QTest::newRow("dotted capital") << "İn"
                                    << "İNCİ";
    QTest::newRow("upper prefix of lower text") << "IŞIKL"
                                                << "ışıklı";
    QTest::newRow("cedilla") << "ÇAM"
                             << "çamlık";
    QTest::newRow("whole text") << "ankara"
                                << "Ankara";
    QTest::newRow("dotted lower is not I") << "ilg"
                                           << "";
    QTest::newRow("capital I is not dotted") << "Inc"
                                             << "";
    QTest::newRow("no such text") << "x"
                                  << "";
    QTest::newRow("longer than the text") << "Ankaralı"
                                          << "";
}

void TestDataset::locate()
{
    QFETCH(QString, prefix);
    QFETCH(QString, found);

    Database &db =
        unitsFixture(m_locateUnits, {"Ankara", "ILGAZ", "İNCİ", "IŞIK", "ışıklı", "çamlık"});
    Dataset ds(&db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();
    ds.last();

    QCOMPARE(ds.locate(QStringLiteral("okul_adi"), prefix), !found.isEmpty());
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")),
             found.isEmpty() ? QStringLiteral("çamlık") : found);
}

void TestDataset::locateFollowsCurrentOrder()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("ILGAZ"), QStringLiteral("IŞIK"), QStringLiteral("Ada")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    ds.open();
    QVERIFY(ds.locate(QStringLiteral("okul_adi"), QStringLiteral("ı")));
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("ILGAZ"));

    ds.setSort(QStringLiteral("okul_adi DESC"));
    QVERIFY(ds.locate(QStringLiteral("okul_adi"), QStringLiteral("ı")));
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("IŞIK"));
    QCOMPARE(ds.recNo(), 1);
}

void TestDataset::locateSeesPostedChanges()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada"), QStringLiteral("Bor")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();
    QVERIFY(ds.locate(QStringLiteral("okul_adi"), QStringLiteral("ada")));

    ds.edit();
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Zeytin"));
    ds.post();
    ds.append();
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Çınar"));
    ds.post();
    ds.locate(QStringLiteral("okul_adi"), QStringLiteral("bor"));
    ds.remove();

    QVERIFY(!ds.locate(QStringLiteral("okul_adi"), QStringLiteral("ada")));
    QVERIFY(!ds.locate(QStringLiteral("okul_adi"), QStringLiteral("bor")));
    QVERIFY(ds.locate(QStringLiteral("okul_adi"), QStringLiteral("zey")));
    QCOMPARE(ds.recNo(), 1);
    QVERIFY(ds.locate(QStringLiteral("okul_adi"), QStringLiteral("ÇIN")));
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Çınar"));
}

void TestDataset::sortOrder_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("sort");
    QTest::addColumn<QStringList>("expected");

    const QString all = QStringLiteral("SELECT * FROM okul");
    // In unit number order (see sortOrder()): numbers above 9 must not sort as text.
    const QStringList byNumber{"İnci", "Zeki",  "Oya", "Ömer", "Çelik", "ikbal",
                               "Cem",  "Ilgaz", "iz",  "Işık", "ılık"};

    QTest::newRow("setSort ASC") << all << "okul_adi ASC" << kTurkishOrder;
    QTest::newRow("setSort DESC") << all << "okul_adi DESC" << reversed(kTurkishOrder);
    QTest::newRow("setSort number DESC") << all << "SiraNo DESC" << reversed(byNumber);
    QTest::newRow("setSort number ASC")
        << QStringLiteral("SELECT * FROM okul ORDER BY okul_adi") << "SiraNo ASC" << byNumber;
    QTest::newRow("Order By") << QStringLiteral("SELECT * FROM okul ORDER BY okul_adi") << ""
                              << kTurkishOrder;
    QTest::newRow("Order By DESC") << QStringLiteral("SELECT * FROM okul ORDER BY okul_adi DESC")
                                   << "" << reversed(kTurkishOrder);
}

void TestDataset::sortOrder()
{
    QFETCH(QString, statement);
    QFETCH(QString, sort);
    QFETCH(QStringList, expected);

    Connection c;
    const QList<std::pair<int, const char *>> units = {
        {3, "Oya"},   {11, "ılık"}, {1, "İnci"}, {7, "Cem"},   {2, "Zeki"}, {10, "Işık"},
        {5, "Çelik"}, {9, "iz"},    {4, "Ömer"}, {8, "Ilgaz"}, {6, "ikbal"}};
    QStringList inserts;
    for (const auto &[number, name] : units)
        inserts << QStringLiteral("INSERT INTO okul (SiraNo, okul_adi) VALUES (%1, '%2')")
                       .arg(number)
                       .arg(QString::fromUtf8(name));
    c.db.exec(inserts.join(QStringLiteral(";\n")));

    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(statement);
    ds.open();
    if (!sort.isEmpty())
        ds.setSort(sort);
    QCOMPARE(columnOf(ds, QStringLiteral("okul_adi")), expected);

    // Moves follow the same order.
    QStringList walked;
    for (ds.first(); !ds.eof() && walked.size() <= expected.size(); ds.next())
        walked << ds.fieldText(QStringLiteral("okul_adi"));
    QCOMPARE(walked, expected);
}

void TestDataset::sortKeepsCurrentRow()
{
    Connection c;
    addUnits(c.db, reversed(kTurkishOrder));
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    ds.open();
    QVERIFY(ds.locate(QStringLiteral("okul_adi"), QStringLiteral("Oya")));
    const QVariant unit = ds.value(QStringLiteral("SiraNo"));

    ds.setSort(QStringLiteral("okul_adi ASC"));
    QCOMPARE(ds.value(QStringLiteral("SiraNo")), unit);
    QCOMPARE(ds.recNo(), int(kTurkishOrder.indexOf(QStringLiteral("Oya"))) + 1);

    ds.setSort(QStringLiteral("okul_adi DESC"));
    QCOMPARE(ds.value(QStringLiteral("SiraNo")), unit);
    QCOMPARE(ds.recNo(), int(kTurkishOrder.size() - kTurkishOrder.indexOf(QStringLiteral("Oya"))));
    ds.next();
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("iz"));
}

void TestDataset::sortTextReadsBack()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Zeki"), QStringLiteral("Ada")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul"));
    QCOMPARE(ds.sort(), QString());
    ds.open();
    QCOMPARE(ds.sort(), QString());

    ds.setSort(QStringLiteral("okul_adi DESC"));
    QCOMPARE(ds.sort(), QStringLiteral("okul_adi DESC"));
    ds.setSort(QStringLiteral("okul_adi ASC"));
    QCOMPARE(ds.sort(), QStringLiteral("okul_adi ASC"));
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Zeki"));

    ds.close();
    ds.open();
    QCOMPARE(ds.sort(), QString());
    // The statement's own order is back.
    QCOMPARE(columnOf(ds, QStringLiteral("okul_adi")),
             (QStringList{QStringLiteral("Zeki"), QStringLiteral("Ada")}));
}

void TestDataset::sortAfterRemoveKeepsEveryRow()
{
    Connection c;
    addUnits(c.db, {QStringLiteral("Ada"), QStringLiteral("Bor"), QStringLiteral("Cide"),
                    QStringLiteral("Datça")});
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    ds.open();
    ds.remove();
    ds.append();
    ds.setFieldText(QStringLiteral("okul_adi"), QStringLiteral("Eşme"));
    ds.post();

    ds.setSort(QStringLiteral("okul_adi DESC"));
    QCOMPARE(columnOf(ds, QStringLiteral("okul_adi")),
             (QStringList{QStringLiteral("Eşme"), QStringLiteral("Datça"), QStringLiteral("Cide"),
                          QStringLiteral("Bor")}));
    ds.setSort(QStringLiteral("okul_adi ASC"));
    QCOMPARE(ds.recordCount(), 4);
    QCOMPARE(ds.fieldText(QStringLiteral("okul_adi")), QStringLiteral("Eşme"));
}

void TestDataset::likeIsTurkishCaseInsensitive_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("lower cedilla finds upper") << "çam%" << QStringList{"ÇAMLICA"};
    QTest::newRow("upper") << "ÇAMLI%" << QStringList{"ÇAMLICA"};
    QTest::newRow("dotless lower finds I") << "ış%" << QStringList{"IŞIK"};
    QTest::newRow("I finds dotless lower") << "IL%" << QStringList{"ILGAZ", "ılık"};
    QTest::newRow("dotless lower finds both") << "ıl%" << QStringList{"ILGAZ", "ılık"};
    QTest::newRow("dotted lower finds dotted capital") << "inci" << QStringList{"İNCİ"};
    QTest::newRow("dotted capital finds dotted lower") << "İK%" << QStringList{"ikbal"};
    QTest::newRow("dotted lower is not I") << "il%" << QStringList{};
    QTest::newRow("I is not dotted lower") << "Ik%" << QStringList{};
    QTest::newRow("leading wildcard") << "%LICA" << QStringList{"ÇAMLICA"};
    QTest::newRow("wildcards around") << "%ı%" << QStringList{"ÇAMLICA", "IŞIK", "ILGAZ", "ılık"};
    QTest::newRow("wildcards between") << "%a%a" << QStringList{"ÇAMLICA"};
    QTest::newRow("one character") << "_ŞIK" << QStringList{"IŞIK"};
    QTest::newRow("every row") << "%"
                               << QStringList{"ÇAMLICA", "IŞIK", "İNCİ", "ILGAZ", "ikbal", "ılık"};
    QTest::newRow("a column name is text") << "okul_adi" << QStringList{};
    QTest::newRow("a double quote is text") << "\"" << QStringList{};
    QTest::newRow("a quoted column name is text") << "\"okul_adi\"" << QStringList{};
    QTest::newRow("a single quote is text") << "'" << QStringList{};
    QTest::newRow("no statement in text") << "x' OR '1'='1" << QStringList{};
}

void TestDataset::likeIsTurkishCaseInsensitive()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, expected);

    Database &db = unitsFixture(m_likeUnits, {"ÇAMLICA", "IŞIK", "İNCİ", "ILGAZ", "ikbal", "ılık"});
    Dataset ds(&db, QStringLiteral("ds"));
    ds.addSql(QStringLiteral("SELECT * FROM okul"));
    ds.addSql(QStringLiteral("where okul_adi like :p"));
    ds.addSql(QStringLiteral("ORDER BY SiraNo"));
    ds.setParam(QStringLiteral("p"), pattern);
    ds.open();
    QCOMPARE(columnOf(ds, QStringLiteral("okul_adi")), expected);
}

// ---------------------------------------------------------------- unit and staff

void TestDataset::detailFollowsMasterByParameter_data()
{
    QTest::addColumn<QStringList>("masterSteps");
    QTest::addColumn<QStringList>("staff");

    QTest::newRow("first unit") << QStringList{} << QStringList{"Ali", "Veli"};
    // Deniz joins Bor after the queries opened: only a re-run statement shows her.
    QTest::newRow("next unit") << QStringList{"next"} << QStringList{"Ayşe", "Can", "Deniz"};
    QTest::newRow("unit without staff") << QStringList{"last"} << QStringList{};
    QTest::newRow("back") << QStringList{"last", "prior"} << QStringList{"Ayşe", "Can", "Deniz"};
    QTest::newRow("back to the first")
        << QStringList{"next", "first"} << QStringList{"Ali", "Veli"};
    QTest::newRow("located") << QStringList{"locate:okul_adi=bo"}
                             << QStringList{"Ayşe", "Can", "Deniz"};
    QTest::newRow("moveBy") << QStringList{"moveBy:2", "moveBy:-1"}
                            << QStringList{"Ayşe", "Can", "Deniz"};
}

void TestDataset::detailFollowsMasterByParameter()
{
    QFETCH(QStringList, masterSteps);
    QFETCH(QStringList, staff);

    TestProgramDir dir;
    SharedQueries q;
    QString error;
    QVERIFY2(q.connect(dir.address(), &error), qPrintable(error));
    addUnitsAndStaff(q.connection());
    q.openAll();
    q.connection().exec(QStringLiteral("INSERT INTO uyeler (SiraNo, adi) VALUES (2, 'Deniz')"));

    for (const QString &step : masterSteps)
        runStep(*q.QueryOkul, step);
    QCOMPARE(columnOf(*q.Query_Uye, QStringLiteral("adi")), staff);
    QCOMPARE(q.Query_Uye->recNo(), staff.isEmpty() ? 0 : 1);
}

void TestDataset::detailFilterFollowsMaster_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("masterSteps");
    QTest::addColumn<QStringList>("staff");

    const QString plain = QStringLiteral("SELECT * FROM uyeler ORDER BY adi");
    const QString search =
        QStringLiteral("SELECT * FROM uyeler WHERE sendikasi Like :t ORDER BY adi");

    QTest::newRow("plain, first unit") << plain << QStringList{} << QStringList{"Ali", "Veli"};
    QTest::newRow("plain, next unit") << plain << QStringList{"next"} << QStringList{"Ayşe", "Can"};
    QTest::newRow("plain, unit without staff")
        << plain << QStringList{"next", "next"} << QStringList{};
    QTest::newRow("plain, back") << plain << QStringList{"last", "first"}
                                 << QStringList{"Ali", "Veli"};
    QTest::newRow("plain, master closed") << plain << QStringList{"next", "close"}
                                          << QStringList{"Ali", "Ayşe", "Can", "Ece", "Veli"};
    QTest::newRow("plain, master open again")
        << plain << QStringList{"next", "close", "open"} << QStringList{"Ali", "Veli"};
    QTest::newRow("plain, master open again, moved")
        << plain << QStringList{"close", "open", "next"} << QStringList{"Ayşe", "Can"};
    QTest::newRow("search, first unit") << search << QStringList{} << QStringList{"Ali"};
    QTest::newRow("search, next unit") << search << QStringList{"next"} << QStringList{"Ayşe"};
    QTest::newRow("search, unit without staff") << search << QStringList{"last"} << QStringList{};
    QTest::newRow("search, master closed")
        << search << QStringList{"close"} << QStringList{"Ali", "Ayşe", "Ece"};
    QTest::newRow("search, master open again")
        << search << QStringList{"close", "open", "next"} << QStringList{"Ayşe"};
}

void TestDataset::detailFilterFollowsMaster()
{
    QFETCH(QString, statement);
    QFETCH(QStringList, masterSteps);
    QFETCH(QStringList, staff);

    TestProgramDir dir;
    SharedQueries q;
    QString error;
    QVERIFY2(q.connect(dir.address(), &error), qPrintable(error));
    addUnitsAndStaff(q.connection());
    q.openAll();

    Dataset *uye = q.Query_Uye;
    uye->close();
    uye->clearSql();
    uye->addSql(statement);
    uye->setParam(QStringLiteral("t"), QStringLiteral("eğitim%"));
    uye->open();

    for (const QString &step : masterSteps)
        runStep(*q.QueryOkul, step);
    QCOMPARE(columnOf(*uye, QStringLiteral("adi")), staff);
    QCOMPARE(uye->recNo(), staff.isEmpty() ? 0 : 1);
    if (!staff.isEmpty())
        QCOMPARE(uye->fieldText(QStringLiteral("adi")), staff.first());
}

void TestDataset::appendedStaffBelongsToCurrentUnit_data()
{
    QTest::addColumn<QString>("statement"); // empty: the shared statement with :SiraNo
    QTest::newRow("unit's staff") << QString();
    QTest::newRow("search") << QStringLiteral(
        "SELECT * FROM uyeler WHERE sendikasi Like :t ORDER BY adi");
    QTest::newRow("all staff") << QStringLiteral("SELECT * FROM uyeler ORDER BY adi");
}

void TestDataset::appendedStaffBelongsToCurrentUnit()
{
    QFETCH(QString, statement);

    TestProgramDir dir;
    SharedQueries q;
    QString error;
    QVERIFY2(q.connect(dir.address(), &error), qPrintable(error));
    addUnitsAndStaff(q.connection());
    q.openAll();
    Reader read(dir);
    Dataset *uye = q.Query_Uye;
    if (!statement.isEmpty()) {
        uye->close();
        uye->clearSql();
        uye->addSql(statement);
        uye->setParam(QStringLiteral("t"), QStringLiteral("eğitim%"));
        uye->open();
    }

    QVERIFY(q.QueryOkul->locate(QStringLiteral("okul_adi"), QStringLiteral("Bor")));
    uye->append();
    QCOMPARE(uye->value(QStringLiteral("SiraNo")), QVariant(qlonglong(2)));
    uye->setFieldText(QStringLiteral("adi"), QStringLiteral("Yeni"));
    uye->post();
    QCOMPARE(read.column(QStringLiteral("SELECT SiraNo FROM uyeler WHERE adi = 'Yeni'")),
             QStringList{QStringLiteral("2")});

    // The new member stays with the unit when the user comes back to it.
    q.QueryOkul->first();
    QVERIFY(!columnOf(*uye, QStringLiteral("adi")).contains(QStringLiteral("Yeni")));
    q.QueryOkul->next();
    QVERIFY(columnOf(*uye, QStringLiteral("adi")).contains(QStringLiteral("Yeni")));
}

void TestDataset::fullNameIsKeptWithEveryPost_data()
{
    QTest::addColumn<QString>("adi");
    QTest::addColumn<QString>("soyadi");
    QTest::addColumn<QString>("fullName");
    QTest::addColumn<QString>("newSoyadi");
    QTest::addColumn<QString>("newFullName");

    QTest::newRow("name and surname") << "ALİ"
                                      << "KAYA"
                                      << "ALİ KAYA"
                                      << "DEMİR"
                                      << "ALİ DEMİR";
    QTest::newRow("no surname") << "ALİ"
                                << ""
                                << "ALİ "
                                << "IŞIK"
                                << "ALİ IŞIK";
    QTest::newRow("surname removed") << "ŞÜKRÜ"
                                     << "ÇAĞLAYAN"
                                     << "ŞÜKRÜ ÇAĞLAYAN"
                                     << ""
                                     << "ŞÜKRÜ ";
    QTest::newRow("longest names") << "ABDÜLKADİRCANER"
                                   << "KARAMUSTAFAOĞLU"
                                   << "ABDÜLKADİRCANER KARAMUSTAFAOĞLU"
                                   << "ÖZ"
                                   << "ABDÜLKADİRCANER ÖZ";
}

void TestDataset::fullNameIsKeptWithEveryPost()
{
    QFETCH(QString, adi);
    QFETCH(QString, soyadi);
    QFETCH(QString, fullName);
    QFETCH(QString, newSoyadi);
    QFETCH(QString, newFullName);

    TestProgramDir dir;
    SharedQueries q;
    QString error;
    QVERIFY2(q.connect(dir.address(), &error), qPrintable(error));
    addUnits(q.connection(), {QStringLiteral("Ada")});
    q.openAll();
    Reader read(dir);
    Dataset *uye = q.Query_Uye;
    const QString stored = QStringLiteral("SELECT Birlestir FROM uyeler");

    uye->append();
    uye->setFieldText(QStringLiteral("adi"), adi);
    uye->setFieldText(QStringLiteral("soyadi"), soyadi);
    uye->post();
    QCOMPARE(uye->fieldText(QStringLiteral("Birlestir")), fullName);
    QCOMPARE(read.column(stored), QStringList{fullName});

    uye->edit();
    uye->setFieldText(QStringLiteral("soyadi"), newSoyadi);
    uye->post();
    QCOMPARE(read.column(stored), QStringList{newFullName});

    // A hand-typed full name does not survive the post either.
    uye->edit();
    uye->setFieldText(QStringLiteral("Birlestir"), QStringLiteral("BAŞKA"));
    uye->post();
    QCOMPARE(read.column(stored), QStringList{newFullName});
}

// ---------------------------------------------------------------- events

void TestDataset::events_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("events");

    const QString tooLong = QStringLiteral("set:okul_adi=") + repeated("a", 51);

    QTest::newRow("open with rows")
        << 2 << QStringList{"open"} << QStringList{"afterOpen", "afterScroll"};
    QTest::newRow("open without rows") << 0 << QStringList{"open"} << QStringList{"afterOpen"};
    QTest::newRow("first without rows")
        << 0 << QStringList{"open", "clear", "first"} << QStringList{"afterScroll"};
    QTest::newRow("next") << 2 << QStringList{"open", "clear", "next"}
                          << QStringList{"afterScroll"};
    QTest::newRow("next at the last row")
        << 2 << QStringList{"open", "last", "clear", "next"} << QStringList{};
    QTest::newRow("prior at the first row")
        << 2 << QStringList{"open", "clear", "prior"} << QStringList{};
    QTest::newRow("post edit") << 2
                               << QStringList{"open", "edit", "set:okul_adi=Yeni", "clear", "post"}
                               << QStringList{"beforePost", "afterPost"};
    QTest::newRow("post new row") << 2
                                  << QStringList{"open", "append", "set:okul_adi=Yeni", "clear",
                                                 "post"}
                                  << QStringList{"beforePost", "afterPost"};
    QTest::newRow("remove") << 2 << QStringList{"open", "clear", "remove"}
                            << QStringList{"afterDelete", "afterScroll"};
    QTest::newRow("remove the only row")
        << 1 << QStringList{"open", "clear", "remove"} << QStringList{"afterDelete", "afterScroll"};
    QTest::newRow("refused post") << 2 << QStringList{"open", "edit", tooLong, "clear", "post!"}
                                  << QStringList{"beforePost"};
    QTest::newRow("refused new row")
        << 2 << QStringList{"open", "append", tooLong, "clear", "post!"}
        << QStringList{"beforePost"};
    QTest::newRow("move posts the edit")
        << 2 << QStringList{"open", "edit", "set:okul_adi=Yeni", "clear", "next"}
        << QStringList{"beforePost", "afterPost", "afterScroll"};
}

void TestDataset::events()
{
    QFETCH(int, rows);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, events);

    Connection c;
    QStringList names;
    for (int i = 1; i <= rows; ++i)
        names << QStringLiteral("Birim %1").arg(i);
    addUnits(c.db, names);
    Dataset ds(&c.db, QStringLiteral("ds"));
    ds.setSql(QStringLiteral("SELECT * FROM okul ORDER BY SiraNo"));
    EventLog log;
    log.watch(&ds);

    for (const QString &step : steps)
        runStep(ds, step, &log);
    QCOMPARE(log.events, events);
}

// ---------------------------------------------------------------- shared queries

void TestDataset::openAllOpensInLinkOrder()
{
    TestProgramDir dir;
    SharedQueries q;
    QString error;
    QVERIFY2(q.connect(dir.address(), &error), qPrintable(error));
    addUnitsAndStaff(q.connection());
    QStringList opened;
    for (Dataset *ds : q.all())
        connect(ds, &Dataset::afterOpen, this, [&opened](Dataset *d) { opened << d->name(); });

    q.openAll();
    QCOMPARE(opened, (QStringList{"QueryOkul", "Query_Uye", "QuerySabit", "QueryPersonel",
                                  "QYetkili", "QSendika", "ADOQuery1"}));
    // The unit list opened first, so the staff query already holds the first unit's staff.
    QCOMPARE(columnOf(*q.Query_Uye, QStringLiteral("adi")), (QStringList{"Ali", "Veli"}));
}

void TestDataset::personnelQueryHasNoUnitField()
{
    TestProgramDir dir;
    SharedQueries q;
    QString error;
    QVERIFY2(q.connect(dir.address(), &error), qPrintable(error));
    q.openAll();
    QVERIFY(q.QueryPersonel->isOpen());
    QVERIFY(q.QueryPersonel->hasField(QStringLiteral("adi")));
    QVERIFY(!q.QueryPersonel->hasField(QStringLiteral("SiraNo")));
}

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"
