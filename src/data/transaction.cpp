#include "transaction.h"

namespace
{

Engine::Begin beginOf(Transaction::Lock lock)
{
    switch (lock) {
    case Transaction::Lock::Deferred:
        return Engine::Begin::Deferred;
    case Transaction::Lock::Exclusive:
        return Engine::Begin::Exclusive;
    case Transaction::Lock::Immediate:
        break;
    }
    return Engine::Begin::Immediate;
}

Engine &engineOf(Database &db)
{
    if (!db.engine())
        throw DbError(QStringLiteral("Veritabanı bağlantısı açık değil"));
    return *db.engine();
}

} // namespace

Transaction::Transaction(Database &db, Lock lock) : m_db(db)
{
    engineOf(m_db).begin(beginOf(lock));
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
    if (m_db.engine())
        m_db.engine()->rollbackQuietly();
}
