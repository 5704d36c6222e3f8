#include "changenotices.h"

#include "dataset.h"
#include "schema.h"
#include "serverengine.h"

#include <QSocketNotifier>
#include <libpq-fe.h>

namespace
{

bool runQuietly(PGconn *conn, const QByteArray &sql)
{
    PGresult *result = PQexec(conn, sql.constData());
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

} // namespace

ChangeNotices::ChangeNotices(const RegisterAddress &address, QObject *parent)
    : QObject(parent), m_address(address)
{
    m_gather.setSingleShot(true);
    m_gather.setInterval(kGatherMs);
    connect(&m_gather, &QTimer::timeout, this, &ChangeNotices::handOver);
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &ChangeNotices::connectNow);
}

ChangeNotices::~ChangeNotices()
{
    dropConnection();
}

int ChangeNotices::serverProcess() const
{
    return m_listening ? PQbackendPID(m_conn) : 0;
}

void ChangeNotices::start()
{
    connectNow();
}

void ChangeNotices::forgetNotifier()
{
    // It may be the one whose signal is being handled.
    if (!m_notifier)
        return;
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
}

void ChangeNotices::dropConnection()
{
    forgetNotifier();
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
    m_listening = false;
}

void ChangeNotices::connectNow()
{
    dropConnection();
    const ServerParameters parameters(m_address.server, m_address.password);
    m_conn = PQconnectStartParams(parameters.keys.data(), parameters.values.data(), 1);
    if (!m_conn || PQstatus(m_conn) == CONNECTION_BAD) {
        lose();
        return;
    }
    // libpq's first step is to write.
    watchSocket(true);
}

void ChangeNotices::watchSocket(bool forWriting)
{
    forgetNotifier();
    m_notifier = new QSocketNotifier(qintptr(PQsocket(m_conn)),
                                     forWriting ? QSocketNotifier::Write : QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this,
            [this] { m_listening ? readNotices() : continueConnecting(); });
}

void ChangeNotices::continueConnecting()
{
    switch (PQconnectPoll(m_conn)) {
    case PGRES_POLLING_READING:
        watchSocket(false);
        return;
    case PGRES_POLLING_WRITING:
        watchSocket(true);
        return;
    case PGRES_POLLING_OK:
        connected();
        return;
    default:
        lose();
        return;
    }
}

void ChangeNotices::connected()
{
    PQsetNoticeProcessor(m_conn, [](void *, const char *) {}, nullptr);
    // A database made before the tables announced their changes learns it now, where this
    // role may; otherwise the lists are read afresh when opened, as before.
    PGresult *found = PQexec(m_conn, "SELECT to_regproc('meltora_duyur') IS NOT NULL");
    m_announces = PQresultStatus(found) == PGRES_TUPLES_OK && PQntuples(found) == 1 &&
                  *PQgetvalue(found, 0, 0) == 't';
    PQclear(found);
    if (!m_announces && runQuietly(m_conn, "BEGIN")) {
        bool ok = true;
        for (const QString &statement : schema::serverNoticeStatements())
            ok = ok && runQuietly(m_conn, statement.toUtf8());
        m_announces = ok && runQuietly(m_conn, "COMMIT");
        if (!m_announces)
            runQuietly(m_conn, "ROLLBACK");
    }
    if (!runQuietly(m_conn, QByteArray("LISTEN ") + schema::kNoticeChannel)) {
        lose();
        return;
    }
    m_listening = true;
    m_listeningSince = Dataset::steadyNow();
    watchSocket(false);
    Q_EMIT listening(m_listeningSince);
    if (std::exchange(m_away, false))
        Q_EMIT connectionBack();
    readNotices(); // any that came with the answers above
}

void ChangeNotices::readNotices()
{
    if (!PQconsumeInput(m_conn) || PQstatus(m_conn) != CONNECTION_OK) {
        lose();
        return;
    }
    while (PGnotify *notice = PQnotifies(m_conn)) {
        ++m_received;
        const QByteArray payload(notice->extra);
        Q_EMIT heard(payload);
        take(payload);
        PQfreemem(notice);
    }
}

void ChangeNotices::take(const QByteArray &payload)
{
    // "table|kind|server process|keys"
    const QList<QByteArray> parts = payload.split('|');
    if (parts.size() != 4)
        return;
    const QString table = QString::fromLatin1(parts[0]);
    Change &change = m_pending[table];
    change.table = table;
    if (parts[3] == "*") {
        change.everyRow = true;
    } else if (!change.everyRow) {
        for (const QByteArray &key : parts[3].split(','))
            change.keys << key.toLongLong();
        if (change.keys.size() > schema::kNoticeKeys) {
            change.everyRow = true;
            change.keys.clear();
        }
    }
    if (!m_gather.isActive())
        m_gather.start();
}

void ChangeNotices::handOver()
{
    QList<Change> changes;
    for (Change &change : m_pending) {
        if (change.everyRow)
            change.keys.clear();
        else
            change.keys = QSet<qlonglong>(change.keys.begin(), change.keys.end()).values();
        changes << change;
    }
    m_pending.clear();
    if (!changes.isEmpty())
        Q_EMIT changed(changes);
}

void ChangeNotices::lose()
{
    dropConnection();
    if (!std::exchange(m_away, true))
        Q_EMIT connectionLost();
    m_retry.start();
}
