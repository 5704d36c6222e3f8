#include "transaction.h"

#include <sqlite3.h>

namespace
{

QString beginStatement(Transaction::Lock lock)
{
    switch (lock) {
    case Transaction::Lock::Deferred:
        return QStringLiteral("BEGIN");
    case Transaction::Lock::Exclusive:
        return QStringLiteral("BEGIN EXCLUSIVE");
    case Transaction::Lock::Immediate:
        break;
    }
    return QStringLiteral("BEGIN IMMEDIATE");
}

} // namespace

Transaction::Transaction(Database &db, Lock lock) : m_db(db)
{
    m_db.exec(beginStatement(lock));
}

Transaction::~Transaction()
{
    rollback();
}

void Transaction::commit()
{
    if (!m_open)
        return;
    try {
        m_db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        rollback();
        throw;
    }
    m_open = false;
}

void Transaction::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    // Nothing to report: a failed rollback leaves the engine's own rollback of the journal.
    sqlite3_exec(m_db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}
