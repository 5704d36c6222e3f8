#include "sharedqueries.h"

#include "backgroundopen.h"
#include "changenotices.h"
#include "dberror.h"
#include "schema.h"

#include <sqlite3.h>
#include <chrono>
#include <future>

SharedQueries::SharedQueries(QObject *parent) : QObject(parent)
{
    QueryOkul = new Dataset(&m_db, QStringLiteral("QueryOkul"), this);
    Query_Uye = new Dataset(&m_db, QStringLiteral("Query_Uye"), this);
    QuerySabit = new Dataset(&m_db, QStringLiteral("QuerySabit"), this);
    QueryPersonel = new Dataset(&m_db, QStringLiteral("QueryPersonel"), this);
    QYetkili = new Dataset(&m_db, QStringLiteral("QYetkili"), this);
    QSendika = new Dataset(&m_db, QStringLiteral("QSendika"), this);
    ADOQuery1 = new Dataset(&m_db, QStringLiteral("ADOQuery1"), this);

    QueryOkul->setSql(QStringLiteral("Select * From okul Order By okul_adi"));
    Query_Uye->setSql(QStringLiteral("select * from uyeler where SiraNo=:SiraNo Order By adi"));
    QuerySabit->setSql(QStringLiteral("select * from sabit"));
    QueryPersonel->setSql(QStringLiteral("select * from uyeler Order By adi"));
    // The all-staff list knows no unit: nothing reads SiraNo through it.
    QueryPersonel->setHiddenFields({QStringLiteral("SiraNo")});
    QYetkili->setSql(QStringLiteral("select * from yetkili"));
    QSendika->setSql(QStringLiteral("select * from sendikalar"));
    ADOQuery1->setSql(QStringLiteral("select * from veriler"));

    m_staffListOpening = new BackgroundOpen(QueryPersonel, &m_db, QByteArray(schema::kKey), this);

    Query_Uye->setMaster(QueryOkul, QStringLiteral("SiraNo"));
    QObject::connect(Query_Uye, &Dataset::beforePost, this, [](Dataset *uye) {
        uye->setFieldText(QStringLiteral("Birlestir"),
                          fullName(uye->fieldText(QStringLiteral("adi")),
                                   uye->fieldText(QStringLiteral("soyadi"))));
    });
}

namespace {
// Some 50 ms of reading here: beyond it the window is quicker shown before the list is there.
qlonglong g_longStaffList = 10000;
} // namespace

SharedQueries::~SharedQueries()
{
    // The worker reading in the background goes before the queries and the connection.
    delete m_staffListOpening;
    m_staffListOpening = nullptr;
    // Details go before their master so that no link is left dangling.
    delete Query_Uye;
    Query_Uye = nullptr;
}

QList<Dataset *> SharedQueries::all() const
{
    return {QueryOkul, Query_Uye, QuerySabit, QueryPersonel, QYetkili, QSendika, ADOQuery1};
}

int SharedQueries::staffCountOfUnit(const QVariant &siraNo)
{
    if (siraNo.isNull())
        return 0;
    Statement st(m_db, QStringLiteral("SELECT count(*) FROM uyeler WHERE SiraNo = ?"));
    st.bind(1, siraNo);
    st.step();
    return int(st.integer(0));
}

void SharedQueries::connect(const QString &databasePath)
{
    connect(RegisterAddress{databasePath, QByteArray(schema::kKey), QString(), QString()});
}

void SharedQueries::connect(const RegisterAddress &address)
{
    m_db.open(address);
    m_db.checkTables();
}

QList<Dataset *> SharedQueries::listsOf(const QString &table) const
{
    QList<Dataset *> lists;
    for (Dataset *query : {QueryOkul, Query_Uye, QueryPersonel})
        if (query && query->isOpen() && table.compare(query->table(), Qt::CaseInsensitive) == 0)
            lists << query;
    return lists;
}

bool SharedQueries::follow(Dataset *list, const std::optional<QList<qlonglong>> &keys)
{
    try {
        if (keys)
            list->followChanges(*keys);
        else
            list->followAllChanges();
        return true;
    } catch (const DbError &) {
        // The list keeps what it shows, and is read again when it is reopened.
        list->setFollowedLive(false);
        return false;
    }
}

void SharedQueries::listenForChanges()
{
    // Here rather than on connecting, which the main window does on another thread: the
    // notices are read by the event loop of the thread the lists live in.
    if (m_notices || !m_db.isServer())
        return;
    m_notices = new ChangeNotices(m_db.address(), this);
    QObject::connect(m_notices, &ChangeNotices::changed, this, [this](const QList<ChangeNotices::Change> &changes) {
        for (const ChangeNotices::Change &change : changes)
            for (Dataset *list : listsOf(change.table))
                follow(list, change.everyRow ? std::nullopt : std::optional(change.keys));
    });
    QObject::connect(m_notices, &ChangeNotices::connectionLost, this, [this] {
        for (Dataset *list : {QueryOkul, Query_Uye, QueryPersonel})
            list->setFollowedLive(false);
    });
    QObject::connect(m_notices, &ChangeNotices::connectionBack, this, [this] {
        // Nothing was heard while the server was away: each list is compared whole, which
        // makes it as good as read now.
        for (const QString &table : {QStringLiteral("okul"), QStringLiteral("uyeler")})
            for (Dataset *list : listsOf(table))
                if (follow(list, std::nullopt))
                    list->setFollowedLive(m_notices->hearsEveryChange());
    });
    // A list read once the listening had begun hears every change after its reading.
    for (Dataset *list : {QueryOkul, Query_Uye, QueryPersonel})
        QObject::connect(list, &Dataset::afterOpen, this, [this](Dataset *opened) {
            opened->setFollowedLive(m_notices && m_notices->hearsEveryChange() &&
                                    m_notices->listeningSince() <= opened->readStarted());
        });
    // The long staff list read in the background waits until the listening has begun (a
    // moment on a local network), so that it hears every change after its reading and
    // "Personel Ara" can keep it; a listener that cannot connect holds it back 2 s at most.
    auto listening = std::make_shared<std::promise<void>>();
    std::shared_future<void> begun = listening->get_future().share();
    QObject::connect(m_notices, &ChangeNotices::listening, this, [listening] {
        try {
            listening->set_value();
        } catch (const std::future_error &) {
            // listening again after a loss
        }
    });
    m_staffListOpening->setGate([begun](const std::atomic<bool> &cancelled) {
        using namespace std::chrono_literals;
        for (int waited = 0; waited < 100 && !cancelled; ++waited)
            if (begun.wait_for(20ms) == std::future_status::ready)
                return;
    });
    m_notices->start();
}

bool SharedQueries::connect(const QString &databasePath, QString *error)
{
    return connect(RegisterAddress{databasePath, QByteArray(schema::kKey), QString(), QString()}, error);
}

bool SharedQueries::connect(const RegisterAddress &address, QString *error)
{
    try {
        connect(address);
        return true;
    } catch (const DbError &e) {
        if (error)
            *error = e.describedText();
        return false;
    }
}

void SharedQueries::openAll()
{
    listenForChanges();
    for (Dataset *query : all())
        query->open();
}

void SharedQueries::setLongStaffList(qlonglong rows)
{
    g_longStaffList = rows;
}

bool SharedQueries::staffListIsLong()
{
    // The highest row key bounds the number of rows, and costs one walk down the table.
    return sqlite3_threadsafe() &&
           m_db.scalar(QStringLiteral("SELECT max(KayitNo) FROM uyeler")).toLongLong() >= g_longStaffList;
}

void SharedQueries::openAllButLongStaffList()
{
    listenForChanges();
    if (!staffListIsLong()) {
        openAll();
        return;
    }
    // Started first, so that the second connection reads while this one opens the rest.
    m_staffListOpening->start();
    for (Dataset *query : all())
        if (query != QueryPersonel)
            query->open();
}

void SharedQueries::disconnect()
{
    m_staffListOpening->cancel();
    m_staffListOpening->setGate(nullptr);
    delete m_notices;
    m_notices = nullptr;
    for (Dataset *query : all())
        if (query)
            query->close();
    m_db.close();
}

QString SharedQueries::fullName(const QString &firstName, const QString &surname)
{
    return firstName + QLatin1Char(' ') + surname;
}
